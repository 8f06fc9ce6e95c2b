// The class roster workbook: its sheets read back by openpyxl and after
// LibreOffice saved it again, the order of the students, and the cases
// where no workbook may be written.
#include "stats/roster.h"
#include "stats/statistics.h"
#include "store/errors.h"
#include "store/ownfiles.h"
#include "support/intake.h"
#include "support/xlsxdump.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>
#include <sys/file.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QStringList kColumns{"原学校", "是否住宿", "语文", "数学"};

// 40 students in class 1, 3 in class 2, 2 in class 3; totals descending
// with the index, 姓名 with characters outside GBK.
QVector<Student> threeClasses()
{
    QVector<Student> out;
    for (int i = 0; i < 45; ++i) {
        const int cls = i < 40 ? 1 : i < 43 ? 2 : 3;
        Student s{QString::number(1000 + i), i % 2 ? "女" : "男", 200.0 - i, {}};
        s.fields = {{"班级", cls},
                    {"原学校", "一中"},
                    {"是否住宿", "是"},
                    {"语文", 100.0 - i / 2.0},
                    {"数学", 100.0 - i / 2.0},
                    {"姓名", i == 0 ? QString::fromUtf8("𠮷田") : QStringLiteral("张%1😀").arg(i)}};
        out.prepend(s); // stored lowest total first
    }
    return out;
}

QStringList xlsxFiles(const Sandbox& sb)
{
    return QDir(sb.dir.path()).entryList({"*.xlsx", "*.part"}, QDir::Files | QDir::Hidden);
}

// Sheets 1班 to 3班 with rows 1 to 42, 5 and 4; the title merged, bold,
// centred, 25 points high; A4, fitted to the width, rows 1 and 2 on every page.
void checkThreeClasses(const QVector<QStringList>& sheets)
{
    QCOMPARE(sheets.size(), 3);
    const QStringList used{"A1:I42", "A1:I5", "A1:I4"};
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(sheets[k][0],
                 rosterSheetName(k) + "|A1:I1|" + used[k] + "|True|center|center|25|$1:$2|9|True");
        QCOMPARE(sheets[k][1], "t:新生花名表||||||||");
        QCOMPARE(sheets[k][2],
                 "t:编号|t:姓名|t:性别|t:班级|t:原学校|t:是否住宿|t:语文|t:数学|t:总分");
    }
    QCOMPARE(sheets[0][3], "t:1000|t:𠮷田|t:男|n:1|t:一中|t:是|n:100|n:100|n:200");
    QCOMPARE(sheets[0][42].section('|', 0, 1), "t:1039|t:张39😀");
    QCOMPARE(sheets[2][3].section('|', 8), "n:157");
}

} // namespace

class TestRoster : public QObject {
    Q_OBJECT

private slots:
    void threeClassesAsASpreadsheetSeesThem()
    {
        if (!haveOpenpyxl())
            QSKIP("python3-openpyxl is not installed");
        Sandbox sb;
        makeStore(sb, kColumns);
        addStudents(sb, threeClasses());
        const RosterResult r = RosterByClass(sb.ctx);
        QCOMPARE(r.outcome, RosterOutcome::Written);
        QCOMPARE(QFileInfo(r.path).dir().absolutePath(), QDir(sb.dir.path()).absolutePath());
        QVERIFY(QFileInfo(r.path).fileName().startsWith("花名表-"));
        QCOMPARE(sb.prompt.progressCalls.last(), qMakePair(0, 0));
        QVERIFY(sb.prompt.progressCalls.contains(qMakePair(3, 3)));
        checkThreeClasses(readXlsx(r.path));
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(xlsxFiles(sb), QStringList{QFileInfo(r.path).fileName()});

        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed");
        QTemporaryDir out;
        const QString resaved = resaveWithLibreOffice(soffice, r.path, out.path());
        QVERIFY(!resaved.isEmpty());
        checkThreeClasses(readXlsx(resaved));
    }

    // 总分 descending, ties in store order; numbers stay numbers, a missing
    // value is an empty cell.
    void orderAndValues()
    {
        if (!haveOpenpyxl())
            QSKIP("python3-openpyxl is not installed");
        Sandbox sb;
        makeStore(sb, {"语文"});
        addStudents(sb, parseIntake("a/男/90/1/- b/女/95.5/1/80 c/男/90/1/70 d/女/80/1/60",
                                    {"班级", "语文"}));
        const RosterResult r = ClassRoster(sb.ctx, {1}, sb.ctx.file("out.xlsx"));
        QCOMPARE(r.outcome, RosterOutcome::Written);
        QCOMPARE(readXlsx(r.path).value(0).mid(3),
                 (QStringList{"t:b|t:学生b|t:女|n:1|n:80|n:95.5", "t:a|t:学生a|t:男|n:1||n:90",
                              "t:c|t:学生c|t:男|n:1|n:70|n:90", "t:d|t:学生d|t:女|n:1|n:60|n:80"}));
    }

    // Classes 1, 2, 3 listed (ClassRoster), or 1 … ClassCount (RosterByClass).
    void noWorkbookWhenAClassIsEmpty_data()
    {
        QTest::addColumn<QString>("intake");
        QTest::addColumn<bool>("byClass");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("outcome");
        const int none = int(RosterOutcome::NoRecords);
        const QString empty = rosterNoRecordsMessage();
        QTest::newRow("last of 1-3 empty") << "a/男/90/1 b/女/80/2" << false << empty << none;
        QTest::newRow("middle of 1-3 empty") << "a/男/90/1 b/女/80/3" << false << empty << none;
        QTest::newRow("first of 1-3 empty") << "a/男/90/2 b/女/80/3" << false << empty << none;
        QTest::newRow("class 2 of 3 empty") << "a/男/90/1 b/女/80/3" << true << empty << none;
        QTest::newRow("no student") << "" << true << empty << none;
        // The highest class number there is: the count of classes ends there.
        QTest::newRow("class 32767 alone") << "a/男/90/32767" << true << empty << none;
        QTest::newRow("classes 1 and 32767") << "a/男/90/1 b/女/80/32767" << true << empty << none;
        QTest::newRow("a student unplaced")
            << "a/男/90/1 b/女/80/0" << true << unplacedMessage() << int(RosterOutcome::Unplaced);
    }
    void noWorkbookWhenAClassIsEmpty()
    {
        QFETCH(QString, intake);
        QFETCH(bool, byClass);
        QFETCH(QString, message);
        QFETCH(int, outcome);
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, parseIntake(intake, {"班级"}));
        const RosterResult r = byClass ? RosterByClass(sb.ctx) : ClassRoster(sb.ctx, {1, 2, 3});
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t" + message});
        QCOMPARE(xlsxFiles(sb), QStringList{});
    }

    // A second roster never replaces the first, which may be open.
    void newNamesNeverOverwrite()
    {
        Sandbox sb;
        const QDateTime when(QDate(2026, 9, 1), QTime(9, 30));
        QCOMPARE(QFileInfo(newRosterPath(sb.ctx, when)).fileName(),
                 QStringLiteral("花名表-20260901-0930.xlsx"));
        for (const char* name : {"花名表-20260901-0930.xlsx", "花名表-20260901-0930-2.xlsx"}) {
            QFile f(sb.ctx.file(QString::fromUtf8(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(QFileInfo(newRosterPath(sb.ctx, when)).fileName(),
                 QStringLiteral("花名表-20260901-0930-3.xlsx"));
    }

    void replacesTheFileNamed()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, parseIntake("a/男/90/1", {"班级"}));
        QFile old(sb.ctx.file("名单.xlsx"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        QCOMPARE(RosterByClass(sb.ctx, old.fileName()).outcome, RosterOutcome::Written);
        QCOMPARE(readXlsx(old.fileName()).value(0).value(3), "t:a|t:学生a|t:男|n:1|n:90");
    }

    void writeFailureLeavesNothing()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, parseIntake("a/男/90/1", {"班级"}));
        const QString path = sb.ctx.file("missing/roster.xlsx");
        const RosterResult r = RosterByClass(sb.ctx, path);
        QCOMPARE(r.outcome, RosterOutcome::WriteFailed);
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t" + rosterWriteFailedMessage(path)});
        QCOMPARE(xlsxFiles(sb), QStringList{});
    }

    // The engine's own files are refused before anything is written.
    void ownFilesRefused()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, parseIntake("a/男/90/1", {"班级"}));
        const QString path = sb.ctx.file("myexcel.xls");
        const QByteArray before = readAll(path);
        QVERIFY_THROWS_EXCEPTION(OperationError, ClassRoster(sb.ctx, {1}, path));
        QCOMPARE(readAll(path), before);
        QCOMPARE(xlsxFiles(sb), QStringList{});
    }

    // A part file nobody holds was left by a roster that was stopped; one a
    // roster still writes (and locks) stays.
    void abandonedPartsRemoved()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, parseIntake("a/男/90/1", {"班级"}));
        QFile left(sb.ctx.file(".花名表-aB3dE9.part")), busy(sb.ctx.file(".花名表-xY7kQ2.part"));
        QVERIFY(left.open(QIODevice::WriteOnly) && busy.open(QIODevice::WriteOnly));
        left.close();
        QCOMPARE(::flock(busy.handle(), LOCK_EX | LOCK_NB), 0);
        QCOMPARE(RosterByClass(sb.ctx, sb.ctx.file("r.xlsx")).outcome, RosterOutcome::Written);
        QCOMPARE(xlsxFiles(sb), (QStringList{".花名表-xY7kQ2.part", "r.xlsx"}));
    }

private:
    static QByteArray readAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

QTEST_GUILESS_MAIN(TestRoster)
#include "test_roster.moc"
