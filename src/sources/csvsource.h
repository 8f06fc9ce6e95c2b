#pragma once

#include "sheetsource.h"

namespace quorvel {

// A text file of comma-, tab- or semicolon-separated values as one sheet.
// UTF-8 with or without BOM, UTF-16 with BOM, otherwise GB18030; the
// delimiter is the one the header lines use most; quoted fields may hold
// delimiters, doubled quotes and line breaks (RFC 4180). Every cell is a
// text; a record is one row, however many lines it spans.
class CsvSource : public SheetSource {
public:
    CsvSource(const QByteArray& bytes, const QString& name);

    QStringList sheetNames() const override;
    void readRows(int sheet, const std::function<bool(const SheetRow&)>& visit) override;

    QChar delimiter() const { return m_delimiter; }

private:
    QString m_name;
    QString m_text;
    QChar m_delimiter;
};

// The text of a .csv file's bytes; nullopt when they are not text.
std::optional<QString> decodeCsv(const QByteArray& bytes);

// The delimiter (comma, tab or semicolon) most used by one of the first
// lines of text outside quotes; comma when none is.
QChar detectDelimiter(const QString& text);

} // namespace quorvel
