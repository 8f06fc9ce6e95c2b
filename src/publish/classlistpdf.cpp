#include "classlistpdf.h"

#include "core/context.h"
#include "stats/roster.h"
#include "stats/statistics.h"
#include "store/fieldlists.h"
#include "store/ownfiles.h"
#include "store/store.h"

#include <QFileInfo>

namespace quorvel {

namespace {

QString headCount(const ClassLists& lists, const ClassList& list)
{
    const int sex = lists.columnIndex(sexColumn());
    int boys = 0;
    for (const QStringList& row : list.rows)
        boys += row.value(sex) == QStringLiteral("男") ? 1 : 0;
    return QStringLiteral("共%1人（男%2人，女%3人）")
        .arg(list.rows.size())
        .arg(boys)
        .arg(list.rows.size() - boys);
}

} // namespace

QVector<PrintSheet> classListSheets(const ClassLists& lists, const ListPrintOptions& options)
{
    requireListColumns(lists, options.columns);
    QVector<PrintSheet> sheets;
    for (const ClassList& list : lists.classes) {
        QString subtitle = headCount(lists, list);
        if (!list.teacher.isEmpty())
            subtitle =
                QStringLiteral("班主任：") + list.teacher + QStringLiteral("    ") + subtitle;
        sheets.append(PrintSheet{listTitleFor(options.title, list.cls), subtitle, options.columns,
                                 lists.project(list, options.columns)});
    }
    return sheets;
}

std::optional<PrintSheet> statisticsSheet(const ClassLists& lists)
{
    if (!lists.statistics || lists.statistics->rows.isEmpty())
        return std::nullopt;
    const StatsView& view = *lists.statistics;
    PrintSheet sheet{
        QStringLiteral("各班统计"), QStringLiteral("共%1个班").arg(view.rows.size()), {}, {}};
    for (const ColumnInfo& c : view.columns)
        sheet.headers.append(c.name);
    for (const QVariantList& row : view.rows) {
        QStringList cells;
        for (int c = 0; c < view.columns.size(); ++c)
            cells.append(statsCellText(row.value(c), view.columns.at(c).type));
        sheet.rows.append(cells);
    }
    return sheet;
}

std::optional<QVector<PrintSheet>> PrintableClassLists(const Context& ctx,
                                                       const ListPrintOptions& options)
{
    { // a column not known is refused before the statistics build writes anything
        Store store = OpenStore(ctx);
        ClassLists columns;
        for (const ColumnInfo& c : store.columns(studentTable()))
            columns.columns.append(c.name);
        requireListColumns(columns, options.columns);
    }
    if (tongji(ctx) == StatsOutcome::Unplaced)
        return std::nullopt;
    const std::optional<ClassLists> lists = ReadClassLists(ctx);
    if (!lists)
        return std::nullopt;
    QVector<PrintSheet> sheets = classListSheets(*lists, options);
    if (const std::optional<PrintSheet> stats = statisticsSheet(*lists))
        sheets.append(*stats);
    return sheets;
}

QString newPublishPath(const Context& ctx, const QString& stem, const QString& extension,
                       const QDateTime& when)
{
    const QString base = stem + u'-' + when.toString(QStringLiteral("yyyyMMdd-HHmm"));
    QString path = ctx.file(base + extension);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = ctx.file(base + u'-' + QString::number(n) + extension);
    return path;
}

QString publishTarget(const Context& ctx, const QString& path, const QString& stem,
                      const QString& extension)
{
    const QString target = path.isEmpty() ? newPublishPath(ctx, stem, extension) : path;
    RequireOutputPath(ctx, target);
    return target;
}

QString reportWritten(const Context& ctx, const QString& path, bool written)
{
    if (written)
        return path;
    ctx.prompt.message(rosterWriteFailedMessage(path), appTitle());
    return {};
}

QString ClassListsPdf(const Context& ctx, const ListPrintOptions& options, QString path)
{
    path = publishTarget(ctx, path, QStringLiteral("班级名单"), QStringLiteral(".pdf"));
    const std::optional<QVector<PrintSheet>> sheets = PrintableClassLists(ctx, options);
    return sheets
               ? reportWritten(ctx, path, writeSheetsPdf(path, *sheets, QStringLiteral("班级名单")))
               : QString();
}

} // namespace quorvel
