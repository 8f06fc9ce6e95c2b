// A row typed into the students' grid, saved by the engine onto the student
// whose 编号 the grid read: what it refuses, and what it writes.
#include "adjust/typedrow.h"
#include "store/fieldlists.h"
#include "store/studentlookup.h"
#include "store/versions.h"

#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// "column=text;column=text"
QVector<TypedCell> cells(const QString& text)
{
    QVector<TypedCell> out;
    for (const QString& cell : text.split(u';', Qt::SkipEmptyParts))
        out.append({cell.section(u'=', 0, 0), cell.section(u'=', 1)});
    return out;
}

// a (甲, class 1, 500) and b (乙, class 2, 480).
void twoStudents(Sandbox& sb)
{
    makeStore(sb, {});
    addStudents(sb, {{"a", "男", 500, {{classColumn(), 1}, {"姓名", "甲"}}},
                     {"b", "女", 480, {{classColumn(), 2}, {"姓名", "乙"}}}});
}

// Each student as "编号/姓名/班级/总分", in the order of the rows.
QStringList students(Sandbox& sb)
{
    Store store = OpenStore(sb.ctx);
    const TableRows rows = tableRows(store, studentTable());
    QStringList out;
    for (int r = 0; r < rows.rowCount(); ++r) {
        QStringList values;
        for (const QString& c : {keyColumn(), QStringLiteral("姓名"), classColumn(), totalColumn()})
            values.append(rows.row(r).at(rows.columnIndex(c)).toString());
        out.append(values.join(u'/'));
    }
    return out;
}

QStringList versions(Sandbox& sb)
{
    Store store = OpenStore(sb.ctx);
    QStringList out;
    for (const VersionInfo& v : Versions(store).list())
        out.append(v.description());
    return out;
}

} // namespace

class TestTypedRow : public QObject {
    Q_OBJECT
private slots:
    void refused_data()
    {
        QTest::addColumn<QString>("number"); // as the grid read it
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("gone");
        QTest::newRow("student no longer there") << "c"
                                                 << "姓名=丙" << rowGoneMessage("c") << true;
        QTest::newRow("the 编号 of another") << "a"
                                             << "编号=b" << rowRefusedMessage() << false;
        QTest::newRow("the 编号 of another, with a name")
            << "a"
            << "姓名=丁;编号=b" << rowRefusedMessage() << false;
        QTest::newRow("a 编号 too long") << "a"
                                         << "编号=0123456789abcdef" << rowRefusedMessage() << false;
    }
    void refused()
    {
        QFETCH(QString, number);
        QFETCH(QString, changes);
        QFETCH(QString, message);
        QFETCH(bool, gone);
        Sandbox sb;
        twoStudents(sb);
        const QStringList before = students(sb);
        const QStringList history = versions(sb);
        const TypedRowOutcome outcome = SaveTypedRow(sb.ctx, {number, cells(changes)});
        QVERIFY(!outcome.saved);
        QCOMPARE(outcome.row.has_value(), !gone);
        if (outcome.row) // the old values, for the grid to show again
            QCOMPARE(outcome.row->at(0).toString(), number);
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t" + message});
        QCOMPARE(students(sb), before);
        QCOMPARE(versions(sb), history);
    }

    // The texts converted as the columns take them, and one version.
    void saved_data()
    {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("stored"); // a, then b
        QTest::addColumn<QString>("version");
        QTest::newRow("name") << "姓名=丙"
                              << "a/丙/1/500 b/乙/2/480"
                              << "";
        QTest::newRow("a total as text") << "总分=85.50"
                                         << "a/甲/1/85.5 b/乙/2/480"
                                         << "";
        QTest::newRow("a total the column cannot take") << "总分=高"
                                                        << "a/甲/1/ b/乙/2/480"
                                                        << "";
        QTest::newRow("a free 编号") << "编号=z;姓名=丙"
                                     << "z/丙/1/500 b/乙/2/480"
                                     << "";
        QTest::newRow("a name typed twice") << "姓名=丙;姓名=丁"
                                            << "a/丁/1/500 b/乙/2/480"
                                            << "";
    }
    void saved()
    {
        QFETCH(QString, changes);
        QFETCH(QString, stored);
        QFETCH(QString, version);
        Sandbox sb;
        twoStudents(sb);
        const TypedRowOutcome outcome = SaveTypedRow(sb.ctx, {"a", cells(changes)});
        QVERIFY(outcome.saved);
        QVERIFY(sb.prompt.messages.isEmpty());
        QCOMPARE(students(sb).join(u' '), stored);
        QCOMPARE(outcome.row->at(0).toString(), stored.section(u'/', 0, 0));
        QCOMPARE(versions(sb), QStringList{}); // not a change of the classes
        Q_UNUSED(version);
    }

    // The student is found by 编号 however the rows moved since the grid
    // read them: taken out and put back in another order, as a division
    // does.
    void byNumberAfterTheRowsMoved()
    {
        Sandbox sb;
        twoStudents(sb);
        {
            Store store = OpenStore(sb.ctx);
            store.exec("CREATE TABLE t AS SELECT * FROM studscore");
            store.exec("DELETE FROM studscore");
            store.exec("INSERT INTO studscore SELECT * FROM t ORDER BY rowid DESC");
            store.exec("DROP TABLE t");
        }
        QVERIFY(SaveTypedRow(sb.ctx, {"a", cells("姓名=丙")}).saved);
        QCOMPARE(students(sb).join(u' '), "b/乙/2/480 a/丙/1/500");
    }
};

QTEST_GUILESS_MAIN(TestTypedRow)
#include "test_typedrow.moc"
