// The in-memory exchanges against the exchanges the store's own queries
// make (the reference implementation): on many random intakes, every
// student must end in the same class, with the same number of exchanges.
#include "adjust/classboard.h"
#include "sqlexchange.h"
#include "stats/statsfixture.h"
#include "store/fieldlists.h"
#include "support/intake.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <algorithm>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Totals from a few values only, so that ties are frequent; now and then a
// total the students lack, a sex that is neither 男 nor 女, or none.
QVector<Student> randomIntake(QRandomGenerator& rng, int students, int classes)
{
    const double steps[] = {0.5, 1.0, 0.1, 12.5};
    const double step = steps[rng.bounded(4)];
    const int spread = 1 + int(rng.bounded(60));
    QVector<Student> out;
    for (int i = 0; i < students; ++i) {
        Student s;
        s.id = QStringLiteral("s%1").arg(i);
        const int sexRoll = int(rng.bounded(40));
        s.sex = sexRoll < 19   ? QStringLiteral("男")
                : sexRoll < 38 ? QStringLiteral("女")
                               : QStringLiteral("x");
        s.total = 200 + step * int(rng.bounded(spread));
        s.fields[classColumn()] = 1 + int(rng.bounded(classes));
        if (rng.bounded(50) == 0)
            s.fields[totalColumn()] = QVariant();
        if (sexRoll == 39)
            s.fields[sexColumn()] = QVariant();
        out.append(s);
    }
    return out;
}

QString bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::number(qHash(f.readAll())) : QString();
}

// A copy of the store of one sandbox in another.
void copyStore(Sandbox& from, Sandbox& to)
{
    const QString target = to.ctx.file(Store::fileName());
    QFile::remove(target);
    QVERIFY(QFile::copy(from.ctx.file(Store::fileName()), target));
}

// The classes ordered by their average, highest first, the way a pass
// pairs them.
QVector<qint16> byAverage(Sandbox& sb, int classes)
{
    Store store = openStore(sb);
    QVector<QPair<double, qint16>> avgs;
    for (int c = 1; c <= classes; ++c)
        avgs.append({store.column("SELECT avg(\"总分\") FROM studscore WHERE \"班级\"=?", {c})
                         .value(0)
                         .toDouble(),
                     qint16(c)});
    std::stable_sort(avgs.begin(), avgs.end(), [](auto a, auto b) { return a.first > b.first; });
    QVector<qint16> order;
    for (const auto& a : avgs)
        order.append(a.second);
    return order;
}

QString runText(const PairRun& run)
{
    return QStringLiteral("%1/%2").arg(run.exchanges).arg(int(run.end));
}

} // namespace

class TestClassBoard : public QObject {
    Q_OBJECT
private slots:
    // Each pass pairs the highest class with the lowest and so on; the
    // board goes through all pairs of a pass, the reference through the
    // same pairs query by query.
    void sameClassesAsTheStoreQueries_data()
    {
        QTest::addColumn<double>("threshold");
        QTest::newRow("automatic, 0.3") << 0.3;
        QTest::newRow("manual, 0.2") << 0.2;
        QTest::newRow("none") << 0.0;
    }
    void sameClassesAsTheStoreQueries()
    {
        QFETCH(double, threshold);
        QRandomGenerator rng(15);
        for (int intake = 0; intake < 10; ++intake) {
            const int classes = 1 + int(rng.bounded(9));
            const int students = int(rng.bounded(5, 140));
            Sandbox board, reference;
            makeStore(board, {QStringLiteral("语文")});
            addStudents(board, randomIntake(rng, students, classes));
            copyStore(board, reference);
            for (int pass = 0; pass < 3; ++pass) {
                const QVector<qint16> order = byAverage(board, classes);
                QStringList runs, refRuns;
                {
                    Store store = openStore(board);
                    Transaction tr(store);
                    ClassBoard b = ClassBoard::load(store);
                    Store ref = openStore(reference);
                    for (int i = 0; i <= order.size() / 2; ++i) {
                        const qint16 high = order.at(i), low = order.at(order.size() - 1 - i);
                        runs.append(runText(b.exchangePair(high, low, threshold)));
                        refRuns.append(runText(sqlExchangePair(ref, high, low, threshold)));
                    }
                    b.save(store);
                    tr.commit();
                }
                const QString where = QStringLiteral("intake %1, pass %2").arg(intake).arg(pass);
                QVERIFY2(runs == refRuns,
                         qPrintable(where + ": " + runs.join(' ') + " / " + refRuns.join(' ')));
                QVERIFY2(classesById(board) == classesById(reference), qPrintable(where));
            }
        }
    }

    // The averages the exchanges go by are the store's, to the last bit.
    void averagesAsTheStoreComputesThem()
    {
        QRandomGenerator rng(7);
        Sandbox sb;
        makeStore(sb, {QStringLiteral("语文")});
        QVector<Student> intake = randomIntake(rng, 400, 6);
        for (Student& s : intake)
            s.total = 150 + rng.bounded(200.0);
        addStudents(sb, intake);
        Store store = openStore(sb);
        const ClassBoard board = ClassBoard::load(store);
        for (qint16 c = 1; c <= 7; ++c) {
            const QVariant expected =
                store.column("SELECT avg(\"总分\") FROM studscore WHERE \"班级\"=?", {c}).value(0);
            const std::optional<double> got = board.average(c);
            QCOMPARE(got.has_value(), !expected.isNull());
            if (got)
                QCOMPARE(QByteArray::number(*got, 'g', 17),
                         QByteArray::number(expected.toDouble(), 'g', 17));
        }
    }

    // Only the students that moved are written; a board that exchanged
    // nothing leaves the file as it was.
    void savesOnlyWhatMoved()
    {
        Sandbox sb;
        makeStore(sb, {QStringLiteral("语文")});
        addStudents(sb, parseIntake(QStringLiteral("a/男/90 b/男/80")));
        const QString before = bytesOf(sb.ctx.file(Store::fileName()));
        Store store = openStore(sb);
        ClassBoard board = ClassBoard::load(store);
        QCOMPARE(board.exchangePair(0, 0, 0.3).exchanges, 0);
        QCOMPARE(board.save(store), 0);
        QCOMPARE(bytesOf(sb.ctx.file(Store::fileName())), before);
    }
};

QTEST_GUILESS_MAIN(TestClassBoard)
#include "test_classboard.moc"
