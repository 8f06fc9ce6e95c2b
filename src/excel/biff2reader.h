#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QVariant>
#include <QVector>

namespace quorvel {

// A worksheet of Excel 2.x, 3.0 or 4.0 (BIFF2, BIFF3, BIFF4), as older
// school systems still write them: a bare record stream, no compound file,
// one sheet per file; or an Excel 4.0 workbook (BIFF4W), whose worksheets
// follow one another in the stream. No library reads these, and their cell
// records are few: NUMBER, INTEGER (BIFF2), RK, LABEL, BOOLERR, BLANK and
// FORMULA with its stored result (a text one in the STRING record after
// it); the 8-bit texts are in the CODEPAGE record's code page (GBK when
// there is none, as the Chinese editions wrote them). Every length and
// position is checked against the stream, and the whole stream is checked
// when it is opened, so a damaged file is refused before a row is read.
class Biff2Book {
public:
    enum Status {
        Ok,
        NotBiff2,     // no BOF of BIFF2, BIFF3 or BIFF4 at the start
        Corrupt,      // a record cut short or out of place, a cell given twice
        Encrypted,    // protected by a password
        NotWorksheet, // a chart or a macro sheet, or a workbook without a worksheet
        TooLarge,     // beyond the limits of Excel 97-2003's sheets
        NotText,      // a text that is not text in the code page
        UnknownCodePage,
    };

    // One cell holding a value: where its value is kept in the stream.
    struct Cell {
        quint32 key;    // row << 8 | column
        quint32 record; // the offset of the record holding the value
        quint32 row() const { return key >> 8; }
        quint32 column() const { return key & 0xff; }
    };
    struct Sheet {
        QString name;        // empty for the single worksheet of a file
        QVector<Cell> cells; // by row, then column
    };

    // The limits of Excel 97-2003's sheets (Excel 4.0 kept to 16384 rows).
    static constexpr quint32 kMaxRows = 65536;
    static constexpr quint32 kMaxColumns = 256;
    static constexpr qint64 kMaxCells = 4000000;

    explicit Biff2Book(const QByteArray& stream);

    // Whether bytes begin with the BOF record of a BIFF2, BIFF3 or BIFF4
    // worksheet or workbook.
    static bool recognises(const QByteArray& bytes);

    Status status() const { return m_status; }
    int version() const { return m_version; } // 2, 3 or 4
    quint16 codePage() const { return m_codePage; }
    const QVector<Sheet>& sheets() const { return m_sheets; }
    // About what the open book keeps in memory: the stream and its cells.
    qint64 heldBytes() const;
    // The value of a cell: a double, a bool or a QString (an error as its
    // text, such as #DIV/0!).
    QVariant value(const Cell& cell) const;

private:
    Status read();
    Status readRecord(quint16 type, const char* data, quint16 size, qsizetype offset);
    // The value of the cell; isText is cleared when a text is not text in
    // the code page.
    QVariant decode(const Cell& cell, bool* isText) const;
    QString text(const char* chars, qsizetype length, bool* isText = nullptr) const;

    QByteArray m_stream;
    Status m_status = NotBiff2;
    int m_version = 0;
    quint16 m_codePage = 936;
    mutable QStringDecoder m_decoder{"GB18030"};
    QVector<Sheet> m_sheets;
    qint64 m_cells = 0;
    int m_depth = 0;           // substreams open: 1 inside a worksheet
    bool m_inSheet = false;    // the records read belong to a worksheet
    QString m_nextName;        // the name the next worksheet of a workbook has
    qint64 m_pendingText = -1; // the cell whose text result the next STRING holds
};

} // namespace quorvel
