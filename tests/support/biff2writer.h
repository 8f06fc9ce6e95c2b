#pragma once

// Writes the record stream of an Excel 2.x, 3.0 or 4.0 worksheet, record by
// record, for the tests of its reader: labels take their bytes as given (in
// the code page the test chose), formulas only their stored result.
#include <QByteArray>
#include <QtEndian>
#include <cstring>

namespace quorvel::test {

class Biff2Writer {
public:
    // version 2, 3 or 4; kind 0x0010 for a worksheet, 0x0100 for a workbook.
    explicit Biff2Writer(int version, quint16 kind = 0x0010) : m_version(version) { bof(kind); }

    Biff2Writer& bof(quint16 kind = 0x0010)
    {
        const quint16 id = m_version == 2 ? 0x0009 : m_version == 3 ? 0x0209 : 0x0409;
        return record(id, u16(0) + u16(kind) + (m_version == 2 ? QByteArray() : u16(0)));
    }
    Biff2Writer& eof() { return record(0x000a, {}); }
    Biff2Writer& codePage(quint16 page) { return record(0x0042, u16(page)); }
    Biff2Writer& number(int row, int column, double value)
    {
        return cell(0x0003, row, column, f64(value));
    }
    // BIFF2's INTEGER, BIFF3's and BIFF4's RK (an integer one).
    Biff2Writer& integer(int row, int column, quint16 value)
    {
        if (m_version == 2)
            return cell(0x0002, row, column, u16(value));
        return cell(0x007e, row, column, u32(quint32(value) << 2 | 0x02));
    }
    Biff2Writer& rk(int row, int column, quint32 raw)
    {
        return cell(0x007e, row, column, u32(raw));
    }
    Biff2Writer& label(int row, int column, const QByteArray& bytes)
    {
        const QByteArray length =
            m_version == 2 ? QByteArray(1, char(bytes.size())) : u16(quint16(bytes.size()));
        return cell(0x0004, row, column, length + bytes);
    }
    Biff2Writer& boolErr(int row, int column, quint8 value, bool error)
    {
        return cell(0x0005, row, column, QByteArray(1, char(value)) + char(error ? 1 : 0));
    }
    Biff2Writer& blank(int row, int column) { return cell(0x0001, row, column, {}); }
    // A formula whose stored result is a number (text: a text, which the
    // STRING record after it holds).
    Biff2Writer& formula(int row, int column, double result)
    {
        return cell(0x0006, row, column, f64(result) + formulaTail());
    }
    Biff2Writer& formulaText(int row, int column, const QByteArray& text)
    {
        const QByteArray special("\0\0\0\0\0\0\xff\xff", 8);
        cell(0x0006, row, column, special + formulaTail());
        const QByteArray length =
            m_version == 2 ? QByteArray(1, char(text.size())) : u16(quint16(text.size()));
        return record(m_version == 2 ? 0x0007 : 0x0207, length + text);
    }
    Biff2Writer& record(quint16 id, const QByteArray& data)
    {
        m_bytes += u16(id) + u16(quint16(data.size())) + data;
        return *this;
    }
    QByteArray bytes() const { return m_bytes; }
    // The stream ended by the EOF of its worksheet.
    QByteArray finished() { return eof().bytes(); }

    static QByteArray u16(quint16 v)
    {
        QByteArray b(2, '\0');
        qToLittleEndian(v, b.data());
        return b;
    }
    static QByteArray u32(quint32 v)
    {
        QByteArray b(4, '\0');
        qToLittleEndian(v, b.data());
        return b;
    }
    static QByteArray f64(double d)
    {
        quint64 bits;
        std::memcpy(&bits, &d, sizeof bits);
        QByteArray b(8, '\0');
        qToLittleEndian(bits, b.data());
        return b;
    }

private:
    // A cell record: BIFF2's ids are below 0x0100, with 3 bytes of
    // attributes; BIFF3's and BIFF4's add 0x0200 (BIFF4's FORMULA 0x0400),
    // with a 2-byte format.
    Biff2Writer& cell(quint16 id, int row, int column, const QByteArray& value)
    {
        const QByteArray head = u16(quint16(row)) + u16(quint16(column));
        if (m_version == 2)
            return record(id, head + QByteArray(3, '\0') + value);
        const quint16 full = id == 0x0006 && m_version == 4 ? 0x0406 : id | 0x0200;
        return record(full, head + u16(15) + value);
    }
    QByteArray formulaTail() const
    {
        // The recalculation flags and an empty formula.
        return m_version == 2 ? QByteArray(2, '\0') : QByteArray(4, '\0');
    }

    int m_version;
    QByteArray m_bytes;
};

} // namespace quorvel::test
