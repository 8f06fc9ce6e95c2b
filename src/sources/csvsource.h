#pragma once

#include "sheetsource.h"

class QIODevice;

namespace quorvel {

// A text file of comma-, tab- or semicolon-separated values as one sheet.
// UTF-8 with or without BOM, UTF-16 with BOM, otherwise GB18030; bytes that
// are not text in the encoding (a cut or lone character included) make the
// file refused. The delimiter is the one the header lines use most; quoted
// fields may hold delimiters, doubled quotes and line breaks (RFC 4180).
// Every cell is a text; a record is one row, however many lines it spans.
// The file is decoded a chunk at a time, never held whole.
class CsvSource : public SheetSource {
public:
    enum class Encoding { Utf8, Utf16LE, Utf16BE, Gb18030 };

    CsvSource(const QByteArray& bytes, const QString& name);
    CsvSource(const FileOnDisk& file, const QString& name);
    ~CsvSource() override;

    QStringList sheetNames() const override;
    void readRows(int sheet, const std::function<bool(const SheetRow&)>& visit) override;

    QChar delimiter() const { return m_delimiter; }
    Encoding encoding() const { return m_encoding; }

private:
    void examine();
    // Whether the whole file is text in encoding; sample takes its first
    // characters.
    bool isText(Encoding encoding, QString& sample);

    QByteArray m_bytes;
    std::unique_ptr<QIODevice> m_device;
    Encoding m_encoding = Encoding::Utf8;
    int m_bom = 0; // the bytes of the byte order mark
    QChar m_delimiter;
};

// The delimiter (comma, tab or semicolon) most used by one of the first
// lines of text outside quotes; comma when none is.
QChar detectDelimiter(const QString& text);

} // namespace quorvel
