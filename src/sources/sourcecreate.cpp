#include "sourcecreate.h"

#include "core/context.h"
#include "excel/rebuild.h"
#include "excel/template.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "store/students.h"

#include <QFileInfo>

namespace quorvel {

namespace {

// Every column a database can have but the custom ones.
QStringList knownColumns()
{
    QStringList columns{keyColumn(),
                        QStringLiteral("姓名"),
                        sexColumn(),
                        classColumn(),
                        QStringLiteral("原学校"),
                        QStringLiteral("品质等级"),
                        QStringLiteral("是否农民工子女"),
                        QStringLiteral("是否班干部")};
    return columns + subjectNames() + QStringList{totalColumn()};
}

void chooseCustom(const QString& header, CreateOptions& o)
{
    const QString name = header.trimmed();
    if (!name.startsWith(u'是') || name == o.custom1Name)
        return;
    if (!o.custom1) {
        o.custom1 = true;
        o.custom1Name = name;
    } else if (!o.custom2) {
        o.custom2 = true;
        o.custom2Name = name;
    }
}

} // namespace

CreateOptions fieldsFromHeader(const SheetRow& header, const QList<HandMapping>& byHand)
{
    const QStringList columns = knownColumns();
    CreateOptions o;
    for (const HandMapping& hand : byHand)
        if (!hand.second.isEmpty())
            o.chooseNamed(hand.first);
    for (const QVariant& cell : header.cells) {
        const QString text = cell.toString();
        const QString column = columnNamed(text, columns, subjectNames());
        if (column.isEmpty())
            chooseCustom(text, o);
        else
            o.chooseNamed(column);
    }
    return o;
}

namespace {

// Whether the folder holds no student a rebuild could lose: no database,
// or one without students (a file that cannot be read counts as data).
bool nothingToLose(const Context& ctx)
{
    if (!QFileInfo::exists(ctx.file(Store::fileName())))
        return true;
    try {
        Store store = OpenStore(ctx);
        return Students(store).count() == 0;
    } catch (const OperationError&) {
        return false;
    }
}

// The header row and where each column is read from, as one line each.
QString mappingText(const SourcePreview& preview)
{
    QStringList lines{
        QStringLiteral("工作表“%1”，表头在第%2行。").arg(preview.sheet).arg(preview.headerRow)};
    QStringList mapped, unmapped;
    for (const TargetColumn& c : preview.columns) {
        const QString header = preview.mapping.headerOf.value(c.name);
        if (header.isEmpty())
            unmapped.append(c.name);
        else
            mapped.append(c.name + QStringLiteral("←") + header);
    }
    lines.append(QStringLiteral("对应：") + mapped.join(QStringLiteral("，")));
    if (!unmapped.isEmpty())
        lines.append(QStringLiteral("未对应：") + unmapped.join(QStringLiteral("、")));
    return lines.join(u'\n');
}

// The one question of the rebuild from a workbook: above it (without a
// view) the header row and the mapping, then what the import would lose,
// when it loses anything, and the rebuild's warning, or in a folder without
// students that there is nothing to lose.
QString createQuestion(const Context& ctx, const SourcePreview& preview, bool viewed)
{
    const CheckedRows& rows = preview.checked;
    const QString listAbove = viewed ? QString() : reportListText(rows);
    QString text = viewed ? QString() : mappingText(preview) + u'\n';
    if (!listAbove.isEmpty())
        text += listAbove + u'\n';
    if (nothingToLose(ctx)) {
        text += rows.losesData()
                    ? lossText(rows) +
                          QStringLiteral("。新建数据库并导入其余%1行吗？").arg(rows.values.size())
                    : QStringLiteral("新建数据库并导入%1行吗？").arg(rows.values.size());
        return text + QStringLiteral("文件夹中还没有学生数据，不会丢失任何数据。");
    }
    if (!rows.losesData())
        return text + rebuildQuestion();
    return text + lossText(rows) +
           QStringLiteral("。确实要重建数据库并导入其余%1行吗？原有数据将全部被删除！且不可恢复！")
               .arg(rows.values.size());
}

} // namespace

bool CreateFromSource(const Context& ctx, const QString& path, const SourceOptions& options,
                      const std::function<void(const SourcePreview&)>& view, int* stored)
{
    const SourceSheet read = readSourceSheet(path, options, knownColumns(), subjectNames());
    const CreateOptions fields = fieldsFromHeader(read.rows.at(read.header), options.byHand);
    SourcePreview preview = previewSheet(
        read, targetColumns(fields.columns(), fields.scoreFields()), fields.scoreFields(), options);
    preview.path = path;
    if (view)
        view(preview);
    requireStudents(preview);
    const QString question = createQuestion(ctx, preview, bool(view));
    const ImportRecord record = workbookImportRecord(preview);
    if (!CreateFilledDatabase(ctx, fields, question, [&](Store& store) {
            replaceStudents(store, preview.columns, preview.checked, record);
        }))
        return false;
    try {
        WriteExchangeMarker(ctx, 0);
    } catch (const OperationError& e) {
        ctx.prompt.message(e.text()); // the students are in; only the marker is out of date
    }
    rememberSource(ctx, preview);
    if (stored)
        *stored = int(preview.checked.values.size());
    return true;
}

} // namespace quorvel
