// The rows of studscore as the operations read them (which students, in
// which order, with which values) and the tables the store replaces.
#include "store/store.h"
#include "store/studentrows.h"
#include "store/tables.h"

#include "support/freshstore.h"

#include <QTest>

using namespace quorvel;

namespace {

QString keys(const RowSet& rs)
{
    QStringList out;
    for (int r = 0; r < rs.rowCount(); ++r)
        out.append(rs.row(r).at(0).toString());
    return out.join(u' ');
}

} // namespace

class TestStudentRows : public QObject {
    Q_OBJECT

    // a … f in this row order; b and f share 班级 2 and 总分 80.
    test::FreshStore store{QStringLiteral("\"编号\" TEXT(15) PRIMARY KEY NOT NULL, "
                                          "\"班级\" INTEGER, \"总分\" SINGLE"),
                           QStringLiteral("('a',3,70),('b',2,80),('c',NULL,90),"
                                          "('d',0,60),('e',2,NULL),('f',2,80),('g',-1,85)")};
    Store freshStore() { return store.fresh(); }

private slots:
    void inClasses_data()
    {
        QTest::addColumn<QVector<qint16>>("classes");
        QTest::addColumn<QString>("keys");
        // No class given: every student with a 班级, 0 and below included.
        QTest::newRow("any class") << QVector<qint16>{} << "a b d e f g";
        // The classes given, in the order of the rows, not of the classes.
        QTest::newRow("two classes") << QVector<qint16>{3, 2} << "a b e f";
        QTest::newRow("class 0") << QVector<qint16>{0} << "d";
        QTest::newRow("below 0") << QVector<qint16>{-1, 9} << "g";
        QTest::newRow("empty class") << QVector<qint16>{7} << "";
    }
    void inClasses()
    {
        QFETCH(QVector<qint16>, classes);
        Store s = freshStore();
        QStringList found;
        for (const QVariantList& row : studentRowsInClasses(s, {"编号", "班级"}, classes)) {
            QCOMPARE(row.size(), 3); // the rowid first
            found.append(row.at(1).toString());
        }
        QTEST(found.join(u' '), "keys");
    }

    void everyStudent()
    {
        Store s = freshStore();
        const QVector<QVariantList> rows = studentRows(s, {"总分", "编号"});
        QCOMPARE(rows.size(), 7);
        QCOMPARE(rows.at(2), (QVariantList{3, 90.0, "c"}));
        QCOMPARE(rows.at(4), (QVariantList{5, QVariant(), "e"}));
    }

    void placed()
    {
        Store s = freshStore();
        QStringList classes, values;
        for (const PlacedValue& v : placedValues(s, "总分")) {
            classes.append(QString::number(v.cls));
            values.append(QStringLiteral("%1:%2").arg(v.cls).arg(v.value ? *v.value : -1));
        }
        QCOMPARE(classes.join(u' '), "2 2 2 3");
        values.sort(); // the order within a class is the store's
        QCOMPARE(values, (QStringList{"2:-1", "2:80", "2:80", "3:70"}));
    }

    // The ordered sets: ties and students without a value in the order of
    // the rows.
    void ordered_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("keys");
        // No 班级 first, then 总分 highest first with no 总分 last.
        QTest::newRow("by class and total") << 0 << "c g d b f e a";
        QTest::newRow("placed by class") << 1 << "b e f a";
        QTest::newRow("highest total first") << 2 << "c g b f a d e";
    }
    void ordered()
    {
        QFETCH(int, set);
        Store s = freshStore();
        const RowSet rs = set == 0   ? studentsByClassThenTotal(s)
                          : set == 1 ? placedStudentsByClass(s)
                                     : rowsHighestFirst(s, "studscore", "总分");
        QCOMPARE(rs.table(), "studscore"); // updatable
        QTEST(keys(rs), "keys");
    }

    void replacedTable_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("new") << false;
        QTest::newRow("replaced") << true;
    }
    void replacedTable()
    {
        QFETCH(bool, existing);
        Store s = freshStore();
        if (existing) {
            s.exec("CREATE TABLE result (x)");
            s.exec("INSERT INTO result VALUES (1)");
        }
        replaceTable(s, "result",
                     {{"班级", {ColumnType::Integer}, true},
                      {"总分平均分", {ColumnType::Single}},
                      {"是x", {ColumnType::Text, 3}}});
        QCOMPARE(s.column("SELECT sql FROM sqlite_master WHERE name='result'").value(0).toString(),
                 "CREATE TABLE \"result\" (\"班级\" INTEGER CONSTRAINT \"班级\" PRIMARY KEY, "
                 "\"总分平均分\" SINGLE, \"是x\" TEXT(3))");
        QCOMPARE(s.column("SELECT count(*) FROM result").value(0).toInt(), 0);
        const QVector<ColumnInfo> columns = s.columns("result");
        QCOMPARE(columns.size(), 3);
        QCOMPARE(columns.at(2).type.maxLength, 3);
    }
};

QTEST_GUILESS_MAIN(TestStudentRows)
#include "test_studentrows.moc"
