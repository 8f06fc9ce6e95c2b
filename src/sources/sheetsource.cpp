#include "sheetsource.h"

#include "csvsource.h"
#include "odssource.h"
#include "store/errors.h"
#include "xlssource.h"
#include "xlsxsource.h"

#include <QFileInfo>
#include <QSet>

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
    return -1;
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
    return std::nullopt;
}

std::unique_ptr<SheetSource> openSheetSource(const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const auto format = sourceFormatOf(path);
    if (!format)
        throw OperationError(
            QStringLiteral("无法读取%1：只能导入.xlsx、.xls、.ods和.csv格式的表格。").arg(name));
    if (!info.exists())
        throwUnopened(name, true);
    // Opening a pipe would wait for a writer, and a device has no end.
    if (!info.isFile())
        throw OperationError(
            QStringLiteral("%1不是普通的文件（而是文件夹、设备或管道），无法读取。").arg(name));
    if (*format == SourceFormat::Xls)
        return std::make_unique<XlsSource>(path, name);
    if (info.size() > SheetSource::kMaxFileSize)
        throw OperationError(QStringLiteral("文件%1太大（超过%2MB），无法读取。")
                                 .arg(name)
                                 .arg(SheetSource::kMaxFileSize / (1024 * 1024)));
    const FileOnDisk file{path};
    switch (*format) {
    case SourceFormat::Xlsx:
        return std::make_unique<XlsxSource>(file, name);
    case SourceFormat::Ods:
        return std::make_unique<OdsSource>(file, name);
    case SourceFormat::Csv:
        return std::make_unique<CsvSource>(file, name);
    case SourceFormat::Xls:
        break;
    }
    throwDamaged(name);
}

std::unique_ptr<SheetSource> sheetSourceFromBytes(const QByteArray& bytes, SourceFormat format,
                                                  const QString& name)
{
    switch (format) {
    case SourceFormat::Xls:
        return XlsSource::fromBytes(bytes, name);
    case SourceFormat::Xlsx:
        return std::make_unique<XlsxSource>(bytes, name);
    case SourceFormat::Ods:
        return std::make_unique<OdsSource>(bytes, name);
    case SourceFormat::Csv:
        return std::make_unique<CsvSource>(bytes, name);
    }
    throwDamaged(name);
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
