#include "biff2source.h"

#include "store/errors.h"

#include <QFileInfo>

namespace quorvel {

namespace {

[[noreturn]] void throwUnreadable(const Biff2Book& book, const QString& name)
{
    switch (book.status()) {
    case Biff2Book::NotBiff2:
        throw OperationError(
            QStringLiteral("%1不是Excel 2.x–4.0格式的工作表，无法读取。").arg(name));
    case Biff2Book::Encrypted:
        throw OperationError(
            QStringLiteral("%1设有密码保护，无法读取。请在Excel中取消密码后再试。").arg(name));
    case Biff2Book::NotWorksheet:
        throw OperationError(
            QStringLiteral("%1是Excel 4.0的图表或宏表，其中没有工作表，无法读取。").arg(name));
    case Biff2Book::TooLarge:
        throw OperationError(
            QStringLiteral("%1太大，无法读取：工作表不能超过%2行、%3列，合计不能超过%4万个单元格。")
                .arg(name)
                .arg(Biff2Book::kMaxRows)
                .arg(Biff2Book::kMaxColumns)
                .arg(Biff2Book::kMaxCells / 10000));
    case Biff2Book::NotText:
        throwDamaged(name,
                     QStringLiteral("其中有文字不是它所用的代码页%1中的文字").arg(book.codePage()));
    case Biff2Book::UnknownCodePage:
        throw OperationError(
            QStringLiteral(
                "%1使用的代码页%2无法识别，无法读取。请在表格程序中把它另存为.xlsx后再试。")
                .arg(name)
                .arg(book.codePage()));
    case Biff2Book::Corrupt:
    case Biff2Book::Ok:
        break;
    }
    throwDamaged(name);
}

} // namespace

Biff2Source::Biff2Source(const QByteArray& stream, const QString& name)
    : SheetSource(name), m_book(stream)
{
    if (m_book.status() != Biff2Book::Ok)
        throwUnreadable(m_book, name);
    hold(m_book.heldBytes());
}

QStringList Biff2Source::sheetNames() const
{
    QStringList names;
    for (const Biff2Book::Sheet& sheet : m_book.sheets())
        names.append(sheet.name.isEmpty() ? QFileInfo(m_name).completeBaseName() : sheet.name);
    return names;
}

void Biff2Source::readRows(int sheet, const std::function<bool(const SheetRow&)>& visit)
{
    if (sheet < 0 || sheet >= m_book.sheets().size())
        throwDamaged(m_name);
    const QVector<Biff2Book::Cell>& cells = m_book.sheets().at(sheet).cells;
    for (qsizetype i = 0; i < cells.size();) {
        const quint32 r = cells.at(i).row();
        SheetRow row{int(r) + 1, {}};
        int filled = 0;
        for (; i < cells.size() && cells.at(i).row() == r; ++i) {
            const QVariant v = m_book.value(cells.at(i));
            const int column = int(cells.at(i).column());
            if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
                continue;
            row.cells.resize(column);
            row.cells.append(v);
            filled = column + 1;
        }
        if (filled > 0 && !visit(row))
            return;
    }
}

} // namespace quorvel
