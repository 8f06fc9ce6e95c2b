#pragma once

#include "sheetsource.h"
#include "zipxml.h"

#include <QHash>

namespace quorvel {

// An Office Open XML workbook (.xlsx): shared and inline strings, numbers,
// booleans, dates (by their cell's number format), formula results as
// stored. Each sheet is read as a stream; a text referring to an entity is
// an UnreadableCell.
class XlsxSource : public SheetSource {
public:
    XlsxSource(const QByteArray& bytes, const QString& name);
    XlsxSource(const FileOnDisk& file, const QString& name);

    QStringList sheetNames() const override { return m_names; }
    void readRows(int sheet, const std::function<bool(const SheetRow&)>& visit) override;

private:
    void readParts();
    void readWorkbook();
    void readRelations(const QStringList& ids);
    void readSharedStrings();
    void readStyles();
    void readCell(XmlStream& in, SheetRow& row, int& column);
    QVariant cellValue(const QString& type, int style, const QString& value, XmlStream& in) const;

    ZipXml m_zip;
    QString m_workbook; // the workbook part, found through _rels/.rels
    QString m_sharedMember, m_stylesMember;
    QStringList m_names;
    QStringList m_members;
    QVariantList m_shared; // texts, or UnreadableCell
    QList<bool> m_dateStyles;
    bool m_1904 = false;
};

// Whether a number format shows a date: Excel's built-in date formats and
// any format code with a day or year in it.
bool isDateFormat(int id, const QString& code);

// The spreadsheet serial number as a yyyy-mm-dd text.
QString serialDateText(double serial, bool base1904);

} // namespace quorvel
