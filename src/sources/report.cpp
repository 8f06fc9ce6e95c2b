#include "report.h"

#include <QHash>
#include <cmath>

namespace quorvel {

namespace {

constexpr int kMaxClassNumber = 32767;

// The column whose empty cell is worth a word: a student without a name.
const QString kNameColumn = QStringLiteral("姓名");

const QString kUnreadable = QStringLiteral("单元格中有无法读取的实体引用");

std::optional<double> numberOf(const QVariant& cell)
{
    if (cell.typeId() == QMetaType::Double)
        return cell.toDouble();
    bool ok = false;
    const double d = normalizedHeader(cell.toString()).toDouble(&ok);
    return ok && std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

class RowChecker {
public:
    RowChecker(const ColumnMapping& mapping, const QList<TargetColumn>& columns, CheckedRows& out)
        : m_mapping(mapping), m_columns(columns), m_out(out)
    {
    }

    void check(const SheetRow& row);

private:
    QVariant cellOf(const SheetRow& row, const QString& column) const
    {
        const int i = m_mapping.cellOf.value(column, -1);
        return i >= 0 && i < row.cells.size() ? row.cells.at(i) : QVariant();
    }
    void note(const SheetRow& row, const QString& column, const QString& text, bool lost)
    {
        m_out.problems.append({row.number, column, text, false});
        m_rowLost += lost;
    }
    bool keyTaken(const SheetRow& row, const TargetColumn& column, const QVariant& cell);
    QVariant value(const SheetRow& row, const TargetColumn& column, double& subjects);
    QVariant scoreValue(const SheetRow& row, const QString& column, const QString& text,
                        const QVariant& cell);
    void checkTotal(const SheetRow& row, const QString& column, double sum);

    const ColumnMapping& m_mapping;
    const QList<TargetColumn>& m_columns;
    CheckedRows& m_out;
    QHash<QString, int> m_keyRows;
    int m_rowLost = 0;
};

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

bool RowChecker::keyTaken(const SheetRow& row, const TargetColumn& column, const QVariant& cell)
{
    const QString key = sourceCellText(cell);
    QString why;
    if (isUnreadableCell(cell))
        why = kUnreadable + QStringLiteral("，这一行没有导入");
    else if (key.isEmpty())
        why = QStringLiteral("编号是空的，这一行没有导入");
    else if (hasControlCharacter(key))
        why = QStringLiteral("编号中有换行符、制表符等控制字符，这一行没有导入");
    else if (column.maxLength > 0 && key.size() > column.maxLength)
        why = QStringLiteral("编号“%1”超过%2个字，这一行没有导入")
                  .arg(key.left(20))
                  .arg(column.maxLength);
    else if (m_keyRows.contains(key))
        why =
            QStringLiteral("编号%1与第%2行重复，这一行没有导入").arg(key).arg(m_keyRows.value(key));
    if (why.isEmpty()) {
        m_keyRows.insert(key, row.number);
        return true;
    }
    m_out.problems.append({row.number, column.name, why, true});
    ++m_out.leftOut;
    return false;
}

QVariant RowChecker::scoreValue(const SheetRow& row, const QString& column, const QString& text,
                                const QVariant& cell)
{
    const auto number = numberOf(cell);
    if (!number)
        note(row, column, QStringLiteral("“%1”不是数字，没有导入").arg(text), true);
    else if (*number < 0 || *number > kReportMaxScore)
        note(row, column,
             QStringLiteral("%1超出0到%2分的范围，没有导入").arg(text).arg(kReportMaxScore), true);
    else
        return *number;
    return {};
}

void RowChecker::checkTotal(const SheetRow& row, const QString& column, double sum)
{
    const QVariant cell = cellOf(row, column);
    const auto given = numberOf(cell);
    if (isUnreadableCell(cell))
        note(row, column, kUnreadable + QStringLiteral("，按各科之和导入"), false);
    else if (!cell.isNull() && !sourceCellText(cell).isEmpty() &&
             (!given || std::abs(*given - sum) > 0.01))
        note(row, column,
             QStringLiteral("表中的总分“%1”与各科之和%2不符，按各科之和导入")
                 .arg(sourceCellText(cell))
                 .arg(sum),
             false);
}

QVariant RowChecker::value(const SheetRow& row, const TargetColumn& column, double& subjects)
{
    const QVariant cell = cellOf(row, column.name);
    if (column.kind == TargetColumn::Total) {
        checkTotal(row, column.name, subjects);
        return subjects;
    }
    // Most scores are numbers in range: no text to make for them.
    if (column.kind == TargetColumn::Score && cell.typeId() == QMetaType::Double &&
        cell.toDouble() >= 0 && cell.toDouble() <= kReportMaxScore) {
        subjects += cell.toDouble();
        return cell;
    }
    if (isUnreadableCell(cell)) {
        note(row, column.name, kUnreadable + QStringLiteral("，没有导入"), true);
        return {};
    }
    const QString text = sourceCellText(cell);
    if (cell.isNull() || text.isEmpty()) {
        if (column.name == kNameColumn && m_mapping.isMapped(column.name))
            note(row, column.name, QStringLiteral("姓名是空的"), false);
        return {};
    }
    switch (column.kind) {
    case TargetColumn::Score: {
        const QVariant v = scoreValue(row, column.name, text, cell);
        subjects += v.toDouble();
        return v;
    }
    case TargetColumn::Class: {
        const auto n = numberOf(cell);
        if (n && *n >= 0 && *n <= kMaxClassNumber && *n == std::floor(*n))
            return *n;
        note(row, column.name,
             QStringLiteral("班级“%1”不是0到%2的整数，没有导入").arg(text).arg(kMaxClassNumber),
             true);
        return {};
    }
    case TargetColumn::Sex:
        if (text != u"男" && text != u"女")
            note(row, column.name, QStringLiteral("性别“%1”不是男或女").arg(text), false);
        break;
    default:
        break;
    }
    if (hasControlCharacter(text)) {
        note(row, column.name, QStringLiteral("有换行符、制表符等控制字符，没有导入"), true);
        return {};
    }
    if (column.maxLength > 0 && text.size() > column.maxLength) {
        note(row, column.name,
             QStringLiteral("“%1”超过%2个字，没有导入").arg(text.left(20)).arg(column.maxLength),
             true);
        return {};
    }
    return text;
}

void RowChecker::check(const SheetRow& row)
{
    for (const TargetColumn& column : m_columns)
        if (column.kind == TargetColumn::Key && !keyTaken(row, column, cellOf(row, column.name)))
            return;
    m_rowLost = 0;
    double subjects = 0;
    QVariantList values;
    for (const TargetColumn& column : m_columns)
        values.append(value(row, column, subjects));
    m_out.lostValues += m_rowLost;
    m_out.values.append(values);
    m_out.rowNumbers.append(row.number);
}

} // namespace

CheckedRows checkRows(const QList<SheetRow>& data, const ColumnMapping& mapping,
                      const QList<TargetColumn>& columns)
{
    CheckedRows out;
    RowChecker checker(mapping, columns, out);
    for (const SheetRow& row : data)
        checker.check(row);
    return out;
}

QString sourceCellText(const QVariant& cell)
{
    if (cell.typeId() == QMetaType::Double)
        return QString::number(cell.toDouble(), 'g', 15);
    if (cell.typeId() == QMetaType::Bool)
        return cell.toBool() ? QStringLiteral("是") : QStringLiteral("否");
    return cell.toString().trimmed();
}

QString reportLineText(const ReportLine& line)
{
    return QStringLiteral("第%1行“%2”：%3").arg(line.row).arg(line.column, line.text);
}

QString reportListText(const CheckedRows& rows, int limit)
{
    QStringList lines;
    if (!rows.contentNote.isEmpty())
        lines.append(rows.contentNote);
    for (int i = 0; i < rows.problems.size() && i < limit; ++i)
        lines.append(reportLineText(rows.problems.at(i)));
    if (rows.problems.size() > limit)
        lines.append(QStringLiteral("……另有%1处问题").arg(rows.problems.size() - limit));
    return lines.join(u'\n');
}

QString keepRestQuestion(const CheckedRows& rows)
{
    return QStringLiteral("%1，是否导入其余%2行？").arg(lossText(rows)).arg(rows.values.size());
}

QString lossText(const CheckedRows& rows)
{
    QString what;
    if (rows.leftOut > 0)
        what += QStringLiteral("有%1行没有导入").arg(rows.leftOut);
    if (rows.lostValues > 0)
        what += (what.isEmpty() ? QString() : QStringLiteral("，")) +
                QStringLiteral("有%1个值没有导入").arg(rows.lostValues);
    return QStringLiteral("表格中%1（详见上面的列表）").arg(what);
}

} // namespace quorvel
