// Undo and redo, restore and compare over the versions of the classes, and
// the changes since a moment that an audit lists.
#include "history/history.h"
#include "support/intake.h"

#include "adjust/transfer.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "store/students.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestHistory : public QObject {
    Q_OBJECT

    // a … d in classes 1, 2, 1, 2 recorded as the import, then c and d
    // swapped by a transfer.
    static void twoVersions(Sandbox& sb)
    {
        makeStore(sb, {});
        addStudents(sb, parseIntake("a/男/90 b/女/88 c/男/80 d/女/70"));
        change(sb, "a=1 b=2 c=1 d=2", QStringLiteral("导入工作簿"));
        change(sb, "c=2 d=1", QStringLiteral("个别学生调班"));
    }
    // Writes the classes "key=class …" and records them, in one transaction.
    static void change(Sandbox& sb, const QString& classes, const QString& operation)
    {
        Store store(sb.ctx.file(Store::fileName()));
        Transaction tr(store);
        for (const QString& item : classes.split(u' ', Qt::SkipEmptyParts))
            Students(store).writeClass(item.section(u'=', 0, 0), item.section(u'=', 1).toInt());
        Versions(store).record(operation);
        tr.commit();
    }
    static void removeStudent(Sandbox& sb, const QString& key)
    {
        Store store(sb.ctx.file(Store::fileName()));
        store.exec(QStringLiteral("DELETE FROM studscore WHERE \"编号\"=?"), {key});
    }
    static QString classes(Sandbox& sb) { return classesOf(sb, storedIds(sb)); }
    static QStringList operations(Sandbox& sb)
    {
        QStringList out;
        for (const VersionInfo& v : VersionList(sb.ctx))
            out.append(v.operation);
        return out;
    }

private slots:
    void undoAndRedoWalkTheChanges()
    {
        Sandbox sb;
        twoVersions(sb);
        change(sb, "a=2 b=1", QStringLiteral("手动调整"));
        QCOMPARE(classes(sb), "2 1 2 1");
        QCOMPARE(UndoChange(sb.ctx)->operation, QStringLiteral("手动调整"));
        QCOMPARE(classes(sb), "1 2 2 1");
        QCOMPARE(UndoChange(sb.ctx)->operation, QStringLiteral("个别学生调班"));
        QCOMPARE(classes(sb), "1 2 1 2");
        QVERIFY(!UndoChange(sb.ctx)); // the import has nothing before it
        QCOMPARE(sb.prompt.last(), QStringLiteral("没有可以撤销的操作。"));
        QCOMPARE(RedoChange(sb.ctx)->operation, QStringLiteral("个别学生调班"));
        QCOMPARE(classes(sb), "1 2 2 1");
        QCOMPARE(RedoChange(sb.ctx)->operation, QStringLiteral("手动调整"));
        QCOMPARE(classes(sb), "2 1 2 1");
        QVERIFY(!RedoChange(sb.ctx));
        QCOMPARE(sb.prompt.last(), QStringLiteral("没有可以重做的操作。"));
        QCOMPARE(operations(sb).mid(3), QStringList({"撤销 手动调整", "撤销 个别学生调班",
                                                     "重做 个别学生调班", "重做 手动调整"}));
    }

    void aNewChangeClearsRedo()
    {
        Sandbox sb;
        twoVersions(sb);
        UndoChange(sb.ctx);
        QCOMPARE(undoState(sb.ctx).redo.value_or(QString()), QStringLiteral("个别学生调班"));
        change(sb, "a=2 b=1", QStringLiteral("手动调整"));
        QVERIFY(!undoState(sb.ctx).redo);
        QVERIFY(!RedoChange(sb.ctx));
        // Undo now returns to the version the change was made on.
        QCOMPARE(undoState(sb.ctx).undo.value_or(QString()), QStringLiteral("手动调整"));
        UndoChange(sb.ctx);
        QCOMPARE(classes(sb), "1 2 1 2");
    }

    void theStateNamesWhatUndoAndRedoWouldDo()
    {
        Sandbox sb;
        makeStore(sb, {});
        QVERIFY(!undoState(sb.ctx).undo && !undoState(sb.ctx).redo);
        addStudents(sb, quarterApartIntake());
        recordVersion(sb, QStringLiteral("导入模板数据"));
        QVERIFY(!undoState(sb.ctx).undo);
        QVERIFY(TransferStudent(sb.ctx, "h0", "2").has_value());
        QCOMPARE(undoState(sb.ctx).undo.value_or(QString()), QStringLiteral("个别学生调班"));
        UndoChange(sb.ctx);
        QCOMPARE(classesOf(sb, {"h0", "l0"}), "1 2");
        QVERIFY(!undoState(sb.ctx).undo);
        QCOMPARE(undoState(sb.ctx).redo.value_or(QString()), QStringLiteral("个别学生调班"));
    }

    void restoreAcrossAnImport()
    {
        Sandbox sb;
        twoVersions(sb);
        // The next intake: a left, e and f came; b moved meanwhile.
        removeStudent(sb, "a");
        addStudents(sb, parseIntake("e/男/60 f/女/50"));
        change(sb, "b=3 e=1 f=2", QStringLiteral("导入工作簿"));
        sb.prompt.answers = {true};
        const RestoreReport report = RestoreVersion(sb.ctx, 1);
        QVERIFY(report.restored);
        QCOMPARE(report.missing, QStringList{"a"});
        QCOMPARE(report.added, QStringList({"e", "f"}));
        QCOMPARE(classesOf(sb, {"b", "c", "d", "e", "f"}), "2 1 2 0 0");
        QVERIFY(sb.prompt.messages.at(0).startsWith("提示\t恢复第1个版本（"));
        QCOMPARE(sb.prompt.messages.last(),
                 QStringLiteral("提示\t已恢复到第1个版本的分班。\n"
                                "该版本中有1名学生已不在学生表中：a。\n"
                                "之后新增的2名学生没有分班（班级为0）：e、f。"));
        QCOMPARE(operations(sb).last(), QStringLiteral("恢复版本"));
        UndoChange(sb.ctx);
        QCOMPARE(classesOf(sb, {"b", "c", "d", "e", "f"}), "3 2 1 1 2");
    }

    // A student added without a class since the version gets class 0, not
    // an empty one.
    void restoreGivesAddedStudentsClassZero()
    {
        Sandbox sb;
        twoVersions(sb);
        addStudents(sb, {Student{"g", "女", 40, {{"班级", QVariant()}}}});
        sb.prompt.answers = {true};
        QVERIFY(RestoreVersion(sb.ctx, 1).restored);
        QCOMPARE(classesById(sb).value("g"), 0);
    }

    // The program's own changes, undo included, always leave the classes
    // of the newest version; another program's do not.
    void changesOutsideTheProgram()
    {
        Sandbox sb;
        twoVersions(sb);
        UndoChange(sb.ctx);
        QVERIFY(ChangesOutsideProgram(sb.ctx).isEmpty());
        Store(sb.ctx.file(Store::fileName())).exec("UPDATE studscore SET 班级=5 WHERE 编号='b'");
        const QVector<ClassDifference> outside = ChangesOutsideProgram(sb.ctx);
        QCOMPARE(outside.size(), 1);
        QCOMPARE(classChangeText(outside.first()), "b（2班→5班）");
    }

    void restoreAskedNoChangesNothing()
    {
        Sandbox sb;
        twoVersions(sb);
        sb.prompt.answers = {false};
        QVERIFY(!RestoreVersion(sb.ctx, 1).restored);
        QCOMPARE(classes(sb), "1 2 2 1");
        QCOMPARE(VersionList(sb.ctx).size(), 2);
    }

    void compareAcrossAnImport()
    {
        Sandbox sb;
        twoVersions(sb);
        removeStudent(sb, "b");
        addStudents(sb, parseIntake("e/男/60"));
        change(sb, "", QStringLiteral("导入工作簿"));
        const auto rows = CompareVersions(sb.ctx, 1, 3).value();
        QStringList lines;
        for (const ClassDifference& d : rows)
            lines.append(QStringLiteral("%1 %2 %3 %4")
                             .arg(d.key, d.name, d.first ? QString::number(*d.first) : "-",
                                  d.second ? QString::number(*d.second) : "-"));
        QCOMPARE(lines, QStringList({"c 学生c 1 2", "d 学生d 2 1", "e 学生e - 0", "b 学生b 2 -"}));
        // Against the classes as they are now.
        change(sb, "e=3", QStringLiteral("个别学生调班"));
        QCOMPARE(CompareVersions(sb.ctx, 3)->size(), 1);
        QCOMPARE(CompareVersions(sb.ctx, 4)->size(), 0);
    }

    void unknownVersions_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::newRow("first") << 9 << 1;
        QTest::newRow("second") << 1 << 9;
    }
    void unknownVersions()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        Sandbox sb;
        twoVersions(sb);
        QVERIFY(!CompareVersions(sb.ctx, first, second));
        QCOMPARE(sb.prompt.last(), QStringLiteral("没有编号为9的历史版本。"));
        QVERIFY(!RestoreVersion(sb.ctx, 9, true).restored);
        QCOMPARE(sb.prompt.last(), QStringLiteral("没有编号为9的历史版本。"));
    }

    void changesAfterAVersion()
    {
        Sandbox sb;
        twoVersions(sb);
        change(sb, "a=2 b=1", QStringLiteral("手动调整"));
        const QVector<VersionChange> changes = ChangesAfter(sb.ctx, 1);
        QCOMPARE(changes.size(), 2);
        QCOMPARE(changes.at(0).version.operation, QStringLiteral("个别学生调班"));
        QCOMPARE(changes.at(0).moved.size(), 2);
        QCOMPARE(changes.at(1).moved.size(), 2);
        QCOMPARE(changes.at(1).moved.at(0).key, QStringLiteral("a"));
        QCOMPARE(changes.at(1).moved.at(0).first, 1);
        QCOMPARE(changes.at(1).moved.at(0).second, 2);
        QVERIFY(ChangesAfter(sb.ctx, 3).isEmpty());
        // By time: everything since the first version, nothing from the future.
        QCOMPARE(ChangesSince(sb.ctx, VersionList(sb.ctx).first().time).size(), 3);
        QCOMPARE(ChangesSince(sb.ctx, VersionList(sb.ctx).first().time).at(0).moved.size(), 4);
        QVERIFY(ChangesSince(sb.ctx, QDateTime::currentDateTime().addSecs(60)).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
