#include "classboard.h"

#include "stats/statistics.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "store/studentrows.h"
#include "store/students.h"

#include <algorithm>

namespace quorvel {

std::optional<PairEnd> pairEnd(std::optional<double> high, std::optional<double> low,
                               double threshold)
{
    if (!high || !low || !(*high > *low))
        return PairEnd::Reversed;
    // Averages of decimal totals carry binary noise (85.0 - 84.8 comes out
    // as 0.2000000000000028): a difference within a hair of the threshold
    // counts as the threshold itself.
    if (*high - *low <= threshold + kAverageNoise)
        return PairEnd::Balanced;
    return std::nullopt;
}

ClassBoard ClassBoard::load(Store& store, const QVector<qint16>& classes)
{
    const QStringList conditions = ConditionSpread::columnsOf(store.columns(studentTable()));
    const QVector<QVariantList> rows = studentRowsInClasses(
        store, QStringList{classColumn(), totalColumn(), sexColumn()} + conditions, classes);
    ClassBoard board;
    board.m_spread = ConditionSpread(conditions);
    board.m_rules = RuleGuard::load(store);
    board.m_students.reserve(rows.size());
    for (const QVariantList& row : rows)
        board.add(row);
    board.rank();
    return board;
}

void ClassBoard::add(const QVariantList& row)
{
    Student s;
    s.rowid = row.at(0).toLongLong();
    s.cls = s.loadedClass = row.at(1).toInt();
    s.hasTotal = !row.at(2).isNull();
    s.total = row.at(2).toDouble();
    if (!row.at(3).isNull()) {
        const QString sex = row.at(3).toString();
        auto it = m_sexes.constFind(sex);
        if (it == m_sexes.constEnd())
            it = m_sexes.insert(sex, int(m_sexes.size()));
        s.sex = it.value();
    }
    m_members[s.cls].append(int(m_students.size()));
    m_students.append(s);
    m_spread.addStudent(s.cls, row.mid(4));
}

std::optional<double> ClassBoard::average(qint16 cls) const
{
    double sum = 0;
    qint64 count = 0;
    for (const int i : m_members.value(cls)) {
        if (m_students.at(i).hasTotal) {
            sum += m_students.at(i).total;
            ++count;
        }
    }
    if (count == 0)
        return std::nullopt;
    return sum / double(count);
}

// Every student's place in ascending() order, and each class's students in
// that order: the student at an ascending position of a class is then read,
// not searched.
void ClassBoard::rank()
{
    QVector<int> order(m_students.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [this](int a, int b) { return ascending(a, b); });
    m_rank.resize(order.size());
    for (int r = 0; r < order.size(); ++r)
        m_rank[order.at(r)] = r;
    for (const int i : std::as_const(order))
        m_rising[m_students.at(i).cls].append(i);
}

std::optional<double> roundedAverage(const std::optional<double>& v)
{
    return v ? std::optional<double>(roundAverage(*v)) : std::nullopt;
}

QVector<qint16> ClassBoard::highestFirst(const QVector<qint16>& classes) const
{
    QVector<std::pair<std::optional<double>, qint16>> keyed;
    for (const qint16 c : classes)
        keyed.append({roundedAverage(average(c)), c});
    std::sort(keyed.begin(), keyed.end(), [](const auto& x, const auto& y) {
        if (x.first.has_value() != y.first.has_value())
            return x.first.has_value();
        if (x.first && float(*x.first) != float(*y.first))
            return float(*x.first) > float(*y.first);
        return x.second < y.second;
    });
    QVector<qint16> out;
    for (const auto& k : std::as_const(keyed))
        out.append(k.second);
    return out;
}

// The order of "总分 asc": no total first, ties in row order.
bool ClassBoard::ascending(int a, int b) const
{
    const Student& x = m_students.at(a);
    const Student& y = m_students.at(b);
    if (x.hasTotal != y.hasTotal)
        return !x.hasTotal;
    if (x.hasTotal && x.total != y.total)
        return x.total < y.total;
    return x.rowid < y.rowid;
}

void ClassBoard::move(int student, qint16 to)
{
    Student& s = m_students[student];
    QVector<int>& from = m_members[s.cls];
    from.erase(std::lower_bound(from.begin(), from.end(), student));
    QVector<int>& into = m_members[to];
    into.insert(std::lower_bound(into.begin(), into.end(), student), student);
    const auto byRank = [this](int x, int y) { return m_rank.at(x) < m_rank.at(y); };
    QVector<int>& fromRising = m_rising[s.cls];
    fromRising.erase(std::lower_bound(fromRising.begin(), fromRising.end(), student, byRank));
    QVector<int>& intoRising = m_rising[to];
    intoRising.insert(std::lower_bound(intoRising.begin(), intoRising.end(), student, byRank),
                      student);
    s.cls = to;
}

// B for A (already in the low class): among the low class's students of A's
// sex whose total is at most A's, highest total first and ties in row
// order, the first whose total differs from A's as a single, else the last;
// -1 when there is none.
int ClassBoard::partner(qint16 low, int a) const
{
    const Student& sa = m_students.at(a);
    if (!sa.hasTotal)
        return -1;
    const float x = float(sa.total);
    const double bound = double(x);
    int first = -1, last = -1, count = 0;
    for (const int i : m_members.value(low)) {
        const Student& s = m_students.at(i);
        if (!s.hasTotal || !(s.total <= bound) || s.sex != sa.sex)
            continue;
        ++count;
        // Members come in row order, so a strict comparison keeps the first of a tie.
        if (float(s.total) != x && (first < 0 || s.total > m_students.at(first).total))
            first = i;
        if (last < 0 || s.total <= m_students.at(last).total)
            last = i;
    }
    if (count <= 1 || first < 0)
        return last;
    return first;
}

// One exchange with counter k; returns the size the high class had.
int ClassBoard::exchange(qint16 high, qint16 low, int k)
{
    const QVector<int>& rising = m_rising[high];
    const int m = int(rising.size());
    const int a = rising.at(std::min(k + 1, m - 1));
    move(a, low);
    const int b = partner(low, a);
    // Nobody to come back, or the conditions or rules forbid it: A returns.
    if (b < 0 || !m_spread.allows(a, high, b, low) ||
        !m_rules.mayExchange(m_students.at(a).rowid, low, m_students.at(b).rowid, high)) {
        move(a, high);
        return m;
    }
    move(b, high);
    m_rules.moved(m_students.at(a).rowid, low);
    m_rules.moved(m_students.at(b).rowid, high);
    m_spread.exchange(a, high, b, low);
    return m;
}

PairRun ClassBoard::exchangePair(qint16 high, qint16 low, double threshold)
{
    PairRun run;
    for (;;) {
        if (const std::optional<PairEnd> end = pairEnd(average(high), average(low), threshold)) {
            run.end = *end;
            return run;
        }
        const int m = exchange(high, low, run.exchanges);
        ++run.exchanges;
        if (run.exchanges > m - 10) {
            run.end = PairEnd::Bound;
            return run;
        }
    }
}

int ClassBoard::save(Store& store) const
{
    QVector<StudentClass> moved;
    for (const Student& s : m_students) {
        if (s.cls != s.loadedClass)
            moved.append({s.rowid, s.cls});
    }
    Students(store).writeClasses(moved);
    return int(moved.size());
}

} // namespace quorvel
