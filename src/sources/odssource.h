#pragma once

#include "sheetsource.h"
#include "zipxml.h"

namespace quorvel {

// An OpenDocument spreadsheet (.ods): texts, numbers, booleans and dates
// (as office:date-value gives them), with repeated rows and columns spread
// out and the sheet read as a stream.
class OdsSource : public SheetSource {
public:
    OdsSource(const QByteArray& bytes, const QString& name);

    QStringList sheetNames() const override { return m_names; }
    void readRows(int sheet, const std::function<bool(const SheetRow&)>& visit) override;

private:
    // Reads the rows of the table the stream stands at; false once visit
    // asked to stop.
    bool readTable(XmlStream& in, const std::function<bool(const SheetRow&)>& visit);
    void readRow(XmlStream& in, SheetRow& row);
    QVariant readCell(XmlStream& in);

    ZipXml m_zip;
    QString m_name;
    QStringList m_names;
};

} // namespace quorvel
