#include "templateimport.h"

#include "core/context.h"
#include "excel/import.h"
#include "excel/template.h"
#include "sourceimport.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"

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

// The template's rows checked against the columns of studscore (and the
// students stored, for an addition); nullopt when it cannot be read.
struct TemplateRows {
    QList<TargetColumn> columns;
    CheckedRows checked;
};

std::optional<TemplateRows> checkTemplate(const Context& ctx, const StoredKeys& stored)
{
    QStringList scores;
    readScoreList(ctx, scores);
    const QList<TargetColumn> columns = studentColumns(ctx, scores);
    QStringList names;
    for (const TargetColumn& c : columns)
        names.append(c.name);
    const auto data = readTemplateData(ctx, names);
    if (!data)
        return std::nullopt;
    QList<SheetRow> rows;
    rows.reserve(data->size());
    for (int r = 0; r < data->size(); ++r)
        rows.append({r + 2, data->at(r)});
    CheckOptions options;
    options.storedKeys = stored.keys;
    return TemplateRows{columns, checkRows(rows, templateMapping(names), columns, options)};
}

} // namespace

bool ImportTemplate(const Context& ctx, const ReportView& view)
{
    const auto read = checkTemplate(ctx, {});
    if (!read)
        return false;
    if (view)
        view(read->checked);
    return storeCheckedRows(ctx, read->columns, read->checked,
                            ImportRecord{QStringLiteral("导入模板数据"), {}},
                            view ? QString() : reportListText(read->checked));
}

bool AddTemplateStudents(const Context& ctx, const ReportView& view)
{
    StoredKeys stored;
    {
        Store store = OpenStore(ctx);
        stored = readStoredKeys(store);
    }
    const auto read = checkTemplate(ctx, stored);
    if (!read)
        return false;
    if (view)
        view(read->checked);
    return addCheckedRows(ctx, read->columns, read->checked,
                          view ? QString() : reportListText(read->checked));
}

bool AskAndImport(const Context& ctx, const ReportView& view)
{
    if (ImportedSinceTemplate(ctx) || !askToImportTemplate(ctx))
        return false;
    bool imported = false;
    reportErrors(ctx.prompt, [&] { imported = ImportTemplate(ctx, view); });
    return imported;
}

} // namespace quorvel
