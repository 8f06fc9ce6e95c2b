// export --like: the division's classes written into the layout of the
// workbook the students came from.
#include "resultexport.h"

#include "core/context.h"
#include "roster.h"
#include "sources/report.h"
#include "store/errors.h"
#include "store/ownfiles.h"
#include "store/students.h"

#include <QFileInfo>

namespace quorvel {

namespace {

bool isClassHeader(const QVariant& cell)
{
    const QString text = sourceCellText(cell).trimmed();
    return text == u"班级" || text == u"分班";
}

// The column the classes go into: the header's 班级 or 分班, else a new one
// after the widest row.
int classColumnOf(const SourcePreview& preview, bool& added)
{
    for (const SheetRow& row : preview.rows) {
        if (row.number != preview.headerRow)
            continue;
        for (int c = 0; c < row.cells.size(); ++c)
            if (isClassHeader(row.cells.at(c))) {
                added = false;
                return c;
            }
    }
    int width = 0;
    for (const SheetRow& row : preview.rows)
        width = qMax(width, int(row.cells.size()));
    added = true;
    return width;
}

} // namespace

QString leftOutRowsText(const QList<int>& rows)
{
    QStringList numbers;
    for (int r : rows)
        numbers.append(QString::number(r));
    return QStringLiteral("未导入的行（班级为空）：") + numbers.join(u'、');
}

LikeExport ExportLike(const Context& ctx, const QString& path, const QString& source,
                      const SourceOptions& options)
{
    RequireOutputPath(ctx, path);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != u"xlsx" && suffix != u"csv")
        throw OperationError(QStringLiteral("只能导出为.xlsx或.csv文件，“%1”不是。")
                                 .arg(QFileInfo(path).fileName()));
    const SourcePreview preview = previewSource(ctx, source, options);
    QHash<QString, int> classes;
    {
        Store store = OpenStore(ctx);
        classes = Students(store).classesByKey();
    }
    const int idCell = preview.mapping.cellOf.value(QStringLiteral("编号"), -1);
    bool added = false;
    const int classCell = classColumnOf(preview, added);

    // Row n of the sheet is row n − 1 of the grid; the first grid row goes
    // out as the column names.
    int last = 0;
    for (const SheetRow& row : preview.rows)
        last = qMax(last, row.number);
    QVector<QVariantList> grid(last);
    LikeExport done;
    for (const SheetRow& row : preview.rows) {
        QVariantList cells = row.cells;
        while (cells.size() <= classCell)
            cells.append(QVariant());
        if (row.number == preview.headerRow && added) {
            cells[classCell] = QStringLiteral("班级");
        } else if (row.number > preview.headerRow) {
            const QString id =
                idCell >= 0 ? sourceCellText(row.cells.value(idCell)).trimmed() : QString();
            const auto found = classes.constFind(id);
            if (id.isEmpty() || found == classes.cend()) {
                cells[classCell] = QVariant();
                done.leftOut.append(row.number);
            } else if (*found > 0) {
                cells[classCell] = *found;
                ++done.placed;
            } else {
                cells[classCell] = QVariant();
            }
        }
        grid[row.number - 1] = cells;
    }
    int width = classCell + 1;
    for (const QVariantList& row : grid)
        width = qMax(width, int(row.size()));
    RosterSheet sheet;
    sheet.name = preview.sheet.isEmpty() ? resultSheetName() : preview.sheet;
    sheet.titled = false;
    sheet.cellsTyped = true;
    for (int c = 0; c < width; ++c)
        sheet.columns.append(
            {grid.isEmpty() ? QString() : cellText(grid.at(0).value(c)), ColumnType{}});
    for (int r = 1; r < grid.size(); ++r)
        sheet.rows.append(grid.at(r));
    writeResultSheet(ctx, path, sheet);
    return done;
}

} // namespace quorvel
