// The students interface of the store: counts, classes read by 编号 and by
// row, and classes written only inside a transaction.
#include "store/errors.h"
#include "store/store.h"
#include "store/students.h"

#include "support/freshstore.h"

#include <QTest>
#include <stdexcept>

using namespace quorvel;

class TestStudents : public QObject {
    Q_OBJECT

    // Students a … e with the classes 2, 0, NULL, 1, -1 in rows 1 … 5.
    test::FreshStore store{
        QStringLiteral("\"编号\" TEXT(15) PRIMARY KEY NOT NULL,\"班级\" INTEGER"),
        QStringLiteral("('a',2),('b',0),('c',NULL),('d',1),('e',-1)")};
    Store freshStore() { return store.fresh(); }

private slots:
    void counts()
    {
        Store s = freshStore();
        Students students(s);
        QCOMPARE(students.count(), 5);
        QCOMPARE(students.placedCount(), 2);
        QCOMPARE(students.unplacedCount(), 2);
    }

    void classesByKeyAndRow()
    {
        Store s = freshStore();
        Students students(s);
        const QHash<QString, int> byKey{{"a", 2}, {"b", 0}, {"c", 0}, {"d", 1}, {"e", -1}};
        QCOMPARE(students.classesByKey(), byKey);
        const QVector<StudentClass> byRow{{1, 2}, {2, 0}, {3, 0}, {4, 1}, {5, -1}};
        QCOMPARE(students.classesByRow(), byRow);
    }

    // Every kind of write is refused outside a transaction and leaves the
    // classes as they were.
    void writesNeedATransaction_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("by row") << 0;
        QTest::newRow("by key") << 1;
        QTest::newRow("clear") << 2;
        QTest::newRow("remove all") << 3;
    }
    void writesNeedATransaction()
    {
        QFETCH(int, kind);
        Store s = freshStore();
        Students students(s);
        const auto before = students.classesByRow();
        const auto write = [&] {
            if (kind == 0)
                students.writeClasses({{1, 5}});
            else if (kind == 1)
                students.writeClass(QStringLiteral("a"), 5);
            else if (kind == 2)
                students.clearClasses();
            else
                students.removeAll();
        };
        QVERIFY_THROWS_EXCEPTION(std::logic_error, write());
        QCOMPARE(students.classesByRow(), before);
        {
            Transaction tr(s);
            write();
            tr.commit();
        }
        QVERIFY(students.classesByRow() != before);
    }

    void writeClassesInOneTransaction()
    {
        Store s = freshStore();
        Students students(s);
        {
            Transaction tr(s);
            students.writeClasses({{2, 3}, {3, 4}});
            QCOMPARE(students.writeClass(QStringLiteral("e"), 7), 1);
            QCOMPARE(students.writeClass(QStringLiteral("zz"), 7), 0);
            tr.commit();
        }
        const QHash<QString, int> after{{"a", 2}, {"b", 3}, {"c", 4}, {"d", 1}, {"e", 7}};
        QCOMPARE(students.classesByKey(), after);
        {
            Transaction tr(s);
            students.clearClasses();
            tr.commit();
        }
        QCOMPARE(students.placedCount(), 0);
        QCOMPARE(students.unplacedCount(), 5);
    }

    // A row that does not exist is an error; the transaction, left without
    // commit, takes back the rows written before it.
    void missingRowFailsTheWrite()
    {
        Store s = freshStore();
        Students students(s);
        const auto before = students.classesByRow();
        {
            Transaction tr(s);
            QVERIFY_THROWS_EXCEPTION(StoreError, students.writeClasses({{1, 9}, {99, 9}}));
        }
        QCOMPARE(students.classesByRow(), before);
    }
};

QTEST_GUILESS_MAIN(TestStudents)
#include "test_students.moc"
