// The rows of studscore as the operations read them (which students, in
// which order, with which values), the tables the store replaces and the
// work tables of a division.
#include "store/errors.h"
#include "store/store.h"
#include "store/studentrows.h"
#include "store/tables.h"
#include "store/worktables.h"

#include <QFile>
#include <QTemporaryDir>
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

// The 编号 of a table in the order of its rows.
QString keys(Store& s, const QString& table)
{
    QStringList out;
    for (const QVariant& k :
         s.column(QStringLiteral("SELECT \"编号\" FROM \"%1\" ORDER BY rowid").arg(table)))
        out.append(k.toString());
    return out.join(u' ');
}

} // namespace

class TestStudentRows : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // A new gsls.dll whose studscore has these columns and rows.
    Store storeWith(const QString& columns, const QString& rows)
    {
        const QString path = dir.filePath(QStringLiteral("gsls.dll"));
        QFile::remove(path);
        Store s = Store::create(path);
        s.exec(QStringLiteral("CREATE TABLE studscore (\"编号\" TEXT(15) PRIMARY KEY NOT NULL, ") +
               columns + u')');
        s.exec(QStringLiteral("INSERT INTO studscore VALUES ") + rows);
        return s;
    }

    // a … f in this row order; b and f share 班级 2 and 总分 80.
    Store freshStore()
    {
        return storeWith("\"班级\" INTEGER, \"总分\" SINGLE",
                         "('a',3,70),('b',2,80),('c',NULL,90),('d',0,60),('e',2,NULL),('f',2,80),"
                         "('g',-1,85)");
    }

    // 班级, 性别, 总分 and 品质等级 of a … h in this row order.
    Store sexStore()
    {
        return storeWith(
            "\"班级\" INTEGER, \"性别\" TEXT(2), \"总分\" SINGLE, \"品质等级\" TEXT(4)",
            "('a',0,'男',70,'优'),('b',0,'女',80,'良'),('c',NULL,'男',90,'优'),"
            "('d',2,'女',95,NULL),('e',0,NULL,85,''),('f',0,'男 ',80,'中'),"
            "('g',0,'男',NULL,'差'),('h',1,'女',80,'优')");
    }

    // The students a division deals in work tables, a … i in this row order.
    Store schoolStore()
    {
        return storeWith(
            "\"班级\" INTEGER, \"性别\" TEXT(2), \"总分\" SINGLE, \"是否住校\" TEXT(1), "
            "\"原学校\" TEXT(20)",
            "('a',0,'男',70,'是','一中'),('b',0,'女',80,'否','二中'),('c',1,'男',90,'是','一中'),"
            "('d',0,'男',85,'是','二中'),('e',NULL,'男',60,'是','一中'),('f',0,'男',85,'否','一中')"
            ","
            "('g',0,'女',75,NULL,'一中'),('h',-1,'女',95,'否','二中'),('i',2,'男',50,'否','二中')");
    }

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

    // The sets by 性别: a student without 性别 and one without 班级.
    void bySex_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("keys");
        // 班级 0 only; no 性别, then 女, 男 and "男 " by their code points.
        QTest::newRow("unplaced by sex and total") << 0 << "e b a g f";
        // 男 exactly, whatever class; no 总分 last.
        QTest::newRow("boys") << 1 << "c a g";
        // "男 " is not a boy; no 性别 is in neither set; ties by row.
        QTest::newRow("not boys") << 2 << "d b f h";
    }
    void bySex()
    {
        QFETCH(int, set);
        Store s = sexStore();
        const RowSet rs = set == 0   ? unplacedBySexThenTotal(s)
                          : set == 1 ? boysHighestFirst(s, "总分")
                                     : notBoysHighestFirst(s, "总分");
        QCOMPARE(rs.table(), "studscore");
        QTEST(keys(rs), "keys");
    }

    void classAndSex_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("cls");
        QTest::addColumn<QVariant>("sex");
        QTest::newRow("placed") << "d" << QVariant(2) << QVariant("女");
        QTest::newRow("no class") << "c" << QVariant() << QVariant("男");
        QTest::newRow("no sex") << "e" << QVariant(0) << QVariant();
    }
    void classAndSex()
    {
        QFETCH(QString, key);
        Store s = sexStore();
        const std::optional<ClassAndSex> found = classAndSexOf(s, key);
        QVERIFY(found);
        QTEST(found->cls, "cls");
        QTEST(found->sex, "sex");
        QVERIFY(!classAndSexOf(s, key + u'x'));
    }

    // No value and an empty one are left out; the order is that of the
    // code points (中 优 差 良), not of the reading (差 良 优 中).
    void distinctGrades()
    {
        Store s = sexStore();
        QCOMPARE(distinctTexts(s, "品质等级"), (QStringList{"中", "优", "差", "良"}));
        QCOMPARE(distinctTexts(s, "性别"), (QStringList{"女", "男", "男 "}));
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

    // Which students a work table takes: 班级 0 exactly (not none, not
    // below 0) and the value, or 班级 above 0; in the order of the rows.
    void copies_data()
    {
        QTest::addColumn<QString>("value"); // empty: the placed students
        QTest::addColumn<QString>("keys");
        QTest::newRow("unplaced boarders") << "是"
                                           << "a d";
        QTest::newRow("unplaced day students") << "否"
                                               << "b f";
        QTest::newRow("placed") << ""
                                << "c i";
    }
    void copies()
    {
        QFETCH(QString, value);
        Store s = schoolStore();
        if (value.isEmpty())
            copyPlacedStudents(s, "tt");
        else
            copyUnplacedHolding(s, "tt", "studscore", "是否住校", value);
        QTEST(keys(s, "tt"), "keys");
        // The columns of studscore with their types, in their order.
        const QVector<ColumnInfo> from = s.columns("studscore"), to = s.columns("tt");
        QCOMPARE(to.size(), from.size());
        for (int c = 0; c < to.size(); ++c) {
            QCOMPARE(to.at(c).name, from.at(c).name);
            QCOMPARE(to.at(c).type.declared(), from.at(c).type.declared());
        }
        // Without the key: a key twice is taken; a table there already is
        // not made again.
        appendRows(s, "tt", "tt");
        QCOMPARE(s.column("SELECT count(*) FROM tt").value(0).toInt(), 4);
        QVERIFY_THROWS_EXCEPTION(StoreError, copyPlacedStudents(s, "tt"));
    }

    // The write-back: the students of the work tables leave studscore and
    // come back after the others, in the order of the tables.
    void writtenBack()
    {
        Store s = schoolStore();
        copyUnplacedHolding(s, "tmp1", "studscore", "是否住校", "否");
        copyPlacedStudents(s, "tt");
        QVERIFY_THROWS_EXCEPTION(StoreError, appendRows(s, "studscore", "tt"));
        removeStudentsHeldIn(s, {"tmp1", "tt"});
        QCOMPARE(keys(s, "studscore"), "a d e g h");
        appendRows(s, "studscore", "tmp1");
        appendRows(s, "studscore", "tt");
        QCOMPARE(keys(s, "studscore"), "a d e g h b f c i");
    }

    void unplacedOfOneSex_data()
    {
        QTest::addColumn<bool>("workTable"); // the day students' table
        QTest::addColumn<QString>("sex");
        QTest::addColumn<QString>("boarding"); // empty: no condition
        QTest::addColumn<bool>("bySchool");
        QTest::addColumn<QString>("keys");
        // 总分 highest first, ties in the order of the rows.
        QTest::newRow("boys") << false << "男"
                              << "" << false << "d f a";
        QTest::newRow("girls") << false << "女"
                               << "" << false << "b g";
        QTest::newRow("boarding boys") << false << "男"
                                       << "是" << false << "d a";
        QTest::newRow("day girls") << false << "女"
                                   << "否" << false << "b";
        // 一中 before 二中 (their code points), then 总分.
        QTest::newRow("by school") << false << "男"
                                   << "" << true << "f a d";
        QTest::newRow("work table") << true << "男"
                                    << "" << false << "f";
        QTest::newRow("nobody") << true << "男"
                                << "是" << false << "";
    }
    void unplacedOfOneSex()
    {
        QFETCH(bool, workTable);
        QFETCH(QString, sex);
        QFETCH(QString, boarding);
        QFETCH(bool, bySchool);
        Store s = schoolStore();
        QString table = "studscore";
        if (workTable) {
            copyUnplacedHolding(s, "tmp1", table, "是否住校", "否");
            table = "tmp1";
        }
        std::optional<ColumnValue> condition;
        if (!boarding.isEmpty())
            condition = ColumnValue{"是否住校", boarding};
        const RowSet rs = unplacedOfSex(s, table, sex, condition, bySchool ? "原学校" : "");
        QCOMPARE(rs.table(), table); // updatable
        QTEST(keys(rs), "keys");
    }
};

QTEST_GUILESS_MAIN(TestStudentRows)
#include "test_studentrows.moc"
