#include "xlsreader.h"

#include "biffrecords.h"
#include "compoundfile.h"
#include "compoundreader.h"
#include "sharedstrings.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QtEndian>
#include <freexl.h>

namespace quorvel {

namespace {

// What FreeXL's table takes for a cell and its list for a text (besides
// the characters).
constexpr qint64 kCellBytes = 16;
constexpr qint64 kStringBytes = 40;

// The count of distinct texts the shared string table of the workbook
// globals states; 0 when there is none (Excel 5.0/95).
quint32 sharedStringCount(const QByteArray& stream)
{
    for (qsizetype p = 0; p + 4 <= stream.size();) {
        const quint16 type = qFromLittleEndian<quint16>(stream.constData() + p);
        const quint16 size = qFromLittleEndian<quint16>(stream.constData() + p + 2);
        if (type == biff::kSst)
            return size >= 8 && p + 12 <= stream.size()
                       ? qFromLittleEndian<quint32>(stream.constData() + p + 8)
                       : 0;
        if (type == biff::kEof)
            break;
        p += 4 + size;
    }
    return 0;
}

} // namespace

XlsWorkbook::XlsWorkbook(const QString& path)
{
    m_status = open(path);
    if (m_status != XlsStatus::Ok && m_handle) {
        freexl_close(m_handle);
        m_handle = nullptr;
    }
}

XlsWorkbook::~XlsWorkbook()
{
    if (m_handle)
        freexl_close(m_handle);
}

XlsStatus XlsWorkbook::open(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return XlsStatus::Missing;
    // A folder, a device or a pipe (whose opening waits for a writer).
    if (!QFileInfo(path).isFile())
        return XlsStatus::CannotOpen;
    if (file.size() > kMaxFileSize)
        return XlsStatus::TooLarge;
    if (!file.open(QIODevice::ReadOnly))
        return XlsStatus::CannotOpen;
    // No more than the size it had, to find out that it has grown since.
    QByteArray bytes = file.read(file.size() + 1);
    if (file.error() != QFileDevice::NoError)
        return XlsStatus::CannotOpen;
    if (bytes.size() > kMaxFileSize)
        return XlsStatus::TooLarge;
    file.close();

    // BIFF8 keeps its records in the stream "Workbook", BIFF5 in "Book".
    QByteArray stream;
    switch (
        readCompoundStream(bytes, {QStringLiteral("Workbook"), QStringLiteral("Book")}, &stream)) {
    case CompoundStatus::Ok:
        break;
    case CompoundStatus::NotCompound:
    case CompoundStatus::NoStream:
        return XlsStatus::NotWorkbook;
    case CompoundStatus::Corrupt:
        return XlsStatus::Corrupt;
    }
    bytes = QByteArray(); // the stream is all that is read from here on
    m_scan = scanBiffStream(stream);
    switch (m_scan.status) {
    case BiffScan::Ok:
        break;
    case BiffScan::NotBiff:
        return XlsStatus::NotWorkbook;
    case BiffScan::Corrupt:
        return XlsStatus::Corrupt;
    case BiffScan::Encrypted:
        return XlsStatus::Encrypted;
    case BiffScan::LongText:
        return XlsStatus::LongText;
    }
    const quint32 strings = sharedStringCount(stream);
    if (m_scan.largestRows > kMaxRows || m_scan.largestColumns > kMaxColumns ||
        m_scan.cellsAllocated > kMaxCells || strings > kMaxStrings)
        return XlsStatus::TooLarge;
    m_held =
        qint64(m_scan.cellsAllocated) * kCellBytes + qint64(strings) * kStringBytes + stream.size();

    const XlsStatus opened = openReader(path, std::move(stream));
    if (opened != XlsStatus::Ok)
        return opened;
    unsigned int info = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED)
        return XlsStatus::Encrypted;
    unsigned int count = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK ||
        count != unsigned(m_scan.sheets.size()))
        return XlsStatus::Corrupt;
    for (unsigned short i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(m_handle, i, &name) != FREEXL_OK || !name)
            return XlsStatus::Corrupt;
        m_sheetNames.append(QString::fromUtf8(name));
    }
    return XlsStatus::Ok;
}

// Hands the file to FreeXL, or a copy of it whose shared string table has
// no empty string (which FreeXL cannot take). FreeXL reads every cell when
// it opens a file, so the copy is gone once it has.
XlsStatus XlsWorkbook::openReader(const QString& path, QByteArray stream)
{
    // FreeXL may report success yet give no workbook.
    auto open = [this](const QString& file) {
        return freexl_open(QFile::encodeName(file).constData(), &m_handle) == FREEXL_OK && m_handle
                   ? XlsStatus::Ok
                   : XlsStatus::Corrupt;
    };
    SharedStringRewrite rewrite = replaceEmptySharedStrings(stream);
    stream = QByteArray(); // each copy goes as soon as the next is made
    switch (rewrite.status) {
    case SharedStringRewrite::Unchanged:
        return open(path);
    case SharedStringRewrite::Failed:
        return XlsStatus::LongText;
    case SharedStringRewrite::Rewritten:
        break;
    }
    QByteArray file = buildCompoundFile(QStringLiteral("Workbook"), rewrite.stream);
    rewrite.stream = QByteArray();
    QTemporaryFile copy;
    if (file.isEmpty())
        return XlsStatus::TooLarge;
    if (!copy.open() || copy.write(file) != file.size() || !copy.flush())
        return XlsStatus::CannotOpen;
    file = QByteArray();
    m_emptyText = rewrite.placeholder;
    return open(copy.fileName());
}

int XlsWorkbook::findSheet(const QString& name) const
{
    for (int i = 0; i < m_sheetNames.size(); ++i)
        if (m_sheetNames.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool XlsWorkbook::selectSheet(int index)
{
    m_sheet = -1;
    m_rows = m_columns = 0;
    if (!m_handle || index < 0 || index >= m_sheetNames.size())
        return false;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(m_handle, (unsigned short)index) != FREEXL_OK ||
        freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK || rows > kMaxRows ||
        columns > kMaxColumns)
        return false;
    m_sheet = index;
    m_rows = int(rows);
    m_columns = columns;
    return true;
}

int XlsWorkbook::valueRows() const
{
    return m_sheet < 0 ? 0 : int(m_scan.sheets.at(m_sheet).valueRows);
}

std::optional<QVariant> XlsWorkbook::cell(int row, int column) const
{
    if (m_sheet < 0)
        return std::nullopt;
    if (row < 0 || column < 0 || row >= m_rows || column >= m_columns)
        return QVariant();
    FreeXL_CellValue v;
    if (freexl_get_cell_value(m_handle, unsigned(row), (unsigned short)column, &v) != FREEXL_OK)
        return std::nullopt;
    switch (v.type) {
    case FREEXL_CELL_NULL: {
        // FreeXL leaves formula cells empty; their stored result stands in.
        const auto& results = m_scan.sheets.at(m_sheet).formulaResults;
        const auto it = results.constFind(cellKey(quint32(row), quint32(column)));
        return it == results.constEnd() ? QVariant() : *it;
    }
    case FREEXL_CELL_INT:
        return QVariant(double(v.value.int_value));
    case FREEXL_CELL_DOUBLE:
        return QVariant(v.value.double_value);
    case FREEXL_CELL_SST_TEXT:
        if (!m_emptyText.isEmpty() && v.value.text_value &&
            QString::fromUtf8(v.value.text_value) == m_emptyText)
            return QVariant(QString(""));
        [[fallthrough]];
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return QVariant(QString::fromUtf8(v.value.text_value ? v.value.text_value : ""));
    default:
        return std::nullopt;
    }
}

} // namespace quorvel
