#include "balanced.h"

#include "snake.h"

#include "core/context.h"
#include "core/session.h"
#include "store/auditrecord.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/rowset.h"
#include "store/store.h"
#include "store/studentrows.h"
#include "store/students.h"
#include "store/tables.h"
#include "store/worktables.h"

namespace quorvel {

namespace {

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

// The chosen conditions as the strata need them.
struct Conditions {
    QStringList grades; // distinct non-empty grade values, in the store's text order
    QStringList yesNo;  // the chosen yes/no conditions, in ConditionList order
};

// The distinct values of 原学校, a null one among them, are there as soon
// as there is any student.
bool anySchoolRow(Store& store)
{
    return Students(store).count() > 0;
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

Conditions readConditions(Store& store, const QStringList& conditions, StrataFlags& flags)
{
    checkColumns(store, conditions);
    Conditions c;
    for (const QString& entry : conditions) {
        if (entry == schoolColumn()) {
            if (anySchoolRow(store))
                flags.schoolCondition = true;
        } else if (entry == gradeColumn()) {
            c.grades = distinctTexts(store, gradeColumn());
        } else {
            c.yesNo.append(entry);
        }
    }
    // The field list puts the yes/no fields after 原学校 and 品质等级, so
    // this is also what the last entry says.
    flags.noYesNoCondition = c.yesNo.isEmpty();
    return c;
}

// Splits every parent table in two by the yes/no column: children 2i+1
// (否) and 2i+2 (是) of parent i, named prefix + number.
QStringList splitTables(Store& store, const QStringList& parents, const QString& prefix,
                        const QString& column)
{
    QStringList children;
    for (const QString& parent : parents) {
        for (const QString& value : {no(), yes()}) {
            const QString child = prefix + QString::number(children.size() + 1);
            copyUnplacedHolding(store, child, parent, column, value);
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

// The dealing of the strata of one division: its class count, whether it
// uses conditions, and the flags it sets on its way.
struct StrataDealer {
    Store& store;
    qint16 classes;
    bool useConditions;
    StrataFlags flags;

    // The unplaced students of one sex in a stratum, in dealing order.
    RowSet openSex(const Stratum& stratum, const QString& sex)
    {
        if (!useConditions)
            return unplacedOfSex(store, studentTable(), sex, std::nullopt);
        // Whether the stratum brings a grade of its own decides whether its
        // students hold it; stratumHasNoWhere records the case.
        const QString table = stratum.table.isEmpty() ? studentTable() : stratum.table;
        std::optional<ColumnValue> grade;
        if (stratum.grade)
            grade = ColumnValue{gradeColumn(), *stratum.grade};
        return unplacedOfSex(store, table, sex, grade,
                             flags.schoolCondition ? schoolColumn() : QString());
    }

    void dealWholeCycles(RowSet& rs, SnakeStart start)
    {
        const int n = rs.rowCount();
        if (n <= classes)
            return;
        DealSnake(rs, n - n % classes, classes, start);
    }

    // Deals the boys and then the girls of one stratum, writing 班级 into
    // the stratum's table. A sex with n ≤ N students in the stratum is not
    // dealt; otherwise n − (n mod N) of them are.
    void dealStratum(const Stratum& stratum)
    {
        if (classes < 1)
            return;
        RowSet boys = openSex(stratum, QStringLiteral("男"));
        dealWholeCycles(boys, SnakeStart::Ascending);
        RowSet girls = openSex(stratum, QStringLiteral("女"));
        dealWholeCycles(girls, SnakeStart::Descending);
    }

    // Deals the strata of one table: one per grade, or the whole table.
    void dealTable(const QString& table, const QStringList& grades)
    {
        if (grades.isEmpty()) {
            flags.stratumHasNoWhere = true;
            dealStratum({table, std::nullopt});
            return;
        }
        for (const QString& g : grades)
            dealStratum({table, g});
    }
};

// Takes the students about to be copied back out of studscore: the placed
// ones (saved in tt) and those of the work tables.
void removeCopiedStudents(Store& store, const QStringList& tables)
{
    removeStudentsHeldIn(store, tables + QStringList{mergeTable()});
}

// A tt left from an earlier run is dropped and stops the write-back; the
// outcome of the drop is shown as its error number and description, which
// for a successful drop is the number 0 alone.
bool clearEarlierMerge(Store& store, QVector<Notice>& notices)
{
    if (!store.tableExists(mergeTable()))
        return true;
    try {
        dropTable(store, mergeTable());
        notices.append({QStringLiteral("0"), appTitle()});
    } catch (const StoreError& e) {
        notices.append({e.text(), appTitle()});
    }
    return false;
}

qint64 studentCount(Store& store)
{
    return Students(store).count();
}

} // namespace

void MergeStrata(Store& store, const QStringList& tables, QVector<Notice>& notices)
{
    if (!clearEarlierMerge(store, notices))
        return;
    const qint64 before = studentCount(store);
    copyPlacedStudents(store, mergeTable());
    removeCopiedStudents(store, tables);
    notices.append({QStringLiteral("分班完成，下面进行调整。请稍候……"), appTitle()});
    for (const QString& t : tables)
        appendRows(store, studentTable(), t);
    appendRows(store, studentTable(), mergeTable());
    if (studentCount(store) != before)
        throw OperationError(QStringLiteral("写回分班结果时学生人数不符，分班已撤销。"));
}

StrataFlags BalancedDivide(Store& store, const DivisionRequest& request, QVector<Notice>& notices)
{
    StrataDealer dealer{store, request.classes, request.useConditions, {}};
    if (request.classes < 1)
        return dealer.flags;
    if (!request.useConditions) {
        dealer.dealStratum({});
        return dealer.flags;
    }
    const Conditions c = readConditions(store, request.conditions, dealer.flags);
    if (dealer.flags.noYesNoCondition) {
        dealer.dealTable(studentTable(), c.grades);
    } else {
        const QStringList tables = buildWorkTables(store, c.yesNo);
        for (const QString& t : tables)
            dealer.dealTable(t, c.grades);
        MergeStrata(store, tables, notices);
    }
    SnakeDivide(store, request.classes);
    return dealer.flags;
}

namespace {

// The division's parameters in words, for its version in the history.
QString customDivisionWords(const DivisionRequest& r)
{
    QString words = QStringLiteral("%1个班，优生%2人").arg(r.classes).arg(r.topStudents);
    if (r.useConditions && !r.conditions.isEmpty())
        words += QStringLiteral("，条件：") + r.conditions.join(QStringLiteral("、"));
    return words;
}

QString param(const QString& parameters, const char* key)
{
    return parameterValue(parameters, QLatin1String(key));
}

// The count the division decides on is read inside its transaction.
std::optional<Notice> checkTopStudents(Store& store, const DivisionRequest& request)
{
    const qint64 total = studentCount(store);
    if (request.topStudents == 0 || request.topStudents < total)
        return std::nullopt;
    return Notice{tooManyTopStudentsMessage(QString::number(request.topStudents), total),
                  noticeTitle()};
}

Scheme makeCustomScheme()
{
    Scheme s;
    s.name = QStringLiteral("custom");
    s.caption = QStringLiteral("自定义分班");
    s.wizardOption = QStringLiteral("optzdy");
    s.wizardCaption = QStringLiteral("自定义方案（按总分均衡各种条件）");
    s.options = {SchemeOption::Classes, SchemeOption::TopStudents, SchemeOption::Conditions};
    s.check = checkTopStudents;
    s.dropsWorkTables = true;
    s.deal = [](Dealing& d) {
        PlaceTopStudents(d.store, d.request.topStudents, d.request.classes);
        const StrataFlags flags = BalancedDivide(d.store, d.request, d.outcome.notices);
        if (d.request.useConditions && d.request.classes >= 1)
            d.outcome.noYesNoCondition = flags.noYesNoCondition;
        SnakeDivide(d.store, d.request.classes);
    };
    s.version = [](const DivisionRequest& r) {
        return qMakePair(QStringLiteral("自定义分班"), customDivisionWords(r));
    };
    s.record = [](Store&, const DivisionRequest& r) {
        return customDivisionRecord(r.topStudents, r.useConditions, r.conditions);
    };
    s.replay = [](const QString& p) {
        DivisionRequest r;
        r.scheme = QStringLiteral("custom");
        r.classes = qint16(param(p, "classes").toInt());
        r.topStudents = qint16(param(p, "top").toInt());
        r.useConditions = param(p, "use_conditions") == u"1";
        r.conditions = param(p, "conditions").split(u',', Qt::SkipEmptyParts);
        return QVector<DivisionRequest>{r};
    };
    s.finish = [](const DivisionRequest& r, DivisionOutcome& o) { o.topStudents = r.topStudents; };
    return s;
}

} // namespace

QString tooManyTopStudentsMessage(const QString& typed, qint64 total)
{
    return QStringLiteral("优生数必须少于总人数，您输入的优生数为：") + typed +
           QStringLiteral("，总人数：") + QString::number(total);
}

const Scheme& customScheme()
{
    static const Scheme scheme = makeCustomScheme();
    return scheme;
}

DivisionRequest customRequest(const Session& session)
{
    DivisionRequest r;
    r.scheme = customScheme().name;
    r.classes = session.ClassCount;
    r.topStudents = session.TopStudentCount;
    r.useConditions = session.UseConditions;
    r.conditions = session.ConditionList;
    return r;
}

DivisionOutcome CustomDivision(const Context& ctx, const DivisionRequest& request)
{
    return Divide(ctx, customScheme(), request);
}

} // namespace quorvel
