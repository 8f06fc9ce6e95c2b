#include "template.h"

#include "biffwriter.h"
#include "core/context.h"
#include "core/textfile.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quorvel {

void WriteExchangeMarker(const Context& ctx, int digit)
{
    const QString path = ctx.file(markerFile());
    if (!QFileInfo(path).isDir() && !isReplaceableFile(path)) // a folder: its own reason
        throw OperationError(
            QStringLiteral("无法写入文件%1：%2").arg(markerFile(), notReplaceableReason()));
    QSaveFile file(path);
    const QByteArray bytes = ' ' + QByteArray::number(digit) + " \r\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw OperationError(
            QStringLiteral("无法写入文件%1：%2").arg(markerFile(), fileErrorReason(file)));
}

bool ImportedSinceTemplate(const Context& ctx)
{
    QFile file(ctx.file(markerFile()));
    if (!file.open(QIODevice::ReadOnly) || file.read(16).trimmed() != "0")
        return false;
    // A template saved after the marker was written (edited in the
    // spreadsheet program) has something new.
    const QFileInfo book(ctx.file(templateFile()));
    return !book.exists() || book.lastModified() < QFileInfo(file).lastModified();
}

bool ExportTemplate(const Context& ctx, QString* error)
{
    try {
        Store store = OpenStore(ctx);
        RowSet rs = RowSet::open(store, studentTable());
        SheetRows rows;
        rows.reserve(rs.rowCount() + 1);
        QVariantList header;
        for (const QString& name : rs.columnNames())
            header.append(name);
        rows.append(header);
        for (int r = 0; r < rs.rowCount(); ++r)
            rows.append(rs.row(r));
        if (!writeBiff5Workbook(ctx.file(templateFile()), QStringLiteral("sheet1"), rows, error))
            return false;
        WriteExchangeMarker(ctx, 1);
        return true;
    } catch (const OperationError& e) {
        if (error)
            *error = e.text();
        return false;
    }
}

} // namespace quorvel
