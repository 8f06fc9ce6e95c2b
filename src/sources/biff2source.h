#pragma once

#include "excel/biff2reader.h"
#include "sheetsource.h"

namespace quorvel {

// An Excel 2.x, 3.0 or 4.0 worksheet (.xls of older school systems), or
// the worksheets of an Excel 4.0 workbook, read with Biff2Book. The single
// sheet of a file is named after the file, as a .csv file's is.
class Biff2Source : public SheetSource {
public:
    Biff2Source(const QByteArray& stream, const QString& name);

    QStringList sheetNames() const override;
    void readRows(int sheet, const std::function<bool(const SheetRow&)>& visit) override;

private:
    Biff2Book m_book;
};

} // namespace quorvel
