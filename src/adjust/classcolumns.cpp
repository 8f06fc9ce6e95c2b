#include "classcolumns.h"

#include "transfer.h"

#include "stats/statistics.h"
#include "store/fieldlists.h"
#include "store/ruletables.h"
#include "store/studentrows.h"

#include <cmath>

namespace quorvel {

// Where the board's columns stand in the listing's rows.
struct ClassColumns::Layout {
    int number = -1;
    int name = -1;
    int sex = -1;
    int cls = -1;
    int total = -1;
    QVector<int> marks; // the yes/no columns
};

// The students and the rules in one read transaction: the rules name the
// students read.
ClassColumns ClassColumns::read(const Context& ctx, double tolerance)
{
    Store store = OpenStore(ctx);
    const ReadTransaction reading(store);
    ClassColumns board = fromRows(studentsByClassThenTotal(store).snapshot(), tolerance);
    board.markRules(store);
    return board;
}

ClassColumns ClassColumns::fromRows(const StudentRows& rows, double tolerance)
{
    ClassColumns board;
    board.m_tolerance = tolerance;
    Layout at{rows.columnIndex(keyColumn()),   rows.columnIndex(QStringLiteral("姓名")),
              rows.columnIndex(sexColumn()),   rows.columnIndex(classColumn()),
              rows.columnIndex(totalColumn()), {}};
    QStringList fields;
    for (int c = 0; c < rows.columnCount(); ++c) {
        if (isYesNoField(rows.columnNames().at(c))) {
            at.marks.append(c);
            fields.append(rows.columnNames().at(c));
        }
    }
    for (const YesNoColumns& f : yesNoColumns(fields))
        board.m_attributes.append(f.yes.mid(1));
    // The listing comes by class, and within a class from the highest 总分.
    for (int r = 0; r < rows.rowCount(); ++r)
        board.addCard(rows.row(r), at);
    board.finish();
    return board;
}

void ClassColumns::addCard(const QVariantList& row, const Layout& at)
{
    const QVariant cls = row.value(at.cls);
    if (cls.isNull() || cls.toLongLong() < 1) {
        ++m_unplaced;
        return;
    }
    ClassCard card;
    card.number = row.value(at.number).toString();
    card.name = at.name < 0 ? QString() : row.value(at.name).toString().trimmed();
    card.sex = row.value(at.sex).toString().trimmed();
    card.boy = card.sex == QStringLiteral("男");
    if (const QVariant t = row.value(at.total); !t.isNull())
        card.total = t.toDouble();
    for (int c : at.marks) {
        const QVariant v = row.value(c);
        card.marks.append(v.isNull() ? std::nullopt
                                     : std::optional<bool>(v.toString() == QStringLiteral("是")));
    }
    if (m_columns.isEmpty() || m_columns.last().cls != cls.toInt()) {
        m_columns.append(ClassColumn{cls.toInt(),
                                     {},
                                     0,
                                     0,
                                     {},
                                     0,
                                     Standing::Unknown,
                                     QVector<int>(at.marks.size(), 0),
                                     -1,
                                     0});
    }
    ClassColumn& column = m_columns.last();
    const int index = int(m_cards.size());
    column.cards.append(index);
    (card.boy ? column.boys : column.girls) += 1;
    for (int a = 0; a < card.marks.size(); ++a)
        column.yesCounts[a] += card.marks.at(a).value_or(false) ? 1 : 0;
    m_byNumber.insert(card.number, index);
    m_cardClass.append(column.cls);
    m_cards.append(std::move(card));
}

// Each card names the rules its student is in (a student in no class has
// no card; a rule is marked once per card).
void ClassColumns::markRules(Store& store)
{
    for (const PlacementRule& rule : readRules(store)) {
        const QString mark = rule.kind == RuleKind::Fixed ? QStringLiteral("固定%1班").arg(rule.cls)
                             : rule.kind == RuleKind::Classes
                                 ? QStringLiteral("指定%1班").arg(classListText(rule.classes))
                                 : ruleKindName(rule.kind);
        for (const QString& number : rule.members) {
            const int card = cardOf(number);
            if (card >= 0 && !m_cards[card].rules.contains(mark))
                m_cards[card].rules.append(mark);
        }
    }
}

// The averages, the mean they are judged against and each header's widest
// attribute.
void ClassColumns::finish()
{
    double sum = 0;
    int withAverage = 0;
    for (ClassColumn& column : m_columns) {
        double total = 0;
        int n = 0;
        for (int c : column.cards) {
            if (const std::optional<double> t = m_cards.at(c).total) {
                total += *t;
                ++n;
            }
        }
        if (n > 0) {
            column.average = roundAverage(total / n);
            sum += *column.average;
            ++withAverage;
        }
    }
    if (withAverage > 0)
        m_mean = sum / withAverage;
    for (ClassColumn& column : m_columns)
        judge(column);
}

void ClassColumns::judge(ClassColumn& column) const
{
    if (column.average && m_mean) {
        column.deviation = *column.average - *m_mean;
        column.standing = standingOf(column.deviation, m_tolerance);
    }
    for (int a = 0; a < m_attributes.size(); ++a) {
        double mean = 0;
        for (const ClassColumn& other : m_columns)
            mean += other.yesCounts.at(a);
        mean /= double(m_columns.size());
        const double difference = column.yesCounts.at(a) - mean;
        if (column.widest < 0 || std::abs(difference) > std::abs(column.widestDifference) + 1e-9) {
            column.widest = a;
            column.widestDifference = difference;
        }
    }
}

int ClassColumns::columnOf(int cls) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).cls == cls)
            return i;
    }
    return -1;
}

int ClassColumns::cardOf(const QString& number) const
{
    return m_byNumber.value(number, -1);
}

QVector<int> ClassColumns::search(const QString& text) const
{
    const QString s = text.trimmed();
    QVector<int> found;
    if (s.isEmpty())
        return found;
    for (int i = 0; i < m_cards.size(); ++i) {
        if (m_cards.at(i).number == s || m_cards.at(i).name.startsWith(s))
            found.append(i);
    }
    return found;
}

QStringList ClassColumns::headerLines(const ClassColumn& column) const
{
    QStringList lines{QStringLiteral("%1班  %2人").arg(column.cls).arg(column.cards.size()),
                      QStringLiteral("男%1 女%2").arg(column.boys).arg(column.girls)};
    if (column.average) {
        lines.append(QStringLiteral("总分均分 ") + QString::number(*column.average, 'f', 2));
        lines.append(QStringLiteral("%1（比平均 %2%3）")
                         .arg(standingText(column.standing),
                              column.deviation < 0 ? QString() : QStringLiteral("+"),
                              QString::number(column.deviation, 'f', 2)));
    } else {
        lines.append(standingText(column.standing));
    }
    if (column.widest >= 0) {
        lines.append(QStringLiteral("属性差最大：%1 %2%3")
                         .arg(m_attributes.at(column.widest),
                              column.widestDifference < 0 ? QString() : QStringLiteral("+"),
                              QString::number(column.widestDifference, 'f', 1)));
    }
    return lines;
}

} // namespace quorvel
