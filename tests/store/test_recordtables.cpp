// The record tables: the draw and the audit record read back as stored,
// known to a division's clean-up, and the row order a division started
// from put back.
#include "store/auditrecord.h"
#include "store/recordtables.h"
#include "store/store.h"
#include "support/storeintake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestRecordTables : public QObject {
    Q_OBJECT
private slots:
    void drawReadBack()
    {
        Sandbox sb;
        buildStore(sb, {});
        Store store = OpenStore(sb.ctx);
        QVERIFY(!loadDraw(store));
        const DrawRecord draw{QDateTime(QDate(2026, 9, 1), QTime(8, 30)),
                              4294967295u,
                              {"王,一", "李二"},
                              {2, 5},
                              {"李二", "王,一"}};
        Transaction tr(store);
        saveDraw(store, {QDateTime::currentDateTime(), 1, {"x"}, {1}, {"x"}});
        saveDraw(store, draw); // replaces the first
        tr.commit();
        const std::optional<DrawRecord> back = loadDraw(store);
        QCOMPARE(back->when, draw.when);
        QCOMPARE(back->seed, draw.seed);
        QCOMPARE(back->teachers, draw.teachers);
        QCOMPARE(back->classes, draw.classes);
        QCOMPARE(back->teacherOf(5), "王,一");
        QCOMPARE(back->teacherOf(3), QString());
    }

    void latestAuditRecord()
    {
        Sandbox sb;
        buildStore(sb, {});
        Store store = OpenStore(sb.ctx);
        Transaction tr(store);
        for (const char* scheme : {"custom", "grade"})
            saveAudit(store, {QDateTime::currentDateTime(), "3.2", scheme, "classes=2\ntop=0", "i",
                              "r", "a\t1\n", "a\n"});
        tr.commit();
        const std::optional<AuditRecord> r = loadLatestAudit(store);
        QCOMPARE(r->scheme, "grade");
        QCOMPARE(parameterValue(r->parameters, "top"), "0");
        QCOMPARE(parameterValue(r->parameters, "seed"), QString());
        // A division's clean-up keeps these tables, in any letter case.
        QVERIFY(isRecordTable("SHENJI") && isRecordTable("banzhuren"));
        QVERIFY(!isRecordTable("result") && !isRecordTable("tt"));
    }

    void rowOrderPutBack()
    {
        Sandbox sb;
        buildStore(sb, {"语文"});
        addStudents(sb, parseIntake("c/男/1 a/女/2 d/男/3 b/女/4"));
        Store store = OpenStore(sb.ctx);
        const QString before = storedRowOrder(store);
        QCOMPARE(before, "c\na\nd\nb\n");
        Transaction tr(store);
        restoreRowOrder(store, "b\nd\nx\nc\n"); // x is no student; a is not named
        tr.commit();
        QCOMPARE(storedRowOrder(store), "b\nd\nc\na\n");
        QCOMPARE(store.column("SELECT 总分 FROM studscore WHERE 编号='d'").value(0).toDouble(),
                 3.0);
    }
};

QTEST_GUILESS_MAIN(TestRecordTables)
#include "test_recordtables.moc"
