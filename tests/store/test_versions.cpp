// The history of the classes in the store: what a recording keeps, how many
// students it counts as moved, the 200 versions kept, and a recording that
// belongs to its operation's transaction.
#include "store/errors.h"
#include "store/store.h"
#include "store/students.h"
#include "store/versionblob.h"
#include "store/versions.h"

#include "support/freshstore.h"

#include <QTest>
#include <stdexcept>

using namespace quorvel;

class TestVersions : public QObject {
    Q_OBJECT

    // Students a … d in classes 1, 1, 2, 2 with totals 100, 90, 96, 80.
    test::FreshStore store{QStringLiteral("\"编号\" TEXT(15) PRIMARY KEY NOT NULL,"
                                          "\"姓名\" TEXT(30), \"班级\" INTEGER, \"总分\" SINGLE"),
                           QStringLiteral("('a','甲',1,100),('b','乙',1,90),"
                                          "('c','丙',2,96),('d','丁',2,80)")};
    Store freshStore() { return store.fresh(); }
    static qint64 record(Store& s, const QString& operation, Recording how = Recording::NewChange)
    {
        Transaction tr(s);
        const qint64 id = Versions(s).record(operation, {}, how);
        tr.commit();
        return id;
    }
    static void setClass(Store& s, const QString& key, int cls)
    {
        Transaction tr(s);
        Students(s).writeClass(key, cls);
        tr.commit();
    }

private slots:
    void recordsEveryClassWithItsNumber()
    {
        Store s = freshStore();
        const qint64 id = record(s, QStringLiteral("自定义分班"));
        const std::optional<ClassSnapshot> v = Versions(s).snapshot(id);
        QVERIFY(v);
        QCOMPARE(v->keys, QStringList({"a", "b", "c", "d"}));
        QCOMPARE(v->names, QStringList({"甲", "乙", "丙", "丁"}));
        QCOMPARE(v->classes, QVector<qint16>({1, 1, 2, 2}));
        const VersionInfo info = Versions(s).find(id).value();
        QCOMPARE(info.operation, QStringLiteral("自定义分班"));
        QCOMPARE(info.moved, 4);            // the first version: everyone placed
        QCOMPARE(info.spread.value(), 7.0); // 95 against 88
        QVERIFY(info.time.isValid());
    }

    void movedCountsAgainstTheVersionBefore_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("moved");
        QTest::newRow("nobody") << "" << 0;
        QTest::newRow("one") << "a=2" << 1;
        QTest::newRow("a swap") << "a=2 c=1" << 2;
        QTest::newRow("to class 0") << "d=0" << 1;
    }
    void movedCountsAgainstTheVersionBefore()
    {
        QFETCH(QString, change);
        QFETCH(int, moved);
        Store s = freshStore();
        record(s, QStringLiteral("分班"));
        for (const QString& item : change.split(u' ', Qt::SkipEmptyParts))
            setClass(s, item.section(u'=', 0, 0), item.section(u'=', 1).toInt());
        const qint64 id = record(s, QStringLiteral("个别学生调班"));
        QCOMPARE(Versions(s).find(id)->moved, moved);
    }

    void movedAcrossANewIntake()
    {
        Store s = freshStore();
        record(s, QStringLiteral("分班"));
        Transaction tr(s);
        s.exec(QStringLiteral("DELETE FROM studscore WHERE \"编号\"='a'"));
        s.exec(QStringLiteral("INSERT INTO studscore VALUES ('e','戊',0,70),('f','己',3,60)"));
        s.exec(QStringLiteral("UPDATE studscore SET \"班级\"=1 WHERE \"编号\"='c'"));
        const qint64 id = Versions(s).record(QStringLiteral("导入工作簿"));
        tr.commit();
        QCOMPARE(Versions(s).find(id)->moved, 2); // c moved, f placed; e unplaced
        QCOMPARE(Versions(s).snapshot(id)->keys, QStringList({"b", "c", "d", "e", "f"}));
    }

    void recordingOutsideATransactionIsRefused()
    {
        Store s = freshStore();
        QVERIFY_THROWS_EXCEPTION(std::logic_error, Versions(s).record(QStringLiteral("分班")));
        QVERIFY(Versions(s).list().isEmpty());
    }

    void aRolledBackOperationLeavesNoVersion()
    {
        Store s = freshStore();
        record(s, QStringLiteral("分班"));
        {
            Transaction tr(s);
            Students(s).writeClass(QStringLiteral("a"), 2);
            Versions(s).record(QStringLiteral("个别学生调班"));
        }
        QCOMPARE(Versions(s).list().size(), 1);
        QCOMPARE(Versions(s).position().current, Versions(s).list().first().id);
    }

    void keepsTheLastTwoHundred()
    {
        Store s = freshStore();
        s.exec(QStringLiteral("PRAGMA synchronous=OFF")); // many small commits
        for (int i = 1; i <= Versions::keptVersions() + 5; ++i)
            record(s, QStringLiteral("第%1次").arg(i));
        const QVector<VersionInfo> kept = Versions(s).list();
        QCOMPARE(kept.size(), 200);
        QCOMPARE(kept.first().operation, QStringLiteral("第6次"));
        QCOMPARE(kept.last().operation, QStringLiteral("第205次"));
        // The version the oldest was made on is gone: nothing before it.
        QCOMPARE(Versions(s).previousOf(kept.first().id), 0);
        QCOMPARE(Versions(s).previousOf(kept.last().id), kept.at(198).id);
        // One list of students serves them all.
        QCOMPARE(s.column(QStringLiteral("SELECT count(*) FROM history_students")).value(0), 1);
    }

    void aLaterPassUpdatesItsRunsVersion()
    {
        Store s = freshStore();
        const qint64 first = record(s, QStringLiteral("分班"));
        const qint64 run = record(s, QStringLiteral("自动调整"));
        setClass(s, QStringLiteral("a"), 2);
        QCOMPARE(record(s, QStringLiteral("自动调整"), Recording::SameRun), run);
        QCOMPARE(Versions(s).list().size(), 2);
        QCOMPARE(Versions(s).find(run)->moved, 1);
        QCOMPARE(Versions(s).snapshot(run)->classes, QVector<qint16>({2, 1, 2, 2}));
        QCOMPARE(Versions(s).previousOf(run), first);
        // Another operation in between starts a version of its own.
        record(s, QStringLiteral("手动调整"));
        QVERIFY(record(s, QStringLiteral("自动调整"), Recording::SameRun) > run);
    }

    void blobsRoundTrip()
    {
        ClassSnapshot s{{"x", "", "编号3"}, {"名", "", "  "}, {0, 32767, -1}, {}};
        ClassSnapshot back;
        decodeStudents(encodeStudents(s), back);
        QCOMPARE(back.keys, s.keys);
        QCOMPARE(back.names, s.names);
        QCOMPARE(decodeClasses(encodeClasses(s.classes)), s.classes);
        QVERIFY_THROWS_EXCEPTION(OperationError, decodeClasses(QByteArray("garbage")));
    }
};

QTEST_GUILESS_MAIN(TestVersions)
#include "test_versions.moc"
