#include "mapping.h"

#include "store/errors.h"

namespace quorvel {

QString normalizedHeader(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.isSpace())
            continue;
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFEE0));
        out += c.toLower();
    }
    return out;
}

QStringList usualNames(const QString& column, const QStringList& subjects)
{
    static const QHash<QString, QStringList> usual = {
        {QStringLiteral("编号"), {"编号", "学号", "考号", "准考证号", "考生号", "学籍号"}},
        {QStringLiteral("姓名"), {"姓名", "学生姓名"}},
        {QStringLiteral("原学校"), {"原学校", "毕业学校", "毕业学校名称", "生源学校", "初中学校"}},
        {QStringLiteral("品质等级"), {"品质等级", "品德等级", "综合素质等级"}},
        {QStringLiteral("总分"), {"总分", "总成绩", "合计"}},
    };
    QStringList names = usual.value(column, {column});
    if (subjects.contains(column))
        names << column + QStringLiteral("成绩") << column + QStringLiteral("分数");
    return names;
}

QString columnNamed(const QString& header, const QStringList& columns, const QStringList& subjects)
{
    const QString wanted = normalizedHeader(header);
    if (wanted.isEmpty())
        return {};
    for (const QString& column : columns)
        for (const QString& name : usualNames(column, subjects))
            if (normalizedHeader(name) == wanted)
                return column;
    return {};
}

int findHeaderRow(const QList<SheetRow>& rows, const QStringList& columns,
                  const QStringList& subjects, const QStringList& known)
{
    QStringList knownHeaders;
    for (const QString& header : known)
        knownHeaders.append(normalizedHeader(header));
    auto names = [&](const QVariant& cell) {
        const QString text = cell.toString();
        return !columnNamed(text, columns, subjects).isEmpty() ||
               (!text.isEmpty() && knownHeaders.contains(normalizedHeader(text)));
    };
    for (int i = 0; i < rows.size() && i < kHeaderSearchRows; ++i) {
        int named = 0;
        for (const QVariant& cell : rows.at(i).cells)
            named += names(cell);
        if (named >= 2)
            return i;
    }
    return -1;
}

namespace {

int cellHeaded(const SheetRow& header, const QString& text)
{
    const QString wanted = normalizedHeader(text);
    for (int i = 0; i < header.cells.size(); ++i)
        if (!wanted.isEmpty() && normalizedHeader(header.cells.at(i).toString()) == wanted)
            return i;
    return -1;
}

void applyHandMapping(ColumnMapping& mapping, const SheetRow& header, const QStringList& columns,
                      const HandMapping& hand)
{
    if (!columns.contains(hand.first))
        throw OperationError(QStringLiteral("数据库中没有“%1”这一列。").arg(hand.first));
    mapping.cellOf.remove(hand.first);
    mapping.headerOf.remove(hand.first);
    if (hand.second.isEmpty())
        return;
    const int cell = cellHeaded(header, hand.second);
    if (cell < 0)
        throw OperationError(QStringLiteral("表头行（第%1行）中没有“%2”这一列。")
                                 .arg(header.number)
                                 .arg(hand.second));
    mapping.cellOf.insert(hand.first, cell);
    mapping.headerOf.insert(hand.first, header.cells.at(cell).toString());
}

} // namespace

ColumnMapping mapColumns(const SheetRow& header, const QStringList& columns,
                         const QStringList& subjects, const QList<HandMapping>& byHand)
{
    ColumnMapping mapping;
    for (int i = 0; i < header.cells.size(); ++i) {
        const QString text = header.cells.at(i).toString();
        const QString column = columnNamed(text, columns, subjects);
        if (!column.isEmpty() && !mapping.isMapped(column)) {
            mapping.cellOf.insert(column, i);
            mapping.headerOf.insert(column, text);
        }
    }
    const QList<QString> found = mapping.cellOf.keys();
    for (const HandMapping& hand : byHand)
        applyHandMapping(mapping, header, columns, hand);
    for (const QString& column : columns)
        if (found.contains(column) && !mapping.isMapped(column))
            mapping.dropped.append(column);
    return mapping;
}

HandMapping parseHandMapping(const QString& text)
{
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        throw OperationError(
            QStringLiteral("“%1”不是“数据库列=表头”的写法，例如 编号=准考证号。").arg(text));
    return {text.left(eq).trimmed(), text.mid(eq + 1).trimmed()};
}

QStringList handHeaders(const QList<HandMapping>& byHand)
{
    QStringList headers;
    for (const HandMapping& hand : byHand)
        if (!hand.second.isEmpty())
            headers.append(hand.second);
    return headers;
}

} // namespace quorvel
