#pragma once

#include "sheetsource.h"
#include "zipxml.h"

namespace quorvel {

// An OpenDocument spreadsheet (.ods): texts, numbers, booleans and dates
// (as office:date-value gives them), with repeated rows and columns spread
// out and the sheet read as a stream; a text referring to an entity is an
// UnreadableCell.
class OdsSource : public SheetSource {
public:
    OdsSource(const QByteArray& bytes, const QString& name);
    OdsSource(const FileOnDisk& file, const QString& name);

    QStringList sheetNames() const override { return m_names; }
    void readRows(int sheet, const std::function<bool(const SheetRow&)>& visit) override;

private:
    void readNames();
    // Reads the rows of the table the stream stands at; false once visit
    // asked to stop.
    bool readTable(XmlStream& in, const std::function<bool(const SheetRow&)>& visit);
    // Reads the cells of the row the stream stands at, row number the
    // one its messages give.
    void readRow(XmlStream& in, SheetRow& row, int number);
    QVariant readCell(XmlStream& in);

    ZipXml m_zip;
    QStringList m_names;
};

} // namespace quorvel
