#pragma once

#include "excel/xlsreader.h"
#include "sheetsource.h"

namespace quorvel {

// An Excel 5.0/95 or 97-2003 workbook, any of its sheets, read with the
// checked FreeXL reader of the template import.
class XlsSource : public SheetSource {
public:
    XlsSource(const QString& path, const QString& name);
    static std::unique_ptr<XlsSource> fromBytes(const QByteArray& bytes, const QString& name);

    QStringList sheetNames() const override { return m_book.sheetNames(); }
    void readRows(int sheet, const std::function<bool(const SheetRow&)>& visit) override;

private:
    XlsWorkbook m_book;
};

} // namespace quorvel
