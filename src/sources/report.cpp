#include "report.h"

#include <QHash>
#include <QSet>
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

// A subject's cell saying the student did not sit it: no score, not a fault.
bool isAbsentMark(const QString& text)
{
    static const QStringList marks = {
        QStringLiteral("-"),  QStringLiteral("--"),   QStringLiteral("/"), QStringLiteral("—"),
        QStringLiteral("——"), QStringLiteral("缺考"), QStringLiteral("缺")};
    return marks.contains(normalizedHeader(text));
}

// A number written in Chinese numerals (一, 十二, 二十三, 一百零五); nullopt
// for anything else.
std::optional<int> chineseNumber(const QString& text)
{
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    int total = 0, current = 0;
    for (QChar c : text) {
        qsizetype d = c == u'〇' ? 0 : c == u'两' ? 2 : digits.indexOf(c);
        if (d >= 0) {
            if (current > 0) // two digits in a row: not a number as it is said
                return std::nullopt;
            current = int(d);
        } else if (c == u'十' || c == u'百') {
            total += (current == 0 ? 1 : current) * (c == u'十' ? 10 : 100);
            current = 0;
        } else {
            return std::nullopt;
        }
    }
    return text.isEmpty() ? std::nullopt : std::optional<int>(total + current);
}

// The class a cell names: a number, or a class name such as 1班, 01班,
// 一班, (1)班 and （1）班.
std::optional<double> classNumberOf(const QVariant& cell)
{
    if (const auto n = numberOf(cell))
        return n;
    QString text = normalizedHeader(cell.toString());
    if (text.endsWith(u'班'))
        text.chop(1);
    if (text.size() > 2 && text.startsWith(u'(') && text.endsWith(u')'))
        text = text.mid(1, text.size() - 2);
    bool ok = false;
    const int n = text.toInt(&ok);
    if (ok && !text.startsWith(u'-') && !text.startsWith(u'+'))
        return n;
    if (const auto c = chineseNumber(text))
        return *c;
    return std::nullopt;
}

class RowChecker {
public:
    RowChecker(const ColumnMapping& mapping, const QList<TargetColumn>& columns,
               const CheckOptions& options, CheckedRows& out);

    // The 编号 the rows carry, which numbering skips.
    void takeGivenKeys(const QList<SheetRow>& data);
    void check(const SheetRow& row);
    // The notes about the whole sheet, once every row is checked.
    void addNotes();

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
    bool keyTaken(const SheetRow& row, const TargetColumn& column, QVariant& cell);
    QVariant value(const SheetRow& row, const TargetColumn& column, double& subjects);
    QVariant scoreValue(const SheetRow& row, const QString& column, const QString& text,
                        const QVariant& cell);
    QVariant totalValue(const SheetRow& row, const QString& column, double sum);
    QVariant sheetTotal(const SheetRow& row, const QString& column, double sum);
    QString nextNumber();

    const ColumnMapping& m_mapping;
    const QList<TargetColumn>& m_columns;
    const CheckOptions m_options;
    CheckedRows& m_out;
    QHash<QString, int> m_keyRows;
    QSet<QString> m_givenKeys;
    int m_next = 0;
    int m_rowLost = 0;
    // The subjects without a cell while others have one; whether any has.
    QStringList m_missingSubjects;
    bool m_subjectMapped = false;
    int m_totalsDiffer = 0;
    QHash<QString, int> m_absent;
};

RowChecker::RowChecker(const ColumnMapping& mapping, const QList<TargetColumn>& columns,
                       const CheckOptions& options, CheckedRows& out)
    : m_mapping(mapping), m_columns(columns), m_options(options), m_out(out),
      m_next(options.firstNumber)
{
    for (const TargetColumn& c : columns) {
        if (c.kind != TargetColumn::Score)
            continue;
        if (mapping.isMapped(c.name))
            m_subjectMapped = true;
        else
            m_missingSubjects.append(c.name);
    }
    if (!m_subjectMapped)
        m_missingSubjects.clear();
}

void RowChecker::takeGivenKeys(const QList<SheetRow>& data)
{
    for (const TargetColumn& column : m_columns)
        if (column.kind == TargetColumn::Key)
            for (const SheetRow& row : data)
                m_givenKeys.insert(sourceCellText(cellOf(row, column.name)));
    m_givenKeys.unite(m_options.storedKeys);
}

QString RowChecker::nextNumber()
{
    while (m_givenKeys.contains(QString::number(m_next)))
        ++m_next;
    if (m_out.numbered++ == 0)
        m_out.firstNumbered = m_next;
    m_out.lastNumbered = m_next;
    return QString::number(m_next++);
}

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

bool RowChecker::keyTaken(const SheetRow& row, const TargetColumn& column, QVariant& cell)
{
    if (m_options.firstNumber > 0 && !isUnreadableCell(cell) && sourceCellText(cell).isEmpty())
        cell = nextNumber();
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
    else if (m_options.storedKeys.contains(key))
        why = QStringLiteral("编号已存在，这一行没有导入");
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

QVariant RowChecker::totalValue(const SheetRow& row, const QString& column, double sum)
{
    const QVariant cell = cellOf(row, column);
    if (m_mapping.isMapped(column) && (!m_subjectMapped || m_options.keepTotal))
        return sheetTotal(row, column, sum);
    const auto given = numberOf(cell);
    if (isUnreadableCell(cell)) {
        note(row, column, kUnreadable + QStringLiteral("，按各科之和导入"), false);
    } else if (!cell.isNull() && !sourceCellText(cell).isEmpty() &&
               (!given || std::abs(*given - sum) > 0.01)) {
        if (!m_missingSubjects.isEmpty())
            ++m_totalsDiffer; // the sheet's 总分 holds subjects it has no column of
        else
            note(row, column,
                 QStringLiteral("表中的总分“%1”与各科之和%2不符，按各科之和导入")
                     .arg(sourceCellText(cell))
                     .arg(sum),
                 false);
    }
    return sum;
}

// The sheet's own 总分, where it is taken as it is: an empty or absent one
// is the sum of the subjects.
QVariant RowChecker::sheetTotal(const SheetRow& row, const QString& column, double sum)
{
    const QVariant cell = cellOf(row, column);
    if (isUnreadableCell(cell)) {
        note(row, column, kUnreadable + QStringLiteral("，没有导入"), true);
        return sum;
    }
    const QString text = sourceCellText(cell);
    if (cell.isNull() || text.isEmpty() || isAbsentMark(text))
        return sum;
    const auto given = numberOf(cell);
    if (!given) {
        note(row, column, QStringLiteral("“%1”不是数字，没有导入").arg(text), true);
        return sum;
    }
    if (*given < 0) {
        note(row, column, QStringLiteral("总分%1小于0，没有导入").arg(text), true);
        return sum;
    }
    return *given;
}

QVariant RowChecker::value(const SheetRow& row, const TargetColumn& column, double& subjects)
{
    const QVariant cell = cellOf(row, column.name);
    if (column.kind == TargetColumn::Total)
        return totalValue(row, column.name, subjects);
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
        if (isAbsentMark(text)) {
            ++m_absent[column.name];
            return {};
        }
        const QVariant v = scoreValue(row, column.name, text, cell);
        subjects += v.toDouble();
        return v;
    }
    case TargetColumn::Class: {
        const auto n = classNumberOf(cell);
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
    QVariant key;
    for (const TargetColumn& column : m_columns) {
        if (column.kind != TargetColumn::Key)
            continue;
        key = cellOf(row, column.name);
        if (!keyTaken(row, column, key))
            return;
    }
    m_rowLost = 0;
    double subjects = 0;
    QVariantList values;
    for (const TargetColumn& column : m_columns)
        values.append(column.kind == TargetColumn::Key ? QVariant(sourceCellText(key))
                                                       : value(row, column, subjects));
    m_out.lostValues += m_rowLost;
    m_out.values.append(values);
    m_out.rowNumbers.append(row.number);
}

void RowChecker::addNotes()
{
    for (const QString& column : m_mapping.dropped)
        m_out.notes.append(QStringLiteral("%1 未对应：所有学生的%1将是空的").arg(column));
    for (const TargetColumn& c : m_columns)
        if (c.kind == TargetColumn::Sex && !m_mapping.isMapped(c.name))
            m_out.notes.append(QStringLiteral("表格中没有性别列：所有学生将按女生统计"));
    for (const TargetColumn& c : m_columns)
        if (const int n = m_absent.value(c.name); n > 0)
            m_out.notes.append(
                QStringLiteral("“%1”有%2个单元格是缺考、--或/，按没有成绩导入").arg(c.name).arg(n));
    if (m_totalsDiffer > 0)
        m_out.notes.append(
            QStringLiteral("有%1行表中的总分与各科之和不符（表格中没有%2），按各科之和导入；"
                           "要保留表中的总分，请选“保留表中的总分”（命令行：--keep-total）")
                .arg(m_totalsDiffer)
                .arg(m_missingSubjects.join(QStringLiteral("、"))));
    if (m_out.numbered > 0)
        m_out.notes.append(
            QStringLiteral("自动编号 %1–%2").arg(m_out.firstNumbered).arg(m_out.lastNumbered));
}

// Whether the rows have a 编号 to be stored under: a column for it, or
// numbers given.
bool keyed(const ColumnMapping& mapping, const QList<TargetColumn>& columns,
           const CheckOptions& options)
{
    for (const TargetColumn& c : columns)
        if (c.kind == TargetColumn::Key && !mapping.isMapped(c.name))
            return options.firstNumber > 0;
    return true;
}

} // namespace

CheckedRows checkRows(const QList<SheetRow>& data, const ColumnMapping& mapping,
                      const QList<TargetColumn>& columns, const CheckOptions& options)
{
    CheckedRows out;
    if (!keyed(mapping, columns, options))
        return out;
    RowChecker checker(mapping, columns, options, out);
    if (options.firstNumber > 0)
        checker.takeGivenKeys(data);
    for (const SheetRow& row : data)
        checker.check(row);
    checker.addNotes();
    return out;
}

QString sourceCellText(const QVariant& cell)
{
    if (cell.typeId() == QMetaType::Double) {
        // A whole number below 10^15 prints its digits in the 15-digit form
        // (-0 as 0): written as an integer, at a fraction of the cost (keys
        // and scores of every row come this way).
        const double v = cell.toDouble();
        if (std::abs(v) < 1e15 && v == std::trunc(v))
            return QString::number(qint64(v));
        return QString::number(v, 'g', 15);
    }
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
    lines += rows.notes;
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
