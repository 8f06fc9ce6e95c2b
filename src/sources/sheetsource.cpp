#include "sheetsource.h"

#include "biff2source.h"
#include "csvsource.h"
#include "excel/compoundfile.h"
#include "htmlsource.h"
#include "odssource.h"
#include "store/errors.h"
#include "xlssource.h"
#include "xlsxsource.h"
#include "zipxml.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

namespace quorvel {

namespace {

// What a row takes beside its cells: its place in the list of rows (with
// the room the list grows into) and the block of its cells.
constexpr qint64 kRowBytes = 96;
// What a text kept once for every cell holding it takes in the set that
// finds it.
constexpr qint64 kSharedTextBytes = 48;
// The texts up to this length are kept once however many cells hold them:
// 性别, schools and scores repeat down a sheet; longer texts seldom do.
constexpr qsizetype kSharedTextLength = 32;

// A text no other value shares: one the reader made for this cell.
bool ownsText(const QVariant& cell)
{
    return cell.typeId() == QMetaType::QString &&
           static_cast<const QString*>(cell.constData())->isDetached();
}

} // namespace

bool isUnreadableCell(const QVariant& cell)
{
    return cell.metaType() == QMetaType::fromType<UnreadableCell>();
}

qint64 textBytes(const QString& text)
{
    // The block header, the characters and their terminator, rounded up to
    // the allocator's 16 bytes with its own 8.
    return (26 + 2 * qint64(text.size()) + 15) / 16 * 16;
}

namespace {

// What the start of a file shows its format by.
constexpr qsizetype kHeadBytes = 8192;

const QByteArray kCompoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// An Excel 5.0/95 or 97-2003 record stream outside its compound file, as
// some programs write it.
bool isBareBiff(const QByteArray& head)
{
    if (head.size() < 8 || qFromLittleEndian<quint16>(head.constData()) != 0x0809)
        return false;
    const quint16 version = qFromLittleEndian<quint16>(head.constData() + 4);
    return version == 0x0500 || version == 0x0600;
}

// Bytes no text file holds (but in UTF-16, whose byte order mark says so).
bool looksBinary(const QByteArray& head)
{
    return head.contains('\0') && !head.startsWith("\xFF\xFE") && !head.startsWith("\xFE\xFF");
}

QString contentName(SourceFormat format)
{
    switch (format) {
    case SourceFormat::Xls:
        return QStringLiteral("Excel 97-2003工作簿");
    case SourceFormat::Biff2:
        return QStringLiteral("Excel 2.x–4.0工作表");
    case SourceFormat::Xlsx:
        return QStringLiteral("Excel工作簿（.xlsx）");
    case SourceFormat::Ods:
        return QStringLiteral("OpenDocument表格（.ods）");
    case SourceFormat::Csv:
        return QStringLiteral("文本（.csv）");
    case SourceFormat::Html:
        break;
    }
    return QStringLiteral("网页表格");
}

// The note of a file whose name says another format than its content.
QString contentNote(const QString& name, SourceFormat content)
{
    const std::optional<SourceFormat> named = sourceFormatOf(name);
    if (named &&
        (*named == content || (*named == SourceFormat::Xls && content == SourceFormat::Biff2)))
        return {};
    const QString suffix = QFileInfo(name).suffix();
    if (suffix.isEmpty())
        return QStringLiteral("文件名没有扩展名，内容是%1").arg(contentName(content));
    return QStringLiteral("文件名是.%1，内容是%2").arg(suffix, contentName(content));
}

[[noreturn]] void throwUnknownFormat(const QString& name)
{
    throw OperationError(
        QStringLiteral("无法读取%1：只能导入.xlsx、.xls、.ods和.csv格式的表格，以及网页中的表格。")
            .arg(name));
}

[[noreturn]] void throwTooBig(const QString& name, qint64 most)
{
    throw OperationError(
        QStringLiteral("文件%1太大（超过%2MB），无法读取。").arg(name).arg(most / (1024 * 1024)));
}

// The format to read bytes whose content shows none: text as .csv; other
// bytes by their name, whose reader says what is wrong with them.
SourceFormat fallbackFormat(const QByteArray& head, const QString& name)
{
    const std::optional<SourceFormat> named = sourceFormatOf(name);
    if (!looksBinary(head))
        return SourceFormat::Csv;
    if (named && *named != SourceFormat::Html)
        return *named;
    throwUnknownFormat(name);
}

// An .xls stream without its compound file, given one.
std::unique_ptr<SheetSource> bareBiffSource(const QByteArray& stream, const QString& name)
{
    const QByteArray file = buildCompoundFile(QStringLiteral("Workbook"), stream);
    if (file.isEmpty())
        throwTooBig(name, XlsWorkbook::kMaxFileSize);
    return XlsSource::fromBytes(file, name);
}

// The whole file at path, of no more than most bytes.
QByteArray wholeFile(const QString& path, const QString& name, qint64 most)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throwUnopened(name, !f.exists());
    const QByteArray bytes = f.read(most + 1);
    if (f.error() != QFileDevice::NoError)
        throwUnopened(name, false);
    if (bytes.size() > most)
        throwTooBig(name, most);
    return bytes;
}

std::unique_ptr<SheetSource> openAs(SourceFormat format, const QString& path, const QString& name,
                                    const QByteArray& head, qint64 size)
{
    switch (format) {
    case SourceFormat::Xls:
        if (isBareBiff(head))
            return bareBiffSource(wholeFile(path, name, XlsWorkbook::kMaxFileSize), name);
        return std::make_unique<XlsSource>(path, name);
    case SourceFormat::Biff2:
        return std::make_unique<Biff2Source>(wholeFile(path, name, XlsWorkbook::kMaxFileSize),
                                             name);
    default:
        break;
    }
    if (size > SheetSource::kMaxFileSize)
        throwTooBig(name, SheetSource::kMaxFileSize);
    const FileOnDisk file{path};
    switch (format) {
    case SourceFormat::Xlsx:
        return std::make_unique<XlsxSource>(file, name);
    case SourceFormat::Ods:
        return std::make_unique<OdsSource>(file, name);
    case SourceFormat::Html:
        return std::make_unique<HtmlSource>(file, name);
    default:
        return std::make_unique<CsvSource>(file, name);
    }
}

} // namespace

void SheetSource::hold(qint64 bytes)
{
    m_held += bytes;
    if (m_held > kMaxHeld)
        throwTooMuch(m_name);
}

QList<SheetRow> SheetSource::readSheet(int sheet, int maxRows)
{
    QList<SheetRow> rows;
    QSet<QString> texts;
    qint64 held = m_held;
    readRows(sheet, [&](const SheetRow& read) {
        SheetRow row{read.number, {}};
        row.cells.reserve(read.cells.size());
        held += kRowBytes + qint64(read.cells.size()) * qint64(sizeof(QVariant));
        for (const QVariant& cell : read.cells) {
            if (!ownsText(cell)) {
                row.cells.append(cell);
                continue;
            }
            const QString& text = *static_cast<const QString*>(cell.constData());
            if (text.size() > kSharedTextLength) {
                held += textBytes(text);
                row.cells.append(cell);
                continue;
            }
            auto it = texts.constFind(text);
            if (it == texts.constEnd()) {
                it = texts.insert(text);
                held += textBytes(text) + kSharedTextBytes;
            }
            row.cells.append(*it);
        }
        if (held > kMaxHeld)
            throwTooMuch(m_name);
        rows.append(row);
        return maxRows < 0 || rows.size() < maxRows;
    });
    return rows;
}

int SheetSource::findSheet(const QString& name) const
{
    const QStringList names = sheetNames();
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    bool number = false;
    const int n = name.trimmed().toInt(&number);
    return number && n >= 1 && n <= names.size() ? n - 1 : -1;
}

std::optional<SourceFormat> sourceFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xls"))
        return SourceFormat::Xls;
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm"))
        return SourceFormat::Xlsx;
    if (suffix == QLatin1String("ods"))
        return SourceFormat::Ods;
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("txt") ||
        suffix == QLatin1String("tsv"))
        return SourceFormat::Csv;
    if (suffix == QLatin1String("htm") || suffix == QLatin1String("html"))
        return SourceFormat::Html;
    return std::nullopt;
}

std::optional<SourceFormat> contentFormatOf(const QByteArray& head,
                                            const std::function<bool(const QString&)>& zipHas)
{
    if (head.startsWith(kCompoundSignature) || isBareBiff(head))
        return SourceFormat::Xls;
    if (Biff2Book::recognises(head))
        return SourceFormat::Biff2;
    if (head.startsWith("PK\x03\x04")) {
        if (zipHas(QStringLiteral("xl/workbook.xml")))
            return SourceFormat::Xlsx;
        if (zipHas(QStringLiteral("content.xml")))
            return SourceFormat::Ods;
        // A workbook whose parts have other names, or another document of
        // the same packaging, which its reader refuses.
        if (zipHas(QStringLiteral("[Content_Types].xml")))
            return SourceFormat::Xlsx;
        return std::nullopt;
    }
    if (HtmlSource::recognises(head))
        return SourceFormat::Html;
    return std::nullopt;
}

std::unique_ptr<SheetSource> openSheetSource(const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.exists())
        throwUnopened(name, true);
    // Opening a pipe would wait for a writer, and a device has no end.
    if (!info.isFile())
        throw OperationError(
            QStringLiteral("%1不是普通的文件（而是文件夹、设备或管道），无法读取。").arg(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throwUnopened(name, !file.exists());
    const QByteArray head = file.read(kHeadBytes);
    if (file.error() != QFileDevice::NoError)
        throwUnopened(name, false);
    file.close();
    std::unique_ptr<ZipXml> zip;
    const auto content = contentFormatOf(head, [&](const QString& member) {
        if (!zip)
            zip = std::make_unique<ZipXml>(FileOnDisk{path}, name);
        return zip->contains(member);
    });
    zip.reset();
    const SourceFormat format = content ? *content : fallbackFormat(head, name);
    auto source = openAs(format, path, name, head, info.size());
    source->setContentNote(contentNote(name, format));
    return source;
}

std::unique_ptr<SheetSource> sheetSourceFromBytes(const QByteArray& bytes, SourceFormat format,
                                                  const QString& name)
{
    switch (format) {
    case SourceFormat::Xls:
        if (isBareBiff(bytes))
            return bareBiffSource(bytes, name);
        return XlsSource::fromBytes(bytes, name);
    case SourceFormat::Xlsx:
        return std::make_unique<XlsxSource>(bytes, name);
    case SourceFormat::Ods:
        return std::make_unique<OdsSource>(bytes, name);
    case SourceFormat::Csv:
        return std::make_unique<CsvSource>(bytes, name);
    case SourceFormat::Html:
        return std::make_unique<HtmlSource>(bytes, name);
    case SourceFormat::Biff2:
        return std::make_unique<Biff2Source>(bytes, name);
    }
    throwDamaged(name);
}

std::unique_ptr<SheetSource> sheetSourceFromBytes(const QByteArray& bytes, const QString& name)
{
    const QByteArray head = bytes.left(kHeadBytes);
    std::unique_ptr<ZipXml> zip;
    const auto content = contentFormatOf(head, [&](const QString& member) {
        if (!zip)
            zip = std::make_unique<ZipXml>(bytes, name);
        return zip->contains(member);
    });
    zip.reset();
    const SourceFormat format = content ? *content : fallbackFormat(head, name);
    auto source = sheetSourceFromBytes(bytes, format, name);
    source->setContentNote(contentNote(name, format));
    return source;
}

void throwUnopened(const QString& name, bool missing)
{
    if (missing)
        throw OperationError(QStringLiteral("找不到文件%1。").arg(name));
    throw OperationError(
        QStringLiteral("无法打开文件%1，请检查它是否正被别的程序使用，或者没有读取权限。")
            .arg(name));
}

void throwDamaged(const QString& name, const QString& detail)
{
    QString text = QStringLiteral("表格%1已损坏或不完整，无法读取").arg(name);
    if (!detail.isEmpty())
        text += QStringLiteral("：") + detail;
    throw OperationError(text + QStringLiteral("。请在表格程序中打开它并重新保存后再试。"));
}

void throwLongText(const QString& name)
{
    throw OperationError(QStringLiteral("表格%1中有单元格的文字超过%2个字，无法读取。")
                             .arg(name)
                             .arg(SheetSource::kMaxText));
}

void throwLongRow(const QString& name, int row)
{
    throw OperationError(QStringLiteral("表格%1第%2行的文字太多（超过%3个字），无法读取。")
                             .arg(name)
                             .arg(row)
                             .arg(SheetSource::kMaxRowText));
}

void throwTooMuch(const QString& name)
{
    throw OperationError(
        QStringLiteral("表格%1太大，无法读取：工作表中的单元格和文字太多。请删去不需要的行和列，"
                       "或者把它分成几个文件后再试。")
            .arg(name));
}

} // namespace quorvel
