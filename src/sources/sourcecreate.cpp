#include "sourcecreate.h"

#include "excel/rebuild.h"
#include "store/context.h"
#include "store/errors.h"
#include "store/fieldlists.h"

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

bool CreateFromSource(const Context& ctx, const QString& path, const SourceOptions& options,
                      const std::function<void(const SourcePreview&)>& view)
{
    const SourceSheet read = readSourceSheet(path, options, knownColumns(), subjectNames());
    const CreateOptions fields = fieldsFromHeader(read.rows.at(read.header), options.byHand);
    if (!CreateDatabase(ctx, fields))
        return false;
    const SourcePreview preview = previewSource(ctx, path, options);
    if (view)
        view(preview);
    return storeCheckedRows(ctx, preview.columns, preview.checked, workbookImportRecord(preview),
                            view ? QString() : reportListText(preview.checked));
}

} // namespace quorvel
