#include "balanced.h"

#include "snake.h"

#include "core/context.h"
#include "rules/ruledivision.h"
#include "store/auditrecord.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "store/students.h"
#include "store/versions.h"

namespace quorvel {

namespace {

// ---- work tables ----------------------------------------------------------

// The column list of a table shaped like studscore.
QString columnDefinitions(Store& store)
{
    QStringList defs;
    for (const ColumnInfo& c : store.columns(studentTable())) {
        const QString type = c.type.declared();
        defs.append(type.isEmpty() ? quoteIdent(c.name) : quoteIdent(c.name) + u' ' + type);
    }
    return defs.join(u',');
}

// Makes target the way a "select * into" does: exactly the columns of
// studscore, in the same order and with the same declared types, but
// without its key or other constraints, holding the rows of source that
// satisfy where, in source's row order. Fails when target exists.
void selectInto(Store& store, const QString& target, const QString& source, const QString& where,
                const QVariantList& binds = {})
{
    store.exec(
        QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdent(target), columnDefinitions(store)));
    store.exec(QStringLiteral("INSERT INTO %1 SELECT * FROM %2 WHERE %3 ORDER BY rowid")
                   .arg(quoteIdent(target), quoteIdent(source), where),
               binds);
}

// Adds every row of source to target, column by column in table order and
// in source's row order; a key target already holds makes it fail.
void copyRows(Store& store, const QString& source, const QString& target)
{
    store.exec(QStringLiteral("INSERT INTO %1 SELECT * FROM %2 ORDER BY rowid")
                   .arg(quoteIdent(target), quoteIdent(source)));
}

void dropTable(Store& store, const QString& table)
{
    store.exec(QStringLiteral("DROP TABLE ") + quoteIdent(table));
}

// ---- strata ---------------------------------------------------------------

QString schoolColumn()
{
    return QStringLiteral("原学校");
}
QString gradeColumn()
{
    return QStringLiteral("品质等级");
}
QString mergeTable()
{
    return QStringLiteral("tt");
}
QString no()
{
    return QStringLiteral("否");
}
QString yes()
{
    return QStringLiteral("是");
}

QString unplaced()
{
    return quoteIdent(classColumn()) + QStringLiteral("=0");
}

// The chosen conditions as the strata need them.
struct Conditions {
    QStringList grades; // distinct non-empty grade values, in the store's text order
    QStringList yesNo;  // the chosen yes/no conditions, in ConditionList order
};

QStringList distinctGrades(Store& store)
{
    const QString grade = quoteIdent(gradeColumn());
    QStringList grades;
    const QVariantList values =
        store.column(QStringLiteral("SELECT DISTINCT %1 FROM %2 ORDER BY %1")
                         .arg(grade, quoteIdent(studentTable())));
    for (const QVariant& v : values)
        if (!v.isNull() && !v.toString().isEmpty())
            grades.append(v.toString());
    return grades;
}

bool anySchoolRow(Store& store)
{
    return !store
                .column(QStringLiteral("SELECT DISTINCT %1 FROM %2")
                            .arg(quoteIdent(schoolColumn()), quoteIdent(studentTable())))
                .isEmpty();
}

// A condition must name a column: the store would take an unknown quoted
// name for a text and quietly match nobody.
void checkColumns(Store& store, const QStringList& names)
{
    QStringList columns;
    for (const ColumnInfo& c : store.columns(studentTable()))
        columns.append(c.name);
    for (const QString& name : names)
        if (!columns.contains(name))
            throw OperationError(QStringLiteral("学生表中没有分班条件字段：") + name);
}

Conditions readConditions(const Context& ctx, Store& store)
{
    checkColumns(store, ctx.state.ConditionList);
    Conditions c;
    for (const QString& entry : std::as_const(ctx.state.ConditionList)) {
        if (entry == schoolColumn()) {
            if (anySchoolRow(store))
                ctx.state.SchoolCondition = true;
        } else if (entry == gradeColumn()) {
            c.grades = distinctGrades(store);
        } else {
            c.yesNo.append(entry);
        }
    }
    // The field list puts the yes/no fields after 原学校 and 品质等级, so
    // this is also what the last entry says.
    ctx.state.NoYesNoCondition = c.yesNo.isEmpty();
    return c;
}

// Splits every parent table in two by the yes/no column: children 2i+1
// (否) and 2i+2 (是) of parent i, named prefix + number.
QStringList splitTables(Store& store, const QStringList& parents, const QString& prefix,
                        const QString& column)
{
    QStringList children;
    const QString where =
        unplaced() + QStringLiteral(" AND ") + quoteIdent(column) + QStringLiteral("=?");
    for (const QString& parent : parents) {
        for (const QString& value : {no(), yes()}) {
            const QString child = prefix + QString::number(children.size() + 1);
            selectInto(store, child, parent, where, {value});
            children.append(child);
        }
    }
    return children;
}

// Builds the final work tables from the first three yes/no conditions and
// drops the intermediate ones.
QStringList buildWorkTables(Store& store, const QStringList& yesNo)
{
    QStringList tables = splitTables(store, {studentTable()}, QStringLiteral("tmp"), yesNo.at(0));
    const QStringList prefixes = {QStringLiteral("tbl"), QStringLiteral("tb")};
    for (int level = 1; level < qMin(int(yesNo.size()), 3); ++level) {
        const QStringList children =
            splitTables(store, tables, prefixes.at(level - 1), yesNo.at(level));
        for (const QString& parent : std::as_const(tables))
            dropTable(store, parent);
        tables = children;
    }
    return tables;
}

// Deals the strata of one table: one per grade, or the whole table.
void dealTable(const Context& ctx, Store& store, const QString& table, const QStringList& grades)
{
    if (grades.isEmpty()) {
        ctx.state.StratumHasNoWhere = true;
        DealStratum(ctx, store, {table, {}, {}});
        return;
    }
    for (const QString& g : grades)
        DealStratum(ctx, store, {table, quoteIdent(gradeColumn()) + QStringLiteral("=?"), {g}});
}

// The unplaced students of one sex in a stratum, in dealing order.
RowSet openSex(const Context& ctx, Store& store, const Stratum& stratum, const QString& sex)
{
    const QString sexTerm = quoteIdent(sexColumn()) + QStringLiteral("=? AND ") + unplaced();
    const QString byTotal = quoteIdent(totalColumn()) + QStringLiteral(" DESC");
    if (!ctx.state.UseConditions)
        return RowSet::open(store, studentTable(), sexTerm, {sex}, byTotal);
    // Whether the stratum brings a condition of its own decides how the sex
    // and class terms join it; StratumHasNoWhere records the case.
    const QString table = stratum.table.isEmpty() ? studentTable() : stratum.table;
    const QString where =
        stratum.where.isEmpty() ? sexTerm : stratum.where + QStringLiteral(" AND ") + sexTerm;
    const QString order =
        ctx.state.SchoolCondition ? quoteIdent(schoolColumn()) + u',' + byTotal : byTotal;
    return RowSet::open(store, table, where, stratum.binds + QVariantList{sex}, order);
}

void dealWholeCycles(const Context& ctx, RowSet& rs, SnakeStart start)
{
    const int n = rs.rowCount();
    const int classes = ctx.state.ClassCount;
    if (n <= classes)
        return;
    DealSnake(ctx, rs, n - n % classes, start);
}

// Takes the students about to be copied back out of studscore: the placed
// ones (saved in tt) and those of the work tables.
void removeCopiedStudents(Store& store, const QStringList& tables)
{
    QStringList sources;
    for (const QString& t : tables + QStringList{mergeTable()})
        sources.append(
            QStringLiteral("SELECT %1 FROM %2").arg(quoteIdent(keyColumn()), quoteIdent(t)));
    store.exec(QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)")
                   .arg(quoteIdent(studentTable()), quoteIdent(keyColumn()),
                        sources.join(QStringLiteral(" UNION ALL "))));
}

// A tt left from an earlier run is dropped and stops the write-back; the
// outcome of the drop is shown as its error number and description, which
// for a successful drop is the number 0 alone.
bool clearEarlierMerge(const Context& ctx, Store& store)
{
    if (!store.tableExists(mergeTable()))
        return true;
    try {
        dropTable(store, mergeTable());
        ctx.prompt.message(QStringLiteral("0"));
    } catch (const StoreError& e) {
        ctx.prompt.message(e.text());
    }
    return false;
}

qint64 studentCount(Store& store)
{
    return Students(store).count();
}

} // namespace

void DealStratum(const Context& ctx, Store& store, const Stratum& stratum)
{
    if (ctx.state.ClassCount < 1)
        return;
    RowSet boys = openSex(ctx, store, stratum, QStringLiteral("男"));
    dealWholeCycles(ctx, boys, SnakeStart::Ascending);
    RowSet girls = openSex(ctx, store, stratum, QStringLiteral("女"));
    dealWholeCycles(ctx, girls, SnakeStart::Descending);
}

void MergeStrata(const Context& ctx, Store& store, const QStringList& tables)
{
    if (!clearEarlierMerge(ctx, store))
        return;
    const qint64 before = studentCount(store);
    selectInto(store, mergeTable(), studentTable(),
               quoteIdent(classColumn()) + QStringLiteral(">0"));
    removeCopiedStudents(store, tables);
    ctx.prompt.message(QStringLiteral("分班完成，下面进行调整。请稍候……"));
    for (const QString& t : tables)
        copyRows(store, t, studentTable());
    copyRows(store, mergeTable(), studentTable());
    if (studentCount(store) != before)
        throw OperationError(QStringLiteral("写回分班结果时学生人数不符，分班已撤销。"));
}

void BalancedDivide(const Context& ctx, Store& store)
{
    ctx.state.SchoolCondition = false;
    ctx.state.StratumHasNoWhere = false;
    if (ctx.state.ClassCount < 1)
        return;
    if (!ctx.state.UseConditions) {
        DealStratum(ctx, store, {});
        return;
    }
    const Conditions c = readConditions(ctx, store);
    if (ctx.state.NoYesNoCondition) {
        dealTable(ctx, store, studentTable(), c.grades);
    } else {
        const QStringList tables = buildWorkTables(store, c.yesNo);
        for (const QString& t : tables)
            dealTable(ctx, store, t, c.grades);
        MergeStrata(ctx, store, tables);
    }
    SnakeDivide(ctx, store);
}

// The division's parameters in words, for its version in the history.
static QString customDivisionWords(const RunState& state)
{
    QString words =
        QStringLiteral("%1个班，优生%2人").arg(state.ClassCount).arg(state.TopStudentCount);
    if (state.UseConditions && !state.ConditionList.isEmpty())
        words += QStringLiteral("，条件：") + state.ConditionList.join(QStringLiteral("、"));
    return words;
}

void CustomDivision(const Context& ctx, Store& store)
{
    Transaction tr(store);
    const QString rowOrder = storedRowOrder(store); // the division reorders the rows
    DropWorkTables(store);
    ClearAllClasses(store);
    PlaceTopStudents(ctx, store);
    BalancedDivide(ctx, store);
    SnakeDivide(ctx, store);
    HoldPlacementRules(ctx, store);
    Versions(store).record(QStringLiteral("自定义分班"), customDivisionWords(ctx.state));
    recordDivision(ctx, store, customDivisionRecord(ctx.state), rowOrder);
    tr.commit();
    schemeDivided(ctx);
}

} // namespace quorvel
