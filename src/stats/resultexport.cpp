#include "resultexport.h"

#include "core/context.h"
#include "core/textfile.h"
#include "roster.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/ownfiles.h"
#include "store/rowset.h"

#include <QFileInfo>
#include <QSaveFile>

namespace quorvel {

namespace {

// Whether a spreadsheet program would take a text cell beginning so as a
// formula (=, +, -, @) or strip its start (a tab, a carriage return).
bool readsAsFormula(const QString& text)
{
    static const QString starts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && starts.contains(text.front());
}

QString csvField(const QVariant& value, const ColumnType& type)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (type.kind == ColumnType::Single)
        return shortestSingle(value.toDouble());
    if (type.kind == ColumnType::Integer)
        return QString::number(value.toLongLong());
    QString text = value.toString();
    if (readsAsFormula(text)) // shown as the text it is, never run
        text.prepend(u'\'');
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    return u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

[[noreturn]] void throwUnwritten(const QString& path)
{
    throw OperationError(rosterWriteFailedMessage(path));
}

void writeCsv(const QString& path, const RosterSheet& sheet)
{
    if (!isReplaceableFile(path))
        throwUnwritten(path);
    QSaveFile file(path);
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + resultCsvText(sheet).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throwUnwritten(path);
}

} // namespace

RosterSheet ReadResultSheet(const Context& ctx)
{
    Store store = OpenStore(ctx);
    const RowSet rs = RowSet::open(store, studentTable());
    RosterSheet sheet;
    sheet.name = resultSheetName();
    sheet.titled = false;
    for (int c = 0; c < rs.columnCount(); ++c)
        sheet.columns.append(rs.column(c));
    for (int r = 0; r < rs.rowCount(); ++r)
        sheet.rows.append(rs.row(r));
    return sheet;
}

QString resultCsvText(const RosterSheet& sheet)
{
    QStringList lines;
    QStringList names;
    for (const ColumnInfo& c : sheet.columns)
        names.append(csvField(c.name, ColumnType{}));
    lines.append(names.join(u','));
    for (const QVariantList& row : sheet.rows) {
        QStringList fields;
        for (int c = 0; c < sheet.columns.size(); ++c)
            fields.append(!sheet.cellsTyped ? csvField(row.value(c), sheet.columns.at(c).type)
                          : isNumberCell(row.value(c))
                              ? cellText(row.value(c))
                              : csvField(cellText(row.value(c)), ColumnType{}));
        lines.append(fields.join(u','));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

int ExportResults(const Context& ctx, const QString& path)
{
    RequireOutputPath(ctx, path);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != u"xlsx" && suffix != u"csv")
        throw OperationError(QStringLiteral("只能导出为.xlsx或.csv文件，“%1”不是。")
                                 .arg(QFileInfo(path).fileName()));
    const RosterSheet sheet = ReadResultSheet(ctx);
    writeResultSheet(ctx, path, sheet);
    return int(sheet.rows.size());
}

void writeResultSheet(const Context& ctx, const QString& path, const RosterSheet& sheet)
{
    if (QFileInfo(path).suffix().toLower() == u"csv")
        writeCsv(path, sheet);
    else if (!WriteRosterWorkbook(path, {sheet}, ctx))
        throwUnwritten(path);
}

} // namespace quorvel
