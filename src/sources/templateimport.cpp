#include "templateimport.h"

#include "core/context.h"
#include "excel/import.h"
#include "sourceimport.h"
#include "store/errors.h"
#include "store/fieldlists.h"

namespace quorvel {

namespace {

// The worksheet's columns go to the table's columns by position; 总分, the
// last, is computed and so left unmapped.
ColumnMapping templateMapping(const QStringList& names)
{
    ColumnMapping mapping;
    for (int c = 0; c + 1 < names.size(); ++c) {
        mapping.cellOf.insert(names.at(c), c);
        mapping.headerOf.insert(names.at(c), names.at(c));
    }
    return mapping;
}

} // namespace

bool ImportTemplate(const Context& ctx, const ReportView& view)
{
    QStringList scores;
    readScoreList(ctx, scores);
    const QList<TargetColumn> columns = studentColumns(ctx, scores);
    QStringList names;
    for (const TargetColumn& c : columns)
        names.append(c.name);
    const auto data = readTemplateData(ctx, names);
    if (!data)
        return false;
    QList<SheetRow> rows;
    rows.reserve(data->size());
    for (int r = 0; r < data->size(); ++r)
        rows.append({r + 2, data->at(r)});
    const CheckedRows checked = checkRows(rows, templateMapping(names), columns);
    if (view)
        view(checked);
    return storeCheckedRows(ctx, columns, checked, ImportRecord{QStringLiteral("导入模板数据"), {}},
                            view ? QString() : reportListText(checked));
}

bool AskAndImport(const Context& ctx, const ReportView& view)
{
    if (!askToImportTemplate(ctx))
        return false;
    bool imported = false;
    reportErrors(ctx.prompt, [&] { imported = ImportTemplate(ctx, view); });
    return imported;
}

} // namespace quorvel
