#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

class QPagedPaintDevice;

namespace quorvel {

// One table to print: it starts on a new page, under its title and a line
// below it; rows that do not fit go on to the next page under the same
// title and column names.
struct PrintSheet {
    QString title;
    QString subtitle;
    QStringList headers;
    QVector<QStringList> rows;
};

// How many pages the sheets take on a device of that size.
int printPageCount(QPagedPaintDevice& device, const QVector<PrintSheet>& sheets);

// Paints the sheets onto the device, each from a new page, every page with
// the date of printing and 第k页 共n页 at its foot. A narrow table is set in
// two blocks side by side, and its type made smaller down to 8 points, so
// that a class usually keeps to one page and a text that cannot wrap (a
// digest) keeps to its cell. A table too wide for the page keeps its narrow
// columns as they are, the wide ones share the rest and their text wraps.
void paintSheets(QPagedPaintDevice& device, const QVector<PrintSheet>& sheets, const QDate& date);

// The sheets as an A4 PDF at path (written whole under a temporary name,
// then renamed); false when it could not be written.
bool writeSheetsPdf(const QString& path, const QVector<PrintSheet>& sheets, const QString& title);

} // namespace quorvel
