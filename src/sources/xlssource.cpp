#include "xlssource.h"

#include "store/errors.h"

#include <QTemporaryFile>

namespace quorvel {

namespace {

[[noreturn]] void throwUnreadable(XlsStatus status, const QString& name)
{
    switch (status) {
    case XlsStatus::Missing:
    case XlsStatus::CannotOpen:
        throwUnopened(name, status == XlsStatus::Missing);
    case XlsStatus::NotWorkbook:
        throw OperationError(
            QStringLiteral("%1不是Excel 97-2003或Excel 5.0/95格式的工作簿，无法读取。").arg(name));
    case XlsStatus::Encrypted:
        throw OperationError(
            QStringLiteral("%1设有密码保护，无法读取。请在Excel中取消密码后再试。").arg(name));
    case XlsStatus::TooLarge:
        throw OperationError(
            QStringLiteral("%1太大，无法读取：工作表不能超过%2行、%3列，各工作表合计不能超过%4万个"
                           "单元格、%5万种不同的文字，文件不能超过%6MB。")
                .arg(name)
                .arg(XlsWorkbook::kMaxRows)
                .arg(XlsWorkbook::kMaxColumns)
                .arg(XlsWorkbook::kMaxCells / 10000)
                .arg(XlsWorkbook::kMaxStrings / 10000)
                .arg(XlsWorkbook::kMaxFileSize / (1024 * 1024)));
    case XlsStatus::LongText:
        throw OperationError(
            QStringLiteral("%1中有单元格的文字太长（几千字以上），无法读取。").arg(name));
    case XlsStatus::Corrupt:
    case XlsStatus::Ok:
        break;
    }
    throwDamaged(name);
}

} // namespace

XlsSource::XlsSource(const QString& path, const QString& name) : SheetSource(name), m_book(path)
{
    if (m_book.status() != XlsStatus::Ok)
        throwUnreadable(m_book.status(), name);
    hold(m_book.heldBytes());
}

// FreeXL reads every cell when it opens a file, so the copy on disk may go
// as soon as the workbook is open.
std::unique_ptr<XlsSource> XlsSource::fromBytes(const QByteArray& bytes, const QString& name)
{
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        throwUnreadable(XlsStatus::CannotOpen, name);
    return std::make_unique<XlsSource>(file.fileName(), name);
}

void XlsSource::readRows(int sheet, const std::function<bool(const SheetRow&)>& visit)
{
    if (!m_book.selectSheet(sheet))
        throwDamaged(m_name);
    const int rows = m_book.valueRows();
    for (int r = 0; r < rows; ++r) {
        SheetRow row{r + 1, {}};
        int filled = 0;
        for (int c = 0; c < m_book.columns(); ++c) {
            const auto cell = m_book.cell(r, c);
            if (!cell)
                throwDamaged(m_name);
            row.cells.append(*cell);
            if (!cell->isNull() &&
                !(cell->typeId() == QMetaType::QString && cell->toString().isEmpty()))
                filled = c + 1;
        }
        row.cells.resize(filled);
        if (filled > 0 && !visit(row))
            return;
    }
}

} // namespace quorvel
