// A division committed by a second connection at the very moment an
// operation has read what it decides on: transfer, roster and precise
// balancing must come wholly before or wholly after it, never between.
#include "adjust/precise.h"
#include "adjust/transfer.h"
#include "division/presets.h"
#include "division/snake.h"
#include "stats/roster.h"
#include "store/store.h"

#include "seconddivision.h"
#include "support/intake.h"
#include "support/xlsxdump.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// 60 students, dealt by the snake into 4 classes of 15; the division of
// the race deals them by 数学 into 6 classes of 10.
void fourClasses(Sandbox& sb)
{
    makeStore(sb, {QStringLiteral("数学")});
    QVector<Student> students;
    for (int i = 0; i < 60; ++i)
        students.append({QStringLiteral("s%1").arg(i, 2, 10, QChar(u'0')),
                         i % 2 ? "男" : "女",
                         double(300 - 3 * i),
                         {{QStringLiteral("数学"), double(i * 7 % 61)}}});
    addStudents(sb, students);
    sb.state.ClassCount = 4;
    Store store(sb.ctx.file(Store::fileName()));
    Transaction tr(store);
    SnakeDivide(store, sb.state.ClassCount);
    tr.commit();
}

const QString kBefore = QStringLiteral("1:15 2:15 3:15 4:15");
const QString kAfter = QStringLiteral("1:10 2:10 3:10 4:10 5:10 6:10");

QString integrity(Sandbox& sb)
{
    return Store(sb.ctx.file(Store::fileName()))
        .column(QStringLiteral("PRAGMA integrity_check"))
        .value(0)
        .toString();
}

// The 编号 of every sheet of the roster, sorted, and how many each sheet lists.
QPair<QStringList, QString> rosterContents(const QString& path)
{
    QStringList ids, sizes;
    const QVector<QStringList> sheets = readXlsx(path);
    for (int k = 0; k < sheets.size(); ++k) {
        for (int r = 3; r < sheets[k].size(); ++r)
            ids.append(sheets[k][r].section(u'|', 0, 0).mid(2));
        sizes.append(QStringLiteral("%1:%2").arg(k + 1).arg(sheets[k].size() - 3));
    }
    ids.sort();
    return {ids, sizes.join(u' ')};
}

} // namespace

class TestRaces : public QObject {
    Q_OBJECT

private slots:
    // The operation, committed first, is undone by the division after it.
    void writerAgainstDivision_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("transfer") << "transfer";
        QTest::newRow("precise, totals") << "totals";
        QTest::newRow("precise, subjects") << "subjects";
    }
    void writerAgainstDivision()
    {
        QFETCH(QString, operation);
        Sandbox sb;
        fourClasses(sb);
        const QStringList ids = storedIds(sb);
        Interleaving race(sb.ctx, secondDivision());
        BalanceSettings settings;
        settings.subjects = operation == u"subjects";
        if (operation == u"transfer")
            QVERIFY(
                TransferStudent(sb.ctx, QStringLiteral("s00"), QStringLiteral("2")).has_value());
        else
            QCOMPARE(int(PreciseAdjust(sb.ctx, settings).outcome), int(AdjustOutcome::Finished));
        race.join();
        QVERIFY(race.wrote());
        QCOMPARE(storedIds(sb), ids);
        QCOMPARE(classSizes(sb), kAfter);
        QCOMPARE(integrity(sb), QStringLiteral("ok"));
        QVERIFY(race.storeWasHeld());
    }

    void rosterAgainstDivision()
    {
        if (!haveOpenpyxl())
            QSKIP("python3-openpyxl is not installed");
        Sandbox sb;
        fourClasses(sb);
        const QStringList ids = storedIds(sb);
        Interleaving race(sb.ctx, secondDivision());
        const RosterResult r = RosterByClass(sb.ctx, sb.ctx.file(QStringLiteral("out.xlsx")));
        race.join();
        QCOMPARE(r.outcome, RosterOutcome::Written);
        QVERIFY(race.wrote());
        // Every student once, in the classes of before the division.
        const auto [listed, sizes] = rosterContents(r.path);
        QCOMPARE(listed, ids);
        QCOMPARE(sizes, kBefore);
        QCOMPARE(classSizes(sb), kAfter);
        QCOMPARE(integrity(sb), QStringLiteral("ok"));
    }
};

QTEST_GUILESS_MAIN(TestRaces)
#include "test_races.moc"
