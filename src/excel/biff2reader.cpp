#include "biff2reader.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace quorvel {

namespace {

// The records of BIFF2 (0x00xx, their cells with 3 bytes of attributes)
// and of BIFF3 and BIFF4 (0x02xx and 0x04xx, with a 2-byte format index).
enum Record : quint16 {
    kBof2 = 0x0009,
    kBof3 = 0x0209,
    kBof4 = 0x0409,
    kEof = 0x000a,
    kFilePass = 0x002f,
    kCodePage = 0x0042,
    kSheetHeader = 0x008f, // BIFF4W: the name of a sheet of the workbook
    kBlank2 = 0x0001,
    kInteger2 = 0x0002,
    kNumber2 = 0x0003,
    kLabel2 = 0x0004,
    kBoolErr2 = 0x0005,
    kFormula2 = 0x0006,
    kString2 = 0x0007,
    kNumber3 = 0x0203,
    kLabel3 = 0x0204,
    kBoolErr3 = 0x0205,
    kFormula3 = 0x0206,
    kString3 = 0x0207,
    kRk3 = 0x027e,
    kFormula4 = 0x0406,
};

// BOF's substream types.
constexpr quint16 kWorksheet = 0x0010;
constexpr quint16 kWorkbook = 0x0100;
// The format's limit on the data of one record.
constexpr quint16 kMaxRecord = 2080;

quint16 u16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}

double f64(const char* p)
{
    const quint64 bits = qFromLittleEndian<quint64>(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

double rkNumber(quint32 rk)
{
    double d;
    if (rk & 0x02) {
        d = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xfffffffcu) << 32;
        std::memcpy(&d, &bits, sizeof d);
    }
    return rk & 0x01 ? d / 100 : d;
}

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0f:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1d:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    default:
        return QStringLiteral("#N/A");
    }
}

bool isBof(quint16 type)
{
    return type == kBof2 || type == kBof3 || type == kBof4;
}

// The bytes of a cell record before its value: row, column and format.
int cellHeader(quint16 type)
{
    return type < 0x0100 ? 7 : 6;
}

// The least size of each cell record, its text's length included where
// it has one; 0 for a record that is not a cell.
qsizetype cellSize(quint16 type, const char* data, quint16 size)
{
    switch (type) {
    case kInteger2:
        return 9;
    case kNumber2:
        return 15;
    case kNumber3:
        return 14;
    case kBoolErr2:
        return 9;
    case kBoolErr3:
        return 8;
    case kRk3:
        return 10;
    case kFormula2:
        return 17;
    case kFormula3:
    case kFormula4:
        return 18;
    case kLabel2:
        return size < 8 ? 8 : 8 + quint8(data[7]);
    case kLabel3:
        return size < 8 ? 8 : 8 + u16(data + 6);
    default:
        return 0;
    }
}

// The name of the converter for a CODEPAGE value; empty when unknown.
QByteArray codecName(quint16 codePage)
{
    switch (codePage) {
    case 936:
        return "GB18030";
    case 367:
        return "US-ASCII";
    case 10000:
    case 32768:
        return "macintosh";
    case 32769:
        return "windows-1252";
    default:
        break;
    }
    if ((codePage >= 1250 && codePage <= 1258) || codePage == 874)
        return "windows-" + QByteArray::number(codePage);
    if (codePage == 437 || (codePage >= 850 && codePage <= 869))
        return "cp" + QByteArray::number(codePage);
    return {};
}

} // namespace

Biff2Book::Biff2Book(const QByteArray& stream) : m_stream(stream)
{
    m_status = read();
    if (m_status != Ok)
        m_sheets.clear();
}

bool Biff2Book::recognises(const QByteArray& bytes)
{
    if (bytes.size() < 8 || !isBof(u16(bytes.constData())))
        return false;
    const quint16 size = u16(bytes.constData() + 2);
    const quint16 kind = u16(bytes.constData() + 6);
    return size >= 4 && size <= 16 &&
           (kind == kWorksheet || kind == kWorkbook || kind == 0x0020 || kind == 0x0040);
}

qint64 Biff2Book::heldBytes() const
{
    return m_stream.size() + m_cells * qint64(sizeof(Cell));
}

Biff2Book::Status Biff2Book::read()
{
    if (!recognises(m_stream))
        return NotBiff2;
    const quint16 first = u16(m_stream.constData());
    m_version = first == kBof2 ? 2 : first == kBof3 ? 3 : 4;
    bool workbook = false;
    int substreams = 0; // the sheets of a workbook begun so far
    QStringList names;  // the names its sheet list gives
    qsizetype at = 0;
    for (bool done = false; !done;) {
        if (at == m_stream.size() && workbook && m_depth == 0 && substreams > 0)
            break; // a workbook ends with its last sheet
        if (at + 4 > m_stream.size())
            return Corrupt; // cut short
        const quint16 type = u16(m_stream.constData() + at);
        const quint16 size = u16(m_stream.constData() + at + 2);
        if (size > kMaxRecord || at + 4 + size > m_stream.size())
            return Corrupt;
        const char* data = m_stream.constData() + at + 4;
        if (isBof(type)) {
            if (type != first || size < 4)
                return Corrupt;
            const quint16 kind = u16(data + 2);
            if (at == 0) {
                workbook = kind == kWorkbook;
                if (!workbook && kind != kWorksheet)
                    return NotWorksheet;
            }
            if (m_depth++ == 0 && at > 0) {
                if (kind == kWorksheet) {
                    QString name = m_nextName;
                    if (name.isEmpty())
                        name = substreams < names.size()
                                   ? names.at(substreams)
                                   : QStringLiteral("Sheet%1").arg(substreams + 1);
                    m_sheets.append({name, {}});
                }
                m_inSheet = kind == kWorksheet;
                m_nextName.clear();
                ++substreams;
            } else if (at == 0 && !workbook) {
                m_sheets.append({QString(), {}});
                m_inSheet = true;
            }
        } else if (type == kEof) {
            if (m_depth == 0)
                return Corrupt;
            if (--m_depth == 0) {
                m_inSheet = false;
                done = !workbook;
            }
            m_pendingText = -1;
        } else if (type == kSheetHeader) {
            // Before each sheet of the workbook its size and name; in the
            // globals, the sheet list: position, kind and name.
            const int start = m_depth == 0 ? 4 : 6;
            if (size > start && start + 1 + quint8(data[start]) == size) {
                const QString name = text(data + start + 1, quint8(data[start]));
                if (m_depth == 0)
                    m_nextName = name;
                else
                    names.append(name);
            }
        } else {
            const Status s = readRecord(type, data, size, at);
            if (s != Ok)
                return s;
        }
        at += 4 + size;
    }
    if (m_sheets.isEmpty())
        return NotWorksheet;
    // Every value read once, before any row is: the texts in the code page
    // (known only now), the numbers finite; no cell given twice.
    for (Sheet& sheet : m_sheets) {
        std::stable_sort(sheet.cells.begin(), sheet.cells.end(),
                         [](const Cell& a, const Cell& b) { return a.key < b.key; });
        for (qsizetype i = 0; i < sheet.cells.size(); ++i) {
            if (i > 0 && sheet.cells.at(i - 1).key == sheet.cells.at(i).key)
                return Corrupt;
            bool text = true;
            const QVariant v = decode(sheet.cells.at(i), &text);
            if (!text)
                return NotText;
            if (v.typeId() == QMetaType::Double && !std::isfinite(v.toDouble()))
                return Corrupt;
        }
    }
    return Ok;
}

Biff2Book::Status Biff2Book::readRecord(quint16 type, const char* data, quint16 size,
                                        qsizetype offset)
{
    if (type == kFilePass)
        return Encrypted;
    if (type == kCodePage && size >= 2) {
        m_codePage = u16(data);
        m_decoder = QStringDecoder(codecName(m_codePage).constData());
        if (codecName(m_codePage).isEmpty() || !m_decoder.isValid())
            return UnknownCodePage;
        return Ok;
    }
    if (!m_inSheet || m_depth != 1)
        return Ok; // a record of the workbook's globals, or of a chart
    if (type == kString2 || type == kString3) {
        const qsizetype length = type == kString2 ? (size < 1 ? -1 : 1 + quint8(data[0]))
                                                  : (size < 2 ? -1 : 2 + u16(data));
        if (length < 0 || length > size)
            return Corrupt;
        if (m_pendingText >= 0)
            m_sheets.last().cells[m_pendingText].record = quint32(offset);
        m_pendingText = -1;
        return Ok;
    }
    if (type == kBlank2 || type == (kBlank2 | 0x0200)) {
        m_pendingText = -1;
        return size < 4 ? Corrupt : Ok;
    }
    const qsizetype least = cellSize(type, data, size);
    if (least == 0)
        return Ok; // formats, widths, notes and the like
    if (size < least)
        return Corrupt;
    m_pendingText = -1;
    const quint32 row = u16(data), column = u16(data + 2);
    if (row >= kMaxRows || column >= kMaxColumns || ++m_cells > kMaxCells)
        return TooLarge;
    QVector<Cell>& cells = m_sheets.last().cells;
    cells.append({row << 8 | column, quint32(offset)});
    if (type == kFormula2 || type == kFormula3 || type == kFormula4) {
        const char* result = data + cellHeader(type);
        if (u16(result + 6) == 0xffff && result[0] == 0)
            m_pendingText = cells.size() - 1;
    }
    return Ok;
}

QVariant Biff2Book::value(const Cell& cell) const
{
    bool text = true;
    return decode(cell, &text);
}

QVariant Biff2Book::decode(const Cell& cell, bool* isText) const
{
    const char* record = m_stream.constData() + cell.record;
    const quint16 type = u16(record);
    const char* data = record + 4;
    const char* value = data + cellHeader(type);
    switch (type) {
    case kInteger2:
        return double(u16(value));
    case kNumber2:
    case kNumber3:
        return f64(value);
    case kRk3:
        return rkNumber(qFromLittleEndian<quint32>(value));
    case kBoolErr2:
    case kBoolErr3:
        return value[1] ? QVariant(errorText(quint8(value[0]))) : QVariant(value[0] != 0);
    case kLabel2:
        return text(data + 8, quint8(data[7]), isText);
    case kLabel3:
        return text(data + 8, u16(data + 6), isText);
    case kString2:
        return text(data + 1, quint8(data[0]), isText);
    case kString3:
        return text(data + 2, u16(data), isText);
    default:
        break;
    }
    // A formula: its stored result, a number unless the top bytes say
    // otherwise; a text result whose STRING record is missing is empty.
    if (u16(value + 6) != 0xffff)
        return f64(value);
    switch (value[0]) {
    case 1:
        return value[2] != 0;
    case 2:
        return errorText(quint8(value[2]));
    default:
        return QString();
    }
}

QString Biff2Book::text(const char* chars, qsizetype length, bool* isText) const
{
    m_decoder.resetState();
    const QString out = m_decoder(QByteArrayView(chars, length));
    if (isText && m_decoder.hasError())
        *isText = false;
    return out;
}

} // namespace quorvel
