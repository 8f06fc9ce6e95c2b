#include "sheetsource.h"

#include "csvsource.h"
#include "odssource.h"
#include "store/errors.h"
#include "xlssource.h"
#include "xlsxsource.h"

#include <QFile>
#include <QFileInfo>

namespace quorvel {

QList<SheetRow> SheetSource::readSheet(int sheet, int maxRows)
{
    QList<SheetRow> rows;
    readRows(sheet, [&](const SheetRow& row) {
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

namespace {

constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;

QByteArray readWhole(const QString& path, const QString& name)
{
    QFile file(path);
    if (!file.exists())
        throwUnopened(name, true);
    if (file.size() > kMaxFileSize)
        throw OperationError(QStringLiteral("文件%1太大（超过%2MB），无法读取。")
                                 .arg(name)
                                 .arg(kMaxFileSize / (1024 * 1024)));
    if (!file.open(QIODevice::ReadOnly))
        throwUnopened(name, false);
    return file.readAll();
}

} // namespace

std::unique_ptr<SheetSource> openSheetSource(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const auto format = sourceFormatOf(path);
    if (!format)
        throw OperationError(
            QStringLiteral("无法读取%1：只能导入.xlsx、.xls、.ods和.csv格式的表格。").arg(name));
    if (*format == SourceFormat::Xls)
        return std::make_unique<XlsSource>(path, name);
    return sheetSourceFromBytes(readWhole(path, name), *format, name);
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

} // namespace quorvel
