#include "roster.h"

#include "statistics.h"
#include "store/context.h"
#include "store/fieldlists.h"
#include "store/rowset.h"

#include <QDir>
#include <QFileInfo>

namespace quorvel {

QString rosterSheetName(int index) { return QString::number(index + 1) + u'班'; }

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

QVector<RosterSheet> ReadRosterSheets(Store& store, const QVector<qint16>& classes)
{
    QVector<RosterSheet> sheets;
    sheets.reserve(classes.size());
    const QString order = quoteIdent(totalColumn()) + QStringLiteral(" DESC");
    for (int k = 0; k < classes.size(); ++k) {
        const RowSet rs = RowSet::open(store, studentTable(),
                                       quoteIdent(classColumn()) + QStringLiteral("=?"),
                                       {classes.at(k)}, order);
        RosterSheet sheet{rosterSheetName(k), {}, {}};
        for (int c = 0; c < rs.columnCount(); ++c)
            sheet.columns.append(rs.column(c));
        sheet.rows.reserve(rs.rowCount());
        for (int r = 0; r < rs.rowCount(); ++r)
            sheet.rows.append(rs.row(r));
        sheets.append(sheet);
    }
    return sheets;
}

namespace {

bool someSheetEmpty(const QVector<RosterSheet>& sheets)
{
    for (const RosterSheet& s : sheets)
        if (s.rows.isEmpty())
            return true;
    return sheets.isEmpty();
}

} // namespace

RosterResult ClassRoster(const Context& ctx, const QVector<qint16>& classes, const QString& path)
{
    RosterResult result;
    result.path = path.isEmpty() ? newRosterPath(ctx, QDateTime::currentDateTime()) : path;
    QVector<RosterSheet> sheets;
    {
        Store store = OpenStore(ctx);
        sheets = ReadRosterSheets(store, classes);
    }
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

RosterResult RosterByClass(const Context& ctx, const QString& path)
{
    if (tongji(ctx) == StatsOutcome::Unplaced)
        return {RosterOutcome::Unplaced, path};
    QVector<qint16> classes;
    for (qint16 c = 1; c <= ctx.state.ClassCount; ++c)
        classes.append(c);
    return ClassRoster(ctx, classes, path);
}

} // namespace quorvel
