#include "import.h"

#include "core/context.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "store/students.h"
#include "template.h"
#include "xlsreader.h"

#include <QFileInfo>
#include <QVector>
#include <optional>

namespace quorvel {

namespace {

constexpr int kMaxStudents = 32767;

const QString& unchanged()
{
    static const QString text = QStringLiteral("原有学生数据未改动。");
    return text;
}

QString unreadableText(XlsStatus status)
{
    const QString name = templateFile();
    switch (status) {
    case XlsStatus::Missing:
        return QStringLiteral("找不到Excel模板%1，没有导入数据。").arg(name) + unchanged();
    case XlsStatus::CannotOpen:
        return QStringLiteral(
                   "无法打开Excel模板%1，请检查它是否正被别的程序使用，或者没有读取权限。")
                   .arg(name) +
               unchanged();
    case XlsStatus::NotWorkbook:
        return QStringLiteral("%1不是Excel 97-2003或Excel 5.0/95格式的工作簿，无法导入。"
                              "请在Excel中把它另存为“Excel 97-2003 工作簿(*.xls)”后再试。")
                   .arg(name) +
               unchanged();
    case XlsStatus::Corrupt:
        return QStringLiteral("Excel模板%1已损坏或不完整，无法读取。").arg(name) + unchanged();
    case XlsStatus::Encrypted:
        return QStringLiteral("Excel模板%1设有密码保护，无法读取。请在Excel中取消密码后再试。")
                   .arg(name) +
               unchanged();
    case XlsStatus::TooLarge:
        return QStringLiteral(
                   "Excel模板%1太大，无法读取：工作表不能超过%2行、%3列，文件不能超过%4MB。"
                   "请删除多余的行和列后再试。")
                   .arg(name)
                   .arg(XlsWorkbook::kMaxRows)
                   .arg(XlsWorkbook::kMaxColumns)
                   .arg(XlsWorkbook::kMaxFileSize / (1024 * 1024)) +
               unchanged();
    case XlsStatus::LongText:
        return QStringLiteral(
                   "Excel模板%1中有单元格的文字太长（几千字以上），无法读取。请缩短后再试。")
                   .arg(name) +
               unchanged();
    case XlsStatus::Ok:
        break;
    }
    return {};
}

QString noDataText()
{
    return QStringLiteral("Excel模板中没有数据。");
}
QString noSheetText()
{
    return QStringLiteral("请检查数据表的表名是否为：sheet1");
}
QString readFailedText()
{
    return QStringLiteral("请单击第二步数据输入，检查数据类型是否和数据字段一致！");
}

// The data rows of the template: cells[r * width + c] is the cell of
// worksheet row r + 2 and column c + 1.
struct TemplateRows {
    int width = 0;
    int count = 0;
    QVector<QVariant> cells;
    QVariant cell(int row, int column) const
    {
        return column < width ? cells.at(row * width + column) : QVariant();
    }
};

bool isEmptyCell(const QVariant& v)
{
    return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

// The header row must name the columns of studscore in table order, as
// ExportTemplate writes them: a template made for other columns would fill
// them with the wrong data. 总分, computed by the import, may be left out.
// Shows the first column that differs.
bool headerMatches(const Context& ctx, const XlsWorkbook& book, const QStringList& columns)
{
    for (int c = 0; c + 1 < columns.size(); ++c) {
        const auto cell = book.cell(0, c);
        const QString found = cell ? templateCellValue(*cell).toString() : QString();
        if (found == columns.at(c))
            continue;
        ctx.prompt.message(
            QStringLiteral("Excel模板与数据库的字段不一致：第%1列应为“%2”，模板中是“%3”。"
                           "请单击“第二步数据输入”，按数据库的字段填写模板后再试。")
                .arg(c + 1)
                .arg(columns.at(c), found) +
            unchanged());
        return false;
    }
    return true;
}

// Reads the data rows of sheet1, width columns of each, into memory. Shows
// why and returns nullopt when there are none or they cannot be read.
std::optional<TemplateRows> readTemplate(const Context& ctx, const QStringList& columns)
{
    const int width = int(columns.size()) - 1; // 总分 is computed
    XlsWorkbook book(ctx.file(templateFile()));
    if (book.status() != XlsStatus::Ok) {
        ctx.prompt.message(unreadableText(book.status()));
        return std::nullopt;
    }
    const int sheet = book.findSheet(QStringLiteral("sheet1"));
    if (sheet < 0) {
        ctx.prompt.message(noSheetText());
        return std::nullopt;
    }
    if (!book.selectSheet(sheet)) {
        ctx.prompt.message(readFailedText());
        return std::nullopt;
    }

    // The data ends at the first row, counted from the header row, whose
    // column A is empty; outside the sheet every cell is.
    int end = 0;
    for (;; ++end) {
        const auto a = book.cell(end, 0);
        if (!a) {
            ctx.prompt.message(readFailedText());
            return std::nullopt;
        }
        if (isEmptyCell(*a))
            break;
    }
    if (end < 2) {
        ctx.prompt.message(noDataText());
        return std::nullopt;
    }
    if (!headerMatches(ctx, book, columns))
        return std::nullopt;
    // The data must end where the sheet's values do: values below the row
    // that ended it would be lost without a word (a damaged record, or a
    // row whose 编号 was left empty, the row that ended the data included).
    if (book.valueRows() > end) {
        ctx.prompt.message(
            QStringLiteral("Excel模板第%1行的编号是空的，但下面还有数据（到第%2行）。"
                           "请补上编号或删除这些行后再试。")
                .arg(end + 1)
                .arg(book.valueRows()) +
            unchanged());
        return std::nullopt;
    }
    // Class numbers and the dealing counters are 16-bit: more students than
    // that could be imported but never divided.
    if (end - 1 > kMaxStudents) {
        ctx.prompt.message(
            QStringLiteral("Excel模板中有%1行学生数据，超过了分班能处理的%2人，无法导入。")
                .arg(end - 1)
                .arg(kMaxStudents) +
            unchanged());
        return std::nullopt;
    }
    TemplateRows rows;
    rows.width = width;
    rows.count = end - 1;
    rows.cells.reserve(qsizetype(rows.count) * width);
    for (int r = 1; r < end; ++r) {
        for (int c = 0; c < width; ++c) {
            const auto v = book.cell(r, c);
            if (!v) {
                ctx.prompt.message(readFailedText());
                return std::nullopt;
            }
            rows.cells.append(*v);
        }
    }
    return rows;
}

} // namespace

QVariant templateCellValue(const QVariant& cell)
{
    if (cell.isNull())
        return {};
    if (cell.typeId() == QMetaType::Double)
        return shortestNumber(cell.toDouble());
    QString text = cell.toString();
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    if (begin == end)
        return {};
    return text.mid(begin, end - begin);
}

std::optional<QList<QVariantList>> readTemplateData(const Context& ctx, const QStringList& columns)
{
    const std::optional<TemplateRows> rows = readTemplate(ctx, columns);
    if (!rows)
        return std::nullopt;
    QList<QVariantList> out;
    out.reserve(rows->count);
    for (int r = 0; r < rows->count; ++r) {
        QVariantList cells;
        cells.reserve(rows->width);
        for (int c = 0; c < rows->width; ++c)
            cells.append(rows->cell(r, c));
        out.append(cells);
    }
    return out;
}

int placedStudentCount(const Context& ctx)
{
    if (!QFileInfo::exists(ctx.file(Store::fileName())))
        return 0;
    try {
        Store store = OpenStore(ctx);
        if (!store.tableExists(studentTable()))
            return 0;
        return Students(store).placedCount();
    } catch (const OperationError&) {
        return 0;
    }
}

QString importQuestion(int placed)
{
    const QString text = QStringLiteral("发现Excel模板，是否从模板中导入数据。");
    if (placed <= 0)
        return text;
    return text + QStringLiteral(
                      "\n导入将清空现有分班结果：已分班的%1名学生都将没有班级（调班也一并清除）。")
                      .arg(placed);
}

bool askToImportTemplate(const Context& ctx)
{
    const int placed = placedStudentCount(ctx);
    return ctx.prompt.question(importQuestion(placed), appTitle(), PromptIcon::None,
                               placed > 0 ? DefaultAnswer::No : DefaultAnswer::Yes);
}

} // namespace quorvel
