#include "display.h"

#include "core/context.h"
#include "rules/rulecheck.h"
#include "store/rowset.h"
#include "store/students.h"

#include <QDir>

namespace quorvel {

QString statsWorkbookPath(const Context& ctx)
{
    return ctx.file(statsWorkbookFile());
}

QString openWorkbookFailedMessage(const QString& path)
{
    return QStringLiteral("对不起不能打开") + QDir::toNativeSeparators(path) +
           QStringLiteral("，请手动打开。");
}

QString statsCellText(const QVariant& v, const ColumnType& type)
{
    if (v.isNull() || !v.isValid())
        return {};
    switch (type.kind) {
    case ColumnType::Single:
        return shortestSingle(v.toDouble());
    case ColumnType::Integer:
        return QString::number(v.toLongLong());
    default:
        return v.toString();
    }
}

std::optional<StatsView> ReadStatsView(Store& store)
{
    if (!store.tableExists(resultTable()))
        return std::nullopt;
    const RowSet rs = RowSet::open(store, resultTable());
    StatsView view;
    for (int c = 0; c < rs.columnCount(); ++c)
        view.columns.append(rs.column(c));
    view.rows.reserve(rs.rowCount());
    for (int r = 0; r < rs.rowCount(); ++r)
        view.rows.append(rs.row(r));
    return view;
}

SheetRows statsSheet(const StatsView& view)
{
    SheetRows sheet;
    sheet.reserve(view.rows.size() + 1);
    QVariantList header;
    for (const ColumnInfo& c : view.columns)
        header.append(c.name);
    sheet.append(header);
    for (const QVariantList& row : view.rows) {
        QVariantList cells;
        for (int c = 0; c < row.size() && c < view.columns.size(); ++c) {
            const QVariant& v = row.at(c);
            const ColumnType& type = view.columns.at(c).type;
            if (v.isNull() || !v.isValid())
                cells.append(QVariant());
            else if (type.kind == ColumnType::Single) // 85.12, not 85.12000274658203
                cells.append(shortestSingle(v.toDouble()).toDouble());
            else if (type.kind == ColumnType::Integer)
                cells.append(v);
            else
                cells.append(v.toString());
        }
        sheet.append(cells);
    }
    return sheet;
}

bool WriteStatsWorkbook(const QString& path, const StatsView& view, QString* error)
{
    return writeBiff5Workbook(path, statsSheetName(), statsSheet(view), error);
}

QString withoutSexHeading(int students)
{
    return QStringLiteral("有%1名学生没有性别，按女生统计").arg(students);
}

StatsDisplayResult StatsDisplay(const Context& ctx)
{
    StatsDisplayResult result;
    result.build = tongji(ctx);
    if (ctx.state.ClassCount == 0) {
        ctx.prompt.message(noClassesMessage(), noticeTitle());
        return result;
    }
    {
        Store store = OpenStore(ctx);
        ReadTransaction tr(store);
        result.view = ReadStatsView(store);
        if (result.view) {
            result.rules = ruleReportLines(CheckRules(store));
            if (const int n = Students(store).withoutSexCount(); n > 0)
                result.heading = withoutSexHeading(n);
        }
    }
    if (result.view) {
        const QString path = statsWorkbookPath(ctx);
        QString error;
        if (WriteStatsWorkbook(path, *result.view, &error))
            result.view->workbook = path;
        else
            ctx.prompt.message(error, noticeTitle());
    }
    return result;
}

} // namespace quorvel
