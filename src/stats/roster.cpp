#include "roster.h"

#include "core/context.h"
#include "statistics.h"
#include "store/classnumbers.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/studentrows.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <functional>
#include <limits>
#include <optional>

namespace quorvel {

QString rosterSheetName(int index)
{
    return QString::number(index + 1) + u'班';
}

QString rosterFileName(const QDateTime& when)
{
    return QStringLiteral("花名表-") + when.toString(QStringLiteral("yyyyMMdd-HHmm")) +
           QStringLiteral(".xlsx");
}

QString newRosterPath(const Context& ctx, const QDateTime& when)
{
    const QString name = rosterFileName(when);
    const QString stem = name.chopped(5); // without .xlsx
    QString path = ctx.file(name);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = ctx.file(stem + u'-' + QString::number(n) + QStringLiteral(".xlsx"));
    return path;
}

QString rosterWriteFailedMessage(const QString& path)
{
    return QStringLiteral("对不起，不能写入") + QDir::toNativeSeparators(path) + u'。';
}

namespace {

// Every student of the listed classes in one read, by class and then by
// 总分 from the highest; a class without students gets no entry.
QHash<int, QVector<QVariantList>> studentsByClass(const RowSet& rs, const QVector<int>& classes)
{
    const QSet<int> listed(classes.begin(), classes.end());
    const int cls = rs.columnIndex(classColumn());
    QHash<int, QVector<QVariantList>> out;
    for (int r = 0; r < rs.rowCount(); ++r) {
        const QVariant v = rs.row(r).at(cls);
        if (!v.isNull() && listed.contains(v.toInt()))
            out[v.toInt()].append(rs.row(r));
    }
    return out;
}

} // namespace

QVector<RosterSheet> ReadRosterSheets(Store& store, const QVector<int>& classes)
{
    const RowSet rs = studentsByClassThenTotal(store);
    QHash<int, QVector<QVariantList>> byClass = studentsByClass(rs, classes);
    QVector<ColumnInfo> columns;
    for (int c = 0; c < rs.columnCount(); ++c)
        columns.append(rs.column(c));
    QVector<RosterSheet> sheets;
    sheets.reserve(std::min<qsizetype>(classes.size(), byClass.size() + 1));
    for (int k = 0; k < classes.size(); ++k) {
        sheets.append(RosterSheet{rosterSheetName(k), columns, byClass.take(classes.at(k))});
        if (sheets.last().rows.isEmpty()) // the roster is refused: no need for the others
            break;
    }
    return sheets;
}

namespace {

// The classes 1 … the highest in use, or nullopt when a student has no
// class.
std::optional<QVector<int>> placedClasses(Store& store)
{
    if (hasUnplacedStudent(store))
        return std::nullopt;
    const int last = int(std::min<qint64>(highestClass(store), std::numeric_limits<qint16>::max()));
    QVector<int> classes;
    for (int c = 1; c <= last; ++c)
        classes.append(c);
    return classes;
}

using ClassChoice = std::function<std::optional<QVector<int>>(Store&)>;

// The sheets of the classes chosen, all read in one read transaction, so
// that a division committed meanwhile is either wholly in or wholly out.
std::optional<QVector<RosterSheet>> readSheets(const Context& ctx, const ClassChoice& choose)
{
    Store store = OpenStore(ctx);
    ReadTransaction tr(store);
    const std::optional<QVector<int>> classes = choose(store);
    if (!classes)
        return std::nullopt;
    QVector<RosterSheet> sheets = ReadRosterSheets(store, *classes);
    ctx.readingDone();
    return sheets;
}

bool someSheetEmpty(const QVector<RosterSheet>& sheets)
{
    for (const RosterSheet& s : sheets)
        if (s.rows.isEmpty())
            return true;
    return sheets.isEmpty();
}

RosterResult writeRoster(const Context& ctx, const QVector<RosterSheet>& sheets,
                         const QString& path)
{
    RosterResult result;
    result.path = path.isEmpty() ? newRosterPath(ctx, QDateTime::currentDateTime()) : path;
    // A printout that silently lacks a class is worse than none.
    if (someSheetEmpty(sheets)) {
        ctx.prompt.message(rosterNoRecordsMessage(), appTitle());
        return result;
    }
    const bool written = WriteRosterWorkbook(result.path, sheets, ctx);
    ctx.prompt.progress(0, 0);
    if (!written) {
        ctx.prompt.message(rosterWriteFailedMessage(result.path), appTitle());
        result.outcome = RosterOutcome::WriteFailed;
        return result;
    }
    result.outcome = RosterOutcome::Written;
    return result;
}

} // namespace

RosterResult ClassRoster(const Context& ctx, const QVector<int>& classes, const QString& path)
{
    return writeRoster(ctx, *readSheets(ctx, [&](Store&) { return std::optional(classes); }), path);
}

RosterResult RosterByClass(const Context& ctx, const QString& path)
{
    if (tongji(ctx) == StatsOutcome::Unplaced)
        return {RosterOutcome::Unplaced, path};
    // A division committed since the statistics may have changed the classes:
    // they are taken again from the state the sheets are read from.
    const auto sheets = readSheets(ctx, placedClasses);
    if (!sheets) {
        // The statistics' message, once the read is over.
        ctx.prompt.message(unplacedMessage());
        return {RosterOutcome::Unplaced, path};
    }
    return writeRoster(ctx, *sheets, path);
}

} // namespace quorvel
