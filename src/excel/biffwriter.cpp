#include "biffwriter.h"

#include "biffrecords.h"
#include "compoundfile.h"
#include "core/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>
#include <QtEndian>

#include <bit>
#include <cmath>
#include <optional>

namespace quorvel {

namespace {

// What an Excel 5.0 sheet can hold.
constexpr qsizetype kMaxRows = 16384;
constexpr qsizetype kMaxColumns = 256;
constexpr qsizetype kMaxLabelBytes = 255;
constexpr qsizetype kMaxSheetNameChars = 31;

constexpr quint16 kCodePageGbk = 936;
constexpr quint16 kCellXf = 15; // the one cell format every cell uses

using namespace biff;

enum BofType : quint16 { kGlobals = 0x0005, kWorksheet = 0x0010 };

// One BIFF record: number, length, then the fields in the order they are added.
class Record {
public:
    explicit Record(quint16 id) : m_id(id) {}
    Record& u8(quint8 v) { return put(v); }
    Record& u16(quint16 v) { return put(v); }
    Record& u32(quint32 v) { return put(v); }
    Record& f64(double v) { return put(std::bit_cast<quint64>(v)); }
    Record& bytes(const QByteArray& b)
    {
        m_data += b;
        return *this;
    }
    QByteArray toBytes() const
    {
        char head[4];
        qToLittleEndian(m_id, head);
        qToLittleEndian(quint16(m_data.size()), head + 2);
        return QByteArray(head, 4) + m_data;
    }

private:
    template <typename T> Record& put(T v)
    {
        char buf[sizeof(T)];
        qToLittleEndian(v, buf);
        m_data.append(buf, sizeof(T));
        return *this;
    }

    quint16 m_id;
    QByteArray m_data;
};

// Converts text to GBK one character at a time, so a text can be cut at a
// character boundary and a character GBK lacks becomes one replacement byte.
class GbkEncoder {
public:
    bool isValid() const { return m_encoder.isValid(); }
    QByteArray encode(const QString& text, qsizetype maxBytes, char replacement);

private:
    QByteArray encodeChar(QStringView ch, char replacement);

    QStringEncoder m_encoder{"GBK"};
};

QByteArray GbkEncoder::encode(const QString& text, qsizetype maxBytes, char replacement)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const qsizetype n = pair ? 2 : 1;
        const QByteArray bytes = encodeChar(QStringView(text).mid(i, n), replacement);
        if (out.size() + bytes.size() > maxBytes)
            break;
        out += bytes;
        i += n;
    }
    return out;
}

QByteArray GbkEncoder::encodeChar(QStringView ch, char replacement)
{
    if (ch.size() == 1 && ch.at(0).unicode() < 0x80)
        return QByteArray(1, char(ch.at(0).unicode()));
    const QByteArray bytes = m_encoder.encode(ch);
    if (!m_encoder.hasError() && !bytes.isEmpty())
        return bytes;
    // resetState() leaves the error flag set (Qt 6.4), so start afresh.
    m_encoder = QStringEncoder("GBK");
    return QByteArray(1, replacement);
}

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

QString cantWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), reason);
}

bool checkSize(const QString& path, const SheetRows& rows, QString* error)
{
    if (rows.size() > kMaxRows)
        return fail(error, cantWrite(path, QStringLiteral("共 %1 行，Excel 5.0 工作表最多 %2 行。")
                                               .arg(rows.size())
                                               .arg(kMaxRows)));
    for (const QVariantList& row : rows) {
        if (row.size() > kMaxColumns)
            return fail(error, cantWrite(path, QStringLiteral(
                                                   "有一行共 %1 列，Excel 5.0 工作表最多 %2 列。")
                                                   .arg(row.size())
                                                   .arg(kMaxColumns)));
    }
    return true;
}

// Excel forbids []:*?/\ in sheet names and needs one of 1 to 31 characters.
QString cleanSheetName(const QString& sheetName)
{
    const QString name = sheetName.trimmed();
    QString cleaned;
    for (qsizetype i = 0, chars = 0; i < name.size() && chars < kMaxSheetNameChars; ++chars) {
        const qsizetype n = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QStringView ch = QStringView(name).mid(i, n);
        cleaned += QStringView(u"[]:*?/\\").contains(ch) ? QStringView(u"_") : ch;
        i += n;
    }
    return cleaned.isEmpty() ? QStringLiteral("Sheet1") : cleaned;
}

std::optional<double> numberOf(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    default:
        return std::nullopt;
    }
}

QByteArray bof(BofType type)
{
    // BIFF5, then the build and year of the writing program as Excel 5.0 gives them.
    return Record(kBof).u16(0x0500).u16(type).u16(0x096c).u16(0x07c9).toBytes();
}

QByteArray window1()
{
    // Position and size in twips; scroll bars and sheet tabs shown; first sheet active.
    Record r(kWindow1);
    r.u16(0).u16(0).u16(0x25bc).u16(0x1572).u16(0x0038);
    return r.u16(0).u16(0).u16(1).u16(0x0258).toBytes();
}

QByteArray fonts()
{
    // Excel expects the four default fonts: 12 pt 宋体 (GBK bytes), plain,
    // automatic colour, GB2312 character set.
    const QByteArray name("\xcb\xce\xcc\xe5");
    Record r(kFont);
    r.u16(240).u16(0).u16(0x7fff).u16(400).u16(0);
    r.u8(0).u8(0).u8(134).u8(0).u8(quint8(name.size())).bytes(name);
    const QByteArray font = r.toBytes();
    return font + font + font + font;
}

// typeProt: bit 0 locked, bit 2 style XF, bits 4-15 the parent style XF.
// attribs: the six attribute groups (number format, font, alignment, border,
// pattern, protection); in a style XF a set bit means the group is ignored.
QByteArray xf(quint16 format, quint16 typeProt, quint8 attribs)
{
    Record r(kXf);
    r.u16(0).u16(format).u16(typeProt);
    r.u16(quint16(0x0020 | attribs << 10));  // general, bottom aligned
    r.u16(0x20c0);                           // automatic pattern colours
    return r.u16(0).u16(0).u16(0).toBytes(); // no pattern, no borders
}

// The XFs Excel itself writes: 0 the Normal style, 1-14 font-only styles,
// 15 the cell XF, 16-20 the comma, currency and percent styles.
QByteArray xfs()
{
    constexpr quint16 kStyleXf = 0xfff5;
    QByteArray out = xf(0, kStyleXf, 0);
    for (int i = 1; i < 15; ++i)
        out += xf(0, kStyleXf, 0x3d);
    out += xf(0, 0x0001, 0);
    for (const quint16 format : {0x2b, 0x29, 0x2c, 0x2a, 0x09})
        out += xf(format, kStyleXf, 0x3e);
    return out;
}

QByteArray styles()
{
    // Built-in styles Normal, Comma, Comma [0], Currency, Currency [0], Percent.
    const quint8 builtIn[] = {0, 3, 6, 4, 7, 5};
    const quint16 xfIndex[] = {0, 16, 17, 18, 19, 20};
    QByteArray out;
    for (int i = 0; i < 6; ++i)
        out += Record(kStyle).u16(0x8000 | xfIndex[i]).u8(builtIn[i]).u8(0xff).toBytes();
    return out;
}

QByteArray boundSheet(quint32 offset, const QByteArray& name)
{
    return Record(kBoundSheet).u32(offset).u16(0).u8(quint8(name.size())).bytes(name).toBytes();
}

struct SheetCells {
    QByteArray records;
    quint16 rows = 0; // the used range, from A1
    quint16 columns = 0;
};

QByteArray cellRecord(quint16 row, quint16 col, const QVariant& v, GbkEncoder& gbk)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (const std::optional<double> num = numberOf(v)) {
        // Excel has no way to show NaN or infinity: such a cell stays empty.
        if (!std::isfinite(*num))
            return {};
        return Record(kNumber).u16(row).u16(col).u16(kCellXf).f64(*num).toBytes();
    }
    const QByteArray text = gbk.encode(v.toString(), kMaxLabelBytes, '?');
    if (text.isEmpty())
        return {};
    Record r(kLabel);
    return r.u16(row).u16(col).u16(kCellXf).u16(quint16(text.size())).bytes(text).toBytes();
}

SheetCells encodeCells(const SheetRows& rows, GbkEncoder& gbk)
{
    SheetCells out;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QVariantList& row = rows.at(r);
        for (qsizetype c = 0; c < row.size(); ++c) {
            const QByteArray rec = cellRecord(quint16(r), quint16(c), row.at(c), gbk);
            if (rec.isEmpty())
                continue;
            out.records += rec;
            out.rows = quint16(r + 1);
            out.columns = qMax(out.columns, quint16(c + 1));
        }
    }
    return out;
}

QByteArray worksheet(const SheetCells& cells)
{
    QByteArray out = bof(kWorksheet);
    out += Record(kDimensions).u16(0).u16(cells.rows).u16(0).u16(cells.columns).u16(0).toBytes();
    // Grid lines, headers, zeros and outline symbols shown; sheet selected.
    out += Record(kWindow2).u16(0x06b6).u16(0).u16(0).u32(0).toBytes();
    out += cells.records;
    return out + Record(kEof).toBytes();
}

QByteArray bookStream(const QByteArray& sheetName, const SheetCells& cells)
{
    QByteArray book = bof(kGlobals);
    book += Record(kCodePage).u16(kCodePageGbk).toBytes();
    book += window1() + fonts() + xfs() + styles();
    const QByteArray eof = Record(kEof).toBytes();
    // The worksheet starts right after BOUNDSHEET and the globals' EOF.
    const auto sheetOffset = quint32(book.size() + boundSheet(0, sheetName).size() + eof.size());
    book += boundSheet(sheetOffset, sheetName) + eof;
    return book + worksheet(cells);
}

// A short write (the disk fills up) is retried, so the error that stops it is
// the one reported.
bool writeAll(QSaveFile& file, const QByteArray& data)
{
    for (qsizetype done = 0; done < data.size();) {
        const qint64 n = file.write(data.constData() + done, data.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool saveFile(const QString& path, const QByteArray& data, QString* error)
{
    if (!QFileInfo(path).isDir() && !isReplaceableFile(path)) // a folder: its own reason
        return fail(error, cantWrite(path, notReplaceableReason()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, cantWrite(path, fileErrorReason(file)));
    if (!writeAll(file, data) || !file.commit())
        return fail(error, cantWrite(path, fileErrorReason(file)));
    return true;
}

} // namespace

bool writeBiff5Workbook(const QString& path, const QString& sheetName, const SheetRows& rows,
                        QString* error)
{
    if (!checkSize(path, rows, error))
        return false;
    GbkEncoder gbk;
    if (!gbk.isValid())
        return fail(error, cantWrite(path, QStringLiteral("系统不支持 GBK 编码转换。")));
    // '?' is not allowed in a sheet name, so characters GBK lacks become '_' there.
    const QByteArray name = gbk.encode(cleanSheetName(sheetName), kMaxLabelBytes, '_');
    const QByteArray file =
        buildCompoundFile(QStringLiteral("Book"), bookStream(name, encodeCells(rows, gbk)));
    if (file.isEmpty())
        return fail(error,
                    cantWrite(path, QStringLiteral("数据太多，超出 Excel 5.0 文件的容量。")));
    return saveFile(path, file, error);
}

} // namespace quorvel
