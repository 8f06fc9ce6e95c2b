#include "boarders.h"

#include "snake.h"

#include "core/context.h"
#include "core/numbertext.h"
#include "store/auditrecord.h"
#include "store/fieldlists.h"
#include "store/grouprows.h"
#include "store/store.h"
#include "store/students.h"

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

std::nullopt_t refuseColumn(const Context& ctx)
{
    ctx.prompt.message(QStringLiteral("对不起，找不到‘是否住宿’字段！"));
    return std::nullopt;
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
    RowSet rs = groupByTotal(store, boardingColumn(), QStringLiteral("是"), boarders);
    ctx.prompt.progress(0, 100);
    DealSnakeRange(rs, rs.rowCount(), first, last, SnakeStart::Ascending,
                   progressOf(ctx, rs.rowCount()));
    ctx.prompt.progress(100, 100);
}

Notice boardersNotice(qint16 nb)
{
    return {QStringLiteral("1 至%1班为住宿生。").arg(nb), noticeTitle()};
}

qint16 lastDayClass(const DivisionRequest& r)
{
    return qint16(r.classes + r.dayClasses);
}

void dealGroups(Dealing& d)
{
    const DivisionRequest& r = d.request;
    if (r.dealBoarders)
        dealGroup(d.ctx, d.store, true, 1, r.classes);
    if (r.dayClasses > 0)
        dealGroup(d.ctx, d.store, false, qint16(r.classes + 1), lastDayClass(r));
}

// The boarders alone (no day classes: the day students come later), or
// both groups, each a band of its own.
RuleScope boarderBands(const DivisionRequest& r)
{
    if (r.dayClasses == 0)
        return {{{1, r.classes}}, false};
    return {{{1, r.classes}, {r.classes + 1, lastDayClass(r)}}, true};
}

QPair<QString, QString> boarderVersion(const DivisionRequest& r)
{
    if (r.dayClasses == 0)
        return {QStringLiteral("住宿生分班"), QStringLiteral("%1个班").arg(r.classes)};
    return {QStringLiteral("住宿生与非住宿生分班"),
            QStringLiteral("住宿生%1个班，非住宿生%2个班").arg(r.classes).arg(r.dayClasses)};
}

void finishBoarders(const DivisionRequest& r, DivisionOutcome& o)
{
    if (r.dayClasses == 0) {
        o.notices.append(boardersNotice(r.classes));
        return;
    }
    o.classCount = qint16(r.classes + 1);
    if (r.dealBoarders)
        o.notices.append(boardersNotice(r.classes));
    o.notices.append(
        {QStringLiteral("%1 至%2班为非住宿生。").arg(r.classes + 1).arg(lastDayClass(r)),
         noticeTitle()});
}

QVector<DivisionRequest> replayBoarders(const QString& p)
{
    DivisionRequest r;
    r.scheme = QStringLiteral("boarders");
    r.classes = qint16(parameterValue(p, QStringLiteral("boarder_classes")).toInt());
    r.dayClasses = qint16(parameterValue(p, QStringLiteral("day_classes")).toInt());
    return {r};
}

Scheme makeBoarderScheme()
{
    Scheme s;
    s.name = QStringLiteral("boarders");
    s.caption = QStringLiteral("住宿生单分");
    s.preset = PresetScheme::Boarders;
    s.presetOption = QStringLiteral("Option2");
    s.presetCaption = QStringLiteral("住宿生单分");
    s.options = {SchemeOption::Classes, SchemeOption::DayClasses};
    s.deal = dealGroups;
    s.rules = boarderBands;
    s.version = boarderVersion;
    s.record = [](Store&, const DivisionRequest& r) {
        return boarderDivisionRecord(r.classes, r.dayClasses);
    };
    s.replay = replayBoarders;
    s.finish = finishBoarders;
    return s;
}

bool boardingColumnThere(const Context& ctx)
{
    Store store = OpenStore(ctx);
    ReadTransaction tr(store);
    return hasBoardingColumn(store);
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
    const int boarders = countHolding(store, boardingColumn(), QStringLiteral("是"));
    const int all = Students(store).count();
    BoardingCounts counts;
    counts.boarders = boarders;
    counts.day = all - counts.boarders;
    return counts;
}

QString boardingCountsText(const BoardingCounts& counts)
{
    return QStringLiteral("住宿生%1人，非住宿生%2人").arg(counts.boarders).arg(counts.day);
}

const Scheme& boarderScheme()
{
    static const Scheme scheme = makeBoarderScheme();
    return scheme;
}

std::optional<DivisionRequest> boarderRequest(const Context& ctx, const QString& boarderClassesText,
                                              const std::optional<QString>& dayClassesText)
{
    if (!dayClassesText && ctx.state.StatsUnplacedFlag)
        return std::nullopt;
    if (!boardingColumnThere(ctx))
        return refuseColumn(ctx);
    const auto nb = classCount(ctx, boarderClassesText);
    if (!nb)
        return std::nullopt;
    DivisionRequest r;
    r.scheme = boarderScheme().name;
    r.classes = *nb;
    if (!dayClassesText)
        return r;
    const auto nd = classCount(ctx, *dayClassesText);
    if (!nd)
        return std::nullopt;
    if (*nb + *nd > maxClass) {
        ctx.prompt.message(classRangeMessage(), noticeTitle());
        return std::nullopt;
    }
    r.dayClasses = *nd;
    r.dealBoarders = !ctx.state.StatsUnplacedFlag;
    r.recordedClasses = ctx.state.ClassCount;
    return r;
}

DivisionOutcome BoarderDivide(const Context& ctx, const DivisionRequest& request)
{
    ctx.prompt.progress(0, 100);
    return Divide(ctx, boarderScheme(), request);
}

} // namespace quorvel
