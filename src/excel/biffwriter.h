#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

namespace quorvel {

// The rows of one worksheet: each cell a null QVariant (empty cell), a number
// (any numeric QVariant) or a text (QString).
using SheetRows = QVector<QVariantList>;

// Writes an Excel 5.0 (BIFF5) workbook holding one worksheet named sheetName,
// inside an OLE2 compound file, texts in GBK (CODEPAGE 936). The file is
// replaced as a whole or not at all. On failure returns false and sets *error
// (in Chinese, for the user) when error is given.
bool writeBiff5Workbook(const QString& path, const QString& sheetName, const SheetRows& rows,
                        QString* error = nullptr);

} // namespace quorvel
