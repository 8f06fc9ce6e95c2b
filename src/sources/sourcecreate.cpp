#include "sourcecreate.h"

#include "core/context.h"
#include "excel/rebuild.h"
#include "excel/template.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"

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

// The one question of the rebuild from a workbook: what the import would
// lose, when it loses anything, and the rebuild's warning.
QString createQuestion(const CheckedRows& rows, const QString& listAbove)
{
    if (!rows.losesData())
        return rebuildQuestion();
    return (listAbove.isEmpty() ? QString() : listAbove + u'\n') + lossText(rows) +
           QStringLiteral("。确实要重建数据库并导入其余%1行吗？原有数据将全部被删除！且不可恢复！")
               .arg(rows.values.size());
}

} // namespace

bool CreateFromSource(const Context& ctx, const QString& path, const SourceOptions& options,
                      const std::function<void(const SourcePreview&)>& view)
{
    const SourceSheet read = readSourceSheet(path, options, knownColumns(), subjectNames());
    const CreateOptions fields = fieldsFromHeader(read.rows.at(read.header), options.byHand);
    SourcePreview preview = previewSheet(
        read, targetColumns(fields.columns(), fields.scoreFields()), fields.scoreFields(), options);
    preview.path = path;
    if (view)
        view(preview);
    requireStudents(preview);
    const QString question =
        createQuestion(preview.checked, view ? QString() : reportListText(preview.checked));
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
    return true;
}

} // namespace quorvel
