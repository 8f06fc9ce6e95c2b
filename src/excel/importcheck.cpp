#include "importcheck.h"

#include <cmath>

namespace quorvel {

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

namespace {

QString cellName(int row, const QString& column)
{
    return QStringLiteral("Excel模板第%1行“%2”列").arg(row).arg(column);
}

// The number a score cell stands for, as the store would read it.
std::optional<double> scoreOf(const QVariant& cell)
{
    if (cell.typeId() == QMetaType::Double)
        return cell.toDouble();
    bool ok = false;
    const double d = cell.toString().trimmed().toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

} // namespace

QString templateCellRefusal(const QVariant& cell, int row, const QString& column, bool score)
{
    if (cell.isNull())
        return {};
    if (cell.typeId() == QMetaType::QString && hasControlCharacter(cell.toString()))
        return cellName(row, column) +
               QStringLiteral("中有换行符、制表符等控制字符，无法导入。请删去这些字符后再试。");
    if (!score)
        return {};
    const std::optional<double> v = scoreOf(cell);
    if (v && !(std::abs(*v) <= kMaxScore))
        return cellName(row, column) +
               QStringLiteral("的成绩%1超出了-%2到%2分的范围，无法导入。请改正后再试。")
                   .arg(cell.toString().trimmed())
                   .arg(kMaxScore);
    return {};
}

} // namespace quorvel
