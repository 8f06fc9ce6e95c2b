#include "boarders.h"

#include "snake.h"

#include "core/context.h"
#include "core/numbertext.h"
#include "rules/ruledivision.h"
#include "store/auditrecord.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "store/students.h"
#include "store/versions.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace quorvel {

namespace {

constexpr int maxClass = std::numeric_limits<qint16>::max();

bool hasBoardingColumn(Store& store)
{
    for (const ColumnInfo& c : store.columns(studentTable()))
        if (c.name == boardingColumn())
            return true;
    return false;
}

BoarderOutcome refuseColumn(const Context& ctx)
{
    ctx.prompt.message(QStringLiteral("对不起，找不到‘是否住宿’字段！"));
    return BoarderOutcome::Refused;
}

// A class count typed into Text10 or Text9; nullopt after its refusal.
std::optional<qint16> classCount(const Context& ctx, const QString& text)
{
    const auto v = wholeNumber(text);
    QString refusal;
    if (!v)
        refusal = QStringLiteral("对不起只能输入数字。");
    else if (*v < 1 || *v != std::floor(*v))
        refusal = QStringLiteral("对不起，班数必须是大于0的整数。");
    else if (*v > maxClass)
        refusal = classRangeMessage();
    if (!refusal.isEmpty()) {
        ctx.prompt.message(refusal, noticeTitle());
        return std::nullopt;
    }
    return qint16(*v);
}

// The progress of a group of n: 100 / (n − 1) per student (100 when n is
// 1), shown after every student and never above 100.
DealObserver progressOf(const Context& ctx, int n)
{
    return [&ctx, step = n > 1 ? 100.0 / (n - 1) : 100.0, value = 0.0](bool) mutable {
        value += step;
        ctx.prompt.progress(int(std::floor(qMin(value, 100.0))), 100);
    };
}

// Deals the boarders, or the others, best 总分 first, to first … last.
void dealGroup(const Context& ctx, Store& store, bool boarders, qint16 first, qint16 last)
{
    const QString where = quoteIdent(boardingColumn()) +
                          (boarders ? QStringLiteral("=?") : QStringLiteral(" IS NOT ?"));
    RowSet rs = RowSet::open(store, studentTable(), where, {QStringLiteral("是")},
                             quoteIdent(totalColumn()) + QStringLiteral(" DESC"));
    ctx.prompt.progress(0, 100);
    DealSnakeRange(rs, rs.rowCount(), first, last, SnakeStart::Ascending,
                   progressOf(ctx, rs.rowCount()));
    ctx.prompt.progress(100, 100);
}

void boardersMessage(const Context& ctx, qint16 nb)
{
    ctx.prompt.message(QStringLiteral("1 至%1班为住宿生。").arg(nb), noticeTitle());
}

} // namespace

std::optional<BoardingCounts> CountBoarding(const Context& ctx)
{
    if (!QFileInfo::exists(ctx.file(Store::fileName())))
        return std::nullopt;
    Store store = OpenStore(ctx);
    if (!store.tableExists(studentTable()))
        return std::nullopt;
    const QVector<ColumnInfo> columns = store.columns(studentTable());
    if (std::none_of(columns.cbegin(), columns.cend(),
                     [](const ColumnInfo& c) { return c.name == boardingColumn(); }))
        return std::nullopt;
    const QVariantList n =
        store.column(QStringLiteral("SELECT count(*) FILTER (WHERE %1 = '是') FROM %2")
                         .arg(quoteIdent(boardingColumn()), quoteIdent(studentTable())));
    const int all = Students(store).count();
    BoardingCounts counts;
    counts.boarders = n.value(0).toInt();
    counts.day = all - counts.boarders;
    return counts;
}

QString boardingCountsText(const BoardingCounts& counts)
{
    return QStringLiteral("住宿生%1人，非住宿生%2人").arg(counts.boarders).arg(counts.day);
}

BoarderOutcome BoarderDivide(const Context& ctx, const QString& boarderClassesText)
{
    if (ctx.state.StatsUnplacedFlag)
        return BoarderOutcome::Skipped;
    ctx.prompt.progress(0, 100);
    Store store = OpenStore(ctx);
    if (!hasBoardingColumn(store))
        return refuseColumn(ctx);
    const auto nb = classCount(ctx, boarderClassesText);
    if (!nb)
        return BoarderOutcome::Refused;
    ctx.state.ClassCount = *nb;
    Transaction tr(store);
    ClearAllClasses(store);
    dealGroup(ctx, store, true, 1, *nb);
    HoldPlacementRules(ctx, store, {{{1, *nb}}, false}); // the day students come later
    Versions(store).record(QStringLiteral("住宿生分班"), QStringLiteral("%1个班").arg(*nb));
    recordDivision(ctx, store, boarderDivisionRecord(*nb, 0));
    tr.commit();
    schemeDivided(ctx);
    boardersMessage(ctx, *nb);
    return BoarderOutcome::Divided;
}

BoarderOutcome CompleteBoarderDivide(const Context& ctx, const QString& boarderClassesText,
                                     const QString& dayClassesText)
{
    ctx.prompt.progress(0, 100);
    Store store = OpenStore(ctx);
    if (!hasBoardingColumn(store))
        return refuseColumn(ctx);
    const auto nb = classCount(ctx, boarderClassesText);
    const auto nd = nb ? classCount(ctx, dayClassesText) : std::nullopt;
    if (!nd)
        return BoarderOutcome::Refused;
    if (*nb + *nd > maxClass) {
        ctx.prompt.message(classRangeMessage(), noticeTitle());
        return BoarderOutcome::Refused;
    }
    const bool boarders = !ctx.state.StatsUnplacedFlag;
    Transaction tr(store);
    ClearAllClasses(store);
    if (boarders)
        dealGroup(ctx, store, true, 1, *nb);
    dealGroup(ctx, store, false, qint16(*nb + 1), qint16(*nb + *nd));
    HoldPlacementRules(ctx, store, {{{1, *nb}, {*nb + 1, *nb + *nd}}, true});
    Versions(store).record(QStringLiteral("住宿生与非住宿生分班"),
                           QStringLiteral("住宿生%1个班，非住宿生%2个班").arg(*nb).arg(*nd));
    recordDivision(ctx, store, boarderDivisionRecord(*nb, *nd));
    tr.commit();
    schemeDivided(ctx);
    ctx.state.ClassCount = qint16(*nb + 1);
    if (boarders)
        boardersMessage(ctx, *nb);
    ctx.prompt.message(QStringLiteral("%1 至%2班为非住宿生。").arg(*nb + 1).arg(*nb + *nd),
                       noticeTitle());
    return BoarderOutcome::Divided;
}

} // namespace quorvel
