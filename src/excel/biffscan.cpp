#include "biffscan.h"

#include "biffrecords.h"

#include <QBitArray>
#include <QStringDecoder>
#include <QtEndian>
#include <cstring>
#include <optional>

namespace quorvel {

namespace {

using namespace biff;

quint16 u16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

double f64(const char* p)
{
    const quint64 bits = qFromLittleEndian<quint64>(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// The decoder for the 8-bit texts of a BIFF5 workbook.
QStringDecoder codePageDecoder(quint16 codePage)
{
    if (codePage == 936)
        return QStringDecoder("GBK");
    QStringDecoder d(QByteArray("windows-" + QByteArray::number(codePage)).constData());
    return d.isValid() ? std::move(d) : QStringDecoder(QStringDecoder::Latin1);
}

class Scanner {
public:
    explicit Scanner(const QByteArray& stream) : m_s(stream) {}
    BiffScan run();

private:
    const QByteArray& m_s;
    BiffScan m_out;
    quint16 m_codePage = 1252;
    QVector<quint32> m_sheetOffsets;
    QVector<bool> m_sheetDone;

    // The top-level substream being read: -1 for the globals, else the
    // index of its sheet, or -2 for a substream no sheet points to.
    int m_current = -1;
    int m_depth = 0;
    bool m_globalsDone = false;
    bool m_dimensions = false; // the current substream has a DIMENSIONS record
    std::optional<QPair<quint32, quint32>>
        m_cellExtent;      // rows and columns the sheet's DIMENSIONS claims
    QBitArray m_cellsSeen; // the cells of the sheet given so far, row by row
    quint32 m_cellRows = 0, m_cellColumns = 0;
    qint64 m_pendingString = -1; // the cell whose formula result follows in a STRING record

    // The shared string table as the cell reader goes through it.
    quint16 m_lastType = 0; // the last record other than CONTINUE
    bool m_sstStarted = false;
    quint32 m_sstCount = 0;     // strings announced
    quint32 m_sstIndex = 0;     // strings read so far
    quint32 m_pendingChars = 0; // characters of a string split over records, still to come
    quint32 m_pendingSkip = 0;  // its formatting runs, skipped after it
    qint64 m_carry = 0;         // formatting of the last string that goes on in the next record
    int m_xfCount = 0;          // cell formats: the reader keeps 8192 of them

    bool fitsReader(quint16 type, const char* data, quint16 size);
    bool sstRecord(const char* data, quint16 size, bool continued);
    void extent(quint32 rows, quint32 columns);
    void beginSubstream(qsizetype offset);
    void endSubstream();
    bool globalsRecord(quint16 type, const char* data, quint16 size);
    bool sheetRecord(quint16 type, const char* data, quint16 size);
    bool firstTime(quint32 row, quint32 first, quint32 last);
    BiffSheetScan* currentSheet();
    QString stringRecord(const char* data, quint16 size);
};

BiffScan Scanner::run()
{
    if (m_s.size() < 8 || u16(m_s.constData()) != kBof)
        return m_out;
    const quint16 version = u16(m_s.constData() + 4);
    if (version != 0x0500 && version != 0x0600)
        return m_out;
    m_out.version = version == 0x0600 ? 8 : 5;
    m_out.status = BiffScan::Corrupt;
    // One pass over every record, the way the cell reader goes through them.
    for (qsizetype at = 0; at + 4 <= m_s.size();) {
        const quint16 type = u16(m_s.constData() + at);
        const quint16 size = u16(m_s.constData() + at + 2);
        if (at + 4 + size > m_s.size())
            return m_out; // a record cut short
        // The format's limit on the data of one record.
        if (size > (m_out.version == 8 ? 8224 : 2080))
            return m_out;
        const char* data = m_s.constData() + at + 4;
        const qsizetype offset = at;
        at += 4 + size;
        if (!fitsReader(type, data, size))
            return m_out; // Corrupt, or LongText
        if (type == kBof) {
            // Every substream is of the workbook's version; a BOF of
            // another length swallows the records after it.
            if (size < 8 || size > 20 || u16(data) != version)
                return m_out;
            if (m_depth++ == 0)
                beginSubstream(offset);
        } else if (type == kEof) {
            if (m_depth > 0 && --m_depth == 0)
                endSubstream();
        } else if (!m_globalsDone) {
            if (!globalsRecord(type, data, size))
                return m_out;
            if (m_out.status == BiffScan::Encrypted)
                return m_out;
        } else if (!sheetRecord(type, data, size)) {
            return m_out;
        }
    }
    if (!m_globalsDone || m_sheetDone.contains(false))
        return m_out;
    m_out.status = BiffScan::Ok;
    return m_out;
}

// The layout of a BIFF8 Unicode string at p, after its character count:
// the option byte, then the counts of formatting runs and of phonetic data.
struct UnicodeHeader {
    qsizetype length = 0; // bytes before the characters
    int width = 1;        // bytes per character
    quint32 extra = 0;    // bytes of formatting after the characters
};

bool unicodeHeader(const char* p, qsizetype avail, UnicodeHeader* h)
{
    if (avail < 1)
        return false;
    const quint8 options = quint8(p[0]);
    h->width = options & 0x01 ? 2 : 1;
    h->length = 1;
    h->extra = 0;
    if (options & 0x08) { // formatting runs, four bytes each
        if (avail < h->length + 2)
            return false;
        h->extra += 4u * u16(p + h->length);
        h->length += 2;
    }
    if (options & 0x04) { // phonetic data
        if (avail < h->length + 4)
            return false;
        h->extra += u32(p + h->length);
        h->length += 4;
    }
    return true;
}

// Whether the string whose character count is at p fits in the record
// entirely, given the bytes the record still holds from p on.
bool unicodeFits(const char* p, qsizetype avail)
{
    UnicodeHeader h;
    if (avail < 2 || !unicodeHeader(p + 2, avail - 2, &h))
        return false;
    return 2 + h.length + qsizetype(u16(p)) * h.width <= avail;
}

// The cell reader copies every record into a buffer of 8224 bytes and trusts
// the lengths inside the records it parses; a record that would make it read
// outside either is taken for damage here, before the reader sees it.
bool Scanner::fitsReader(quint16 type, const char* data, quint16 size)
{
    constexpr quint16 kReaderRecord = 8224;
    if (size > kReaderRecord)
        return false;
    const bool biff8 = m_out.version == 8;
    const bool continued = type == kContinue;
    if (!continued)
        m_lastType = type;
    switch (type) {
    case kContinue:
        return m_lastType != kSst || sstRecord(data, size, true);
    case kSst: // read in BIFF5 as well, should one turn up
        return sstRecord(data, size, false);
    case kBoundSheet:
        if (size < 7)
            return false;
        if (!biff8)
            return 7 + quint8(data[6]) <= size;
        return size >= 8 && 8 + quint8(data[6]) * (data[7] ? 2 : 1) <= size;
    case kLabel:
        if (size < 8)
            return false;
        return biff8 ? unicodeFits(data + 6, size - 6) : 8 + u16(data + 6) <= size;
    case kFormat:
        return !biff8 || (size >= 4 && unicodeFits(data + 2, size - 2));
    case kXf:
        return ++m_xfCount <= 8192;
    default:
        return true;
    }
}

// The shared string table: the strings follow one another over the SST
// record and its CONTINUE records; a string's characters may go on in the
// next record (after a new option byte), its header never does.
bool Scanner::sstRecord(const char* data, quint16 size, bool continued)
{
    qint64 p = 0;
    if (!continued) {
        if (m_sstStarted || size < 8)
            return false; // a second table, or one without its counts
        m_sstStarted = true;
        m_sstCount = u32(data + 4);
        // Every string takes three bytes at least.
        if (m_sstCount > quint64(m_s.size()) / 3)
            return false;
        p = 8;
    } else if (m_pendingChars > 0) {
        if (size < 1)
            return false;
        const int width = data[0] & 0x01 ? 2 : 1;
        // The reader takes the rest of the characters from this record alone.
        if (1 + qint64(m_pendingChars) * width > size) {
            m_out.status = BiffScan::LongText;
            return false;
        }
        p = 1 + qint64(m_pendingChars) * width + m_pendingSkip;
        m_pendingChars = m_pendingSkip = 0;
        ++m_sstIndex;
    } else {
        // The reader skips the rest of the last string's formatting once,
        // and only within this record.
        if (m_carry > 0 && m_carry >= size)
            return false;
        p = m_carry;
    }
    m_carry = 0;
    for (; m_sstIndex < m_sstCount; ++m_sstIndex) {
        if (p >= size) {
            m_carry = p - size;
            return true;
        }
        // The header of a string is never split over two records.
        UnicodeHeader h;
        if (p + 2 > size || !unicodeHeader(data + p + 2, size - p - 2, &h))
            return false;
        const qint64 chars = u16(data + p);
        const qint64 start = p + 2 + h.length;
        const qint64 available = size - start;
        if (chars * h.width > available) {
            // The characters go on in the next CONTINUE record.
            m_pendingChars = quint32(chars - (h.width == 2 ? available / 2 : available));
            m_pendingSkip = h.extra;
            return true;
        }
        p = start + chars * h.width + h.extra;
    }
    return true;
}

void Scanner::extent(quint32 rows, quint32 columns)
{
    m_out.largestRows = qMax(m_out.largestRows, rows);
    m_out.largestColumns = qMax(m_out.largestColumns, columns);
    m_out.cellsAllocated += quint64(rows) * columns;
}

void Scanner::beginSubstream(qsizetype offset)
{
    m_current = m_globalsDone ? int(m_sheetOffsets.indexOf(quint32(offset))) : -1;
    if (m_globalsDone && m_current < 0)
        m_current = -2;
    m_dimensions = false;
    m_cellExtent.reset();
    m_cellsSeen.clear();
    m_cellRows = m_cellColumns = 0;
    m_pendingString = -1;
}

void Scanner::endSubstream()
{
    if (!m_globalsDone) {
        m_globalsDone = true;
        m_out.sheets.resize(m_sheetOffsets.size());
        m_sheetDone.fill(false, m_sheetOffsets.size());
        return;
    }
    // Without DIMENSIONS the reader sizes the table by the cells it finds.
    if (!m_dimensions)
        extent(m_cellRows, m_cellColumns);
    if (BiffSheetScan* sheet = currentSheet()) {
        if (!m_dimensions) {
            sheet->rows = m_cellRows;
            sheet->columns = m_cellColumns;
        }
        m_sheetDone[m_current] = true;
    }
}

BiffSheetScan* Scanner::currentSheet()
{
    return m_current >= 0 ? &m_out.sheets[m_current] : nullptr;
}

bool Scanner::globalsRecord(quint16 type, const char* data, quint16 size)
{
    if (type == kFilePass)
        m_out.status = BiffScan::Encrypted;
    if (type == kCodePage && size >= 2)
        m_codePage = u16(data);
    if (type == kBoundSheet) {
        if (size < 6)
            return false;
        m_sheetOffsets.append(u32(data));
    }
    return true;
}

bool Scanner::sheetRecord(quint16 type, const char* data, quint16 size)
{
    const bool biff8 = m_out.version == 8;
    BiffSheetScan* sheet = currentSheet();
    if (type == kDimensions) {
        if (size < (biff8 ? 12 : 8))
            return false;
        const quint32 rows = biff8 ? u32(data + 4) : u16(data + 2);
        const quint32 columns = biff8 ? u16(data + 10) : u16(data + 6);
        extent(rows, columns);
        if (sheet && m_depth == 1) {
            sheet->rows = rows;
            sheet->columns = columns;
        }
        if (m_depth == 1)
            m_cellExtent = qMakePair(rows, columns);
        m_dimensions = true;
        return true;
    }
    if (m_depth != 1)
        return true; // a chart embedded in the sheet
    switch (type) {
    case kNumber:
    case kLabel:
    case kLabelSst:
    case kRk:
    case kBlank:
    case kBoolErr:
    case kRString:
    case kFormula:
    case kMulRk:
    case kMulBlank:
        break;
    case kString:
        if (sheet && m_pendingString >= 0)
            sheet->formulaResults.insert(quint32(m_pendingString), stringRecord(data, size));
        m_pendingString = -1;
        return true;
    default:
        return true;
    }
    if (size < 4)
        return false;
    const quint32 row = u16(data), column = u16(data + 2);
    quint32 last = column;
    if ((type == kMulRk || type == kMulBlank) && size >= 6)
        last = qMax(column, quint32(u16(data + size - 2)));
    // A cell outside the extent the sheet states: a damaged position.
    if (m_dimensions && sheet && (row >= sheet->rows || last >= sheet->columns))
        return false;
    // The reader loses the text of a cell given a second time.
    if (type != kBlank && type != kMulBlank && !firstTime(row, column, last))
        return false;
    m_cellRows = qMax(m_cellRows, row + 1);
    m_cellColumns = qMax(m_cellColumns, last + 1);
    if (sheet && type != kBlank && type != kMulBlank)
        sheet->valueRows = qMax(sheet->valueRows, row + 1);
    m_pendingString = -1;
    if (type != kFormula || !sheet)
        return true;
    if (size < 14)
        return false;
    const quint32 key = cellKey(row, column);
    if (u16(data + 12) != 0xffff)
        sheet->formulaResults.insert(key, f64(data + 6));
    else if (data[6] == 0)
        m_pendingString = key; // the text follows in a STRING record
    else if (data[6] == 1)
        sheet->formulaResults.insert(key, double(data[8] != 0));
    else if (data[6] == 3)
        sheet->formulaResults.insert(key, QString());
    else
        sheet->formulaResults.insert(key, QVariant()); // an error value
    return true;
}

// Whether none of the cells first … last of row was given before: the
// reader loses the text of a cell that is given again. Sheets wider than
// the largest one a workbook may have are refused later on, so their cells
// beyond it are not followed.
bool Scanner::firstTime(quint32 row, quint32 first, quint32 last)
{
    constexpr quint32 kColumns = 256, kRows = 65536;
    if (m_cellsSeen.isEmpty()) {
        const quint32 rows = m_cellExtent ? qMin(m_cellExtent->first, kRows) : kRows;
        m_cellsSeen.resize(qsizetype(rows) * kColumns);
    }
    for (quint32 c = first; c <= last && c < kColumns; ++c) {
        const qsizetype bit = qsizetype(row) * kColumns + c;
        if (bit >= m_cellsSeen.size())
            return true;
        if (m_cellsSeen.testBit(bit))
            return false;
        m_cellsSeen.setBit(bit);
    }
    return true;
}

// The text of a STRING record: BIFF8 in Unicode, BIFF5 in the code page.
QString Scanner::stringRecord(const char* data, quint16 size)
{
    if (size < 2)
        return {};
    const quint16 count = u16(data);
    if (m_out.version == 5) {
        QStringDecoder decode = codePageDecoder(m_codePage);
        return decode(QByteArrayView(data + 2, qMin<qsizetype>(count, size - 2)));
    }
    if (size < 3)
        return {};
    const bool wide = data[2] & 1;
    const char* chars = data + 3;
    const qsizetype avail = size - 3;
    QString out;
    if (wide) {
        for (qsizetype i = 0; i < count && 2 * i + 1 < avail; ++i)
            out.append(QChar(u16(chars + 2 * i)));
    } else {
        for (qsizetype i = 0; i < count && i < avail; ++i)
            out.append(QChar(uchar(chars[i])));
    }
    return out;
}

} // namespace

BiffScan scanBiffStream(const QByteArray& stream)
{
    return Scanner(stream).run();
}

} // namespace quorvel
