#include "statistics.h"

#include "core/context.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"

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

const QString& table()
{
    static const QString t = quoteIdent(studentTable());
    return t;
}
const QString& classCol()
{
    static const QString c = quoteIdent(classColumn());
    return c;
}

// The rows of a grouped query "班级, a, b, …" for the classes 1 … classCount,
// by class: rows[c − 1] is empty for a class the query does not list.
QVector<QVariantList> perClass(Store& store, const QString& columns, int classCount)
{
    const QString sql = QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 BETWEEN 1 AND ? GROUP BY %1")
                            .arg(classCol(), columns, table());
    const RowSet rs = RowSet::openSql(store, sql, {classCount});
    QVector<QVariantList> out(classCount);
    for (int r = 0; r < rs.rowCount(); ++r) {
        const QVariantList& row = rs.row(r);
        out[row.at(0).toInt() - 1] = row.mid(1);
    }
    return out;
}

// The working tables of one build.
struct Build {
    int classes = 0;
    QStringList scores;
    QVector<YesNoColumns> yesNo;
    QVector<QVariantList> averages; // [class − 1][score]; null: no value
    QVector<int> boys, girls;
    YesNoCounts counts;
};

void readAverages(Store& store, Build& b)
{
    QStringList columns;
    for (const QString& s : std::as_const(b.scores))
        columns.append(QStringLiteral("avg(%1)").arg(quoteIdent(s)));
    b.averages = perClass(store, columns.join(QStringLiteral(", ")), b.classes);
    for (QVariantList& row : b.averages) {
        row.resize(b.scores.size());
        for (QVariant& v : row)
            if (!v.isNull())
                v = roundAverage(v.toDouble());
    }
}

void countSexes(Store& store, Build& b)
{
    const QString sex = quoteIdent(sexColumn());
    const auto rows = perClass(
        store, QStringLiteral("count(CASE WHEN trim(%1)='男' THEN 1 END), count(*)").arg(sex),
        b.classes);
    b.boys.fill(0, b.classes);
    b.girls.fill(0, b.classes);
    for (int c = 0; c < b.classes; ++c) {
        if (rows.at(c).isEmpty())
            continue;
        b.boys[c] = rows.at(c).at(0).toInt();
        b.girls[c] = rows.at(c).at(1).toInt() - b.boys[c];
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

QString createStatement(const Build& b)
{
    QStringList defs{QStringLiteral("%1 INTEGER CONSTRAINT %1 PRIMARY KEY").arg(classCol())};
    for (const QString& s : b.scores)
        defs.append(quoteIdent(s + averageSuffix()) + QStringLiteral(" SINGLE"));
    defs.append(quoteIdent(boysColumn()) + QStringLiteral(" INTEGER"));
    defs.append(quoteIdent(girlsColumn()) + QStringLiteral(" INTEGER"));
    for (int f = 0; f < b.yesNo.size(); ++f) {
        defs.append(QStringLiteral("%1 TEXT(%2)")
                        .arg(quoteIdent(b.yesNo.at(f).yes))
                        .arg(columnWidth(b.counts.yes.at(f))));
        defs.append(QStringLiteral("%1 TEXT(%2)")
                        .arg(quoteIdent(b.yesNo.at(f).no))
                        .arg(columnWidth(b.counts.no.at(f))));
    }
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoteIdent(resultTable()), defs.join(QStringLiteral(", ")));
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
    store.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoteIdent(resultTable())));
    store.exec(createStatement(b));
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
    const QVariantList classes = store.column(
        QStringLiteral("SELECT DISTINCT %1 FROM %2 ORDER BY %1 DESC").arg(classCol(), table()));
    if (classes.isEmpty()) {
        ctx.state.ClassCount = 0;
        *stop = StatsOutcome::NoStudents;
        return false;
    }
    // Class numbers are 16-bit throughout the program.
    const qint64 highest = classes.first().isNull() ? 0 : classes.first().toLongLong();
    ctx.state.ClassCount = qint16(std::clamp<qint64>(highest, std::numeric_limits<qint16>::min(),
                                                     std::numeric_limits<qint16>::max()));
    for (const QVariant& v : classes) {
        if (v.isNull() || v.toLongLong() == 0) {
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
        const QString y = quoteIdent(f.field);
        const auto rows = perClass(
            store,
            QStringLiteral(
                "count(CASE WHEN %1='是' THEN 1 END), count(CASE WHEN %1<>'是' THEN 1 END)")
                .arg(y),
            classCount);
        QVector<int> yes(classCount, 0), no(classCount, 0);
        for (int c = 0; c < classCount; ++c) {
            if (rows.at(c).isEmpty())
                continue;
            yes[c] = rows.at(c).at(0).toInt();
            no[c] = rows.at(c).at(1).toInt();
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
    readAverages(store, b);
    countSexes(store, b);
    QStringList conditionList;
    readConditionList(ctx, conditionList);
    if (!ctx.state.FieldListEmpty)
        b.yesNo = yesNoColumns(conditionList);
    ctx.state.NoYesNoCondition = b.yesNo.isEmpty();
    if (!ctx.state.NoYesNoCondition)
        b.counts = CountYesNoFields(store, b.yesNo, b.classes);
    writeResult(store, b);
    tr.commit();
    return StatsOutcome::Built;
}

} // namespace quorvel
