#include "statistics.h"

#include "core/context.h"
#include "store/classfigures.h"
#include "store/classnumbers.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "store/tables.h"

#include <QSet>
#include <charconv>
#include <cmath>
#include <limits>

namespace quorvel {

QStringList keptScoreFields(const QStringList& scoreList)
{
    QStringList kept;
    for (const QString& name : scoreList)
        if (name.size() == 2)
            kept.append(name);
    return kept;
}

QVector<YesNoColumns> yesNoColumns(const QStringList& conditionList)
{
    QVector<YesNoColumns> out;
    QSet<QString> used;
    for (const QString& field : conditionList) {
        if (field == u"原学校" || field == u"品质等级")
            continue;
        QString suffix = field.mid(2);
        if (suffix.isEmpty() || used.contains(u'是' + suffix) || used.contains(u'非' + suffix))
            suffix = field;
        YesNoColumns c{field, u'是' + suffix, u'非' + suffix};
        used.insert(c.yes);
        used.insert(c.no);
        out.append(c);
    }
    return out;
}

double roundAverage(double v)
{
    if (!std::isfinite(v))
        return v;
    // The fixed form with two decimals is rounded by the exact value of v,
    // ties to even; reading it back gives the double nearest that decimal.
    char buf[400];
    const auto written = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    double r = v;
    std::from_chars(buf, written.ptr, r);
    return r;
}

namespace {

// The working tables of one build.
struct Build {
    int classes = 0;
    QStringList scores;
    QVector<YesNoColumns> yesNo;
    QVector<QVariantList> averages; // [class − 1][score]; null: no value
    QVector<int> boys, girls;
    YesNoCounts counts;
};

// The averages, sexes and yes/no counts of every class, read in one query.
void readFigures(Store& store, Build& b)
{
    QStringList yesNo;
    for (const YesNoColumns& f : std::as_const(b.yesNo))
        yesNo.append(f.field);
    b.averages.clear();
    b.boys.clear();
    b.girls.clear();
    b.counts = {};
    b.counts.yes.resize(yesNo.size());
    b.counts.no.resize(yesNo.size());
    for (const ClassStatistics& c : classStatistics(store, b.scores, yesNo, b.classes)) {
        QVariantList row(b.scores.size());
        for (int i = 0; i < c.averages.size(); ++i)
            if (c.averages.at(i))
                row[i] = roundAverage(*c.averages.at(i));
        b.averages.append(row);
        b.boys.append(c.sexes.boys);
        b.girls.append(c.sexes.students - c.sexes.boys);
        for (int f = 0; f < c.yesNo.size(); ++f) {
            b.counts.yes[f].append(c.yesNo.at(f).yes);
            b.counts.no[f].append(c.yesNo.at(f).no);
        }
    }
}

// The widest count of a column, in digits, and never less than two.
int columnWidth(const QVector<int>& counts)
{
    int width = 2;
    for (int n : counts)
        width = std::max(width, int(QString::number(n).size()));
    return width;
}

QVector<ColumnDefinition> resultColumns(const Build& b)
{
    QVector<ColumnDefinition> columns{{classColumn(), {ColumnType::Integer}, true}};
    for (const QString& s : b.scores)
        columns.append({s + averageSuffix(), {ColumnType::Single}});
    columns.append({boysColumn(), {ColumnType::Integer}});
    columns.append({girlsColumn(), {ColumnType::Integer}});
    for (int f = 0; f < b.yesNo.size(); ++f) {
        columns.append({b.yesNo.at(f).yes, {ColumnType::Text, columnWidth(b.counts.yes.at(f))}});
        columns.append({b.yesNo.at(f).no, {ColumnType::Text, columnWidth(b.counts.no.at(f))}});
    }
    return columns;
}

// One row of result for class c, in table order.
QVariantList resultRow(const Build& b, int c)
{
    QVariantList row{c};
    row += b.averages.at(c - 1);
    row << b.boys.at(c - 1) << b.girls.at(c - 1);
    for (int f = 0; f < b.yesNo.size(); ++f)
        row << QString::number(b.counts.yes.at(f).at(c - 1))
            << QString::number(b.counts.no.at(f).at(c - 1));
    return row;
}

void writeResult(Store& store, const Build& b)
{
    replaceTable(store, resultTable(), resultColumns(b));
    RowSet rs = RowSet::open(store, resultTable());
    for (int c = 1; c <= b.classes; ++c) {
        const QVariantList row = resultRow(b, c);
        rs.addNew();
        for (int i = 0; i < row.size(); ++i)
            rs.setValue(i, row.at(i));
        if (!rs.update())
            throw OperationError(rs.lastRefusal());
    }
}

// Steps through the classes in use, highest first; false when the build is
// to stop (the outcome in *stop; the caller says why after the rollback).
bool checkPlacement(const Context& ctx, Store& store, StatsOutcome* stop)
{
    const QVector<std::optional<qint64>> classes = classValuesHighestFirst(store);
    if (classes.isEmpty()) {
        ctx.state.ClassCount = 0;
        *stop = StatsOutcome::NoStudents;
        return false;
    }
    // Class numbers are 16-bit throughout the program.
    const qint64 highest = classes.first().value_or(0);
    ctx.state.ClassCount = qint16(std::clamp<qint64>(highest, std::numeric_limits<qint16>::min(),
                                                     std::numeric_limits<qint16>::max()));
    for (const std::optional<qint64>& v : classes) {
        if (!v || *v == 0) {
            ctx.state.StatsUnplacedFlag = true;
            *stop = StatsOutcome::Unplaced;
            return false;
        }
    }
    return true;
}

} // namespace

YesNoCounts CountYesNoFields(Store& store, const QVector<YesNoColumns>& fields, int classCount)
{
    YesNoCounts counts;
    for (const YesNoColumns& f : fields) {
        QVector<int> yes, no;
        for (const ClassYesNo& c : classYesNo(store, f.field, classCount)) {
            yes.append(c.yes);
            no.append(c.no);
        }
        counts.yes.append(yes);
        counts.no.append(no);
    }
    return counts;
}

StatsOutcome tongji(const Context& ctx)
{
    Store store = OpenStore(ctx);
    ctx.state.StatsUnplacedFlag = false;
    QStringList scoreList;
    readScoreList(ctx, scoreList);

    Transaction tr(store);
    StatsOutcome stop = StatsOutcome::Built;
    if (!checkPlacement(ctx, store, &stop)) {
        tr.rollback();
        if (stop == StatsOutcome::Unplaced)
            ctx.prompt.message(unplacedMessage());
        return stop;
    }

    Build b;
    b.classes = std::max<int>(ctx.state.ClassCount, 0);
    b.scores = keptScoreFields(scoreList);
    QStringList conditionList;
    readConditionList(ctx, conditionList);
    if (!ctx.state.FieldListEmpty)
        b.yesNo = yesNoColumns(conditionList);
    ctx.state.NoYesNoCondition = b.yesNo.isEmpty();
    readFigures(store, b);
    writeResult(store, b);
    tr.commit();
    return StatsOutcome::Built;
}

} // namespace quorvel
