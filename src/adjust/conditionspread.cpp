#include "conditionspread.h"

#include "division/boarders.h"
#include "store/fieldlists.h"
#include "store/store.h"

#include <algorithm>

namespace quorvel {

namespace {

QString yesValue()
{
    return QStringLiteral("是");
}

} // namespace

bool isBalancedCondition(const QString& column)
{
    return column == u"原学校" || column == u"品质等级" || isYesNoField(column);
}

QStringList ConditionSpread::columnsOf(const QVector<ColumnInfo>& columns)
{
    QStringList out;
    for (const ColumnInfo& c : columns) {
        if (isBalancedCondition(c.name))
            out.append(c.name);
    }
    return out;
}

ConditionSpread::ConditionSpread(const QStringList& columns)
    : m_columns(columns), m_boarder(int(columns.indexOf(boardingColumn())))
{
}

int ConditionSpread::keyOf(const QString& name)
{
    const auto it = m_keys.constFind(name);
    if (it != m_keys.cend())
        return *it;
    const int key = int(m_counts.size());
    m_keys.insert(name, key);
    m_counts.append(QVector<int>(m_slots.size(), 0));
    return key;
}

int ConditionSpread::slotOf(qint32 cls)
{
    const auto it = m_slots.constFind(cls);
    if (it != m_slots.cend())
        return *it;
    const int slot = int(m_slots.size());
    m_slots.insert(cls, slot);
    for (QVector<int>& counts : m_counts)
        counts.append(0);
    return slot;
}

void ConditionSpread::addStudent(qint32 cls, const QVariantList& values)
{
    QVector<int> keys;
    for (int c = 0; c < m_columns.size() && c < values.size(); ++c) {
        const QVariant& v = values.at(c);
        if (v.isNull())
            continue;
        const QString text = v.toString();
        if (isYesNoField(m_columns.at(c)) && text != yesValue())
            continue;
        keys.append(keyOf(m_columns.at(c) + u'=' + text));
    }
    m_boarding.append(m_boarder < 0 ? QString() : values.value(m_boarder).toString());
    if (cls != 0) {
        const int slot = slotOf(cls);
        for (const int k : keys)
            ++m_counts[k][slot];
    }
    m_keysOf.append(keys);
}

int ConditionSpread::range(int key) const
{
    const QVector<int>& counts = m_counts.at(key);
    if (counts.isEmpty())
        return 0;
    const auto [lo, hi] = std::minmax_element(counts.cbegin(), counts.cend());
    return *hi - *lo;
}

// The range of key when delta of it moves from one slot to the other.
int ConditionSpread::rangeAfter(int key, int slotFrom, int slotTo, int delta) const
{
    QVector<int> counts = m_counts.at(key);
    counts[slotFrom] -= delta;
    counts[slotTo] += delta;
    const auto [lo, hi] = std::minmax_element(counts.cbegin(), counts.cend());
    return *hi - *lo;
}

bool ConditionSpread::allows(int a, qint32 from, int b, qint32 to) const
{
    if (m_columns.isEmpty() || a == b)
        return true;
    if (m_boarder >= 0 && m_boarding.at(a) != m_boarding.at(b))
        return false;
    const int slotFrom = m_slots.value(from, -1);
    const int slotTo = m_slots.value(to, -1);
    if (slotFrom < 0 || slotTo < 0)
        return true;
    QHash<int, int> moves; // key → how many more go from → to
    for (const int k : m_keysOf.at(a))
        ++moves[k];
    for (const int k : m_keysOf.at(b))
        --moves[k];
    for (auto it = moves.cbegin(); it != moves.cend(); ++it) {
        if (it.value() != 0 &&
            rangeAfter(it.key(), slotFrom, slotTo, it.value()) > std::max(1, range(it.key())))
            return false;
    }
    return true;
}

void ConditionSpread::exchange(int a, qint32 from, int b, qint32 to)
{
    const int slotFrom = m_slots.value(from, -1);
    const int slotTo = m_slots.value(to, -1);
    if (m_columns.isEmpty() || a == b || slotFrom < 0 || slotTo < 0)
        return;
    for (const int k : m_keysOf.at(a)) {
        --m_counts[k][slotFrom];
        ++m_counts[k][slotTo];
    }
    for (const int k : m_keysOf.at(b)) {
        --m_counts[k][slotTo];
        ++m_counts[k][slotFrom];
    }
}

QHash<QString, int> ConditionSpread::ranges() const
{
    QHash<QString, int> out;
    for (auto it = m_keys.cbegin(); it != m_keys.cend(); ++it)
        out.insert(it.key(), range(it.value()));
    return out;
}

} // namespace quorvel
