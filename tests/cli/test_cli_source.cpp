// quorvel-cli preview FILE and import FILE: a .csv the school received,
// with a title row, its own headers, an unknown column and problems.
#include "sources/fixtures.h"
#include "support/clirun.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using quorvel::test::CliRun;
using quorvel::test::runCapturedCli;

namespace {

const QByteArray kCsv = "2026级新生成绩\n"
                        "准考证号,学生姓名,性别,家长电话,数学成绩,语文分数,总成绩\n"
                        "2026001,张三,男,123,80,90,170\n"
                        "2026002,李四,女,456,八十,70,150\n"
                        "2026001,王五,男,789,60,60,120\n"
                        "2026003,赵六,M,000,50,50,100\n";

const QString kPreview =
    QStringLiteral("工作表\tintake\n表头行\t2\n"
                   "编号\t准考证号\n姓名\t学生姓名\n性别\t性别\n班级\t（未对应）\n"
                   "语文\t语文分数\n数学\t数学成绩\n总分\t总成绩\n"
                   "第4行“数学”：“八十”不是数字，没有导入\n"
                   "第4行“总分”：表中的总分“150”与各科之和70不符，按各科之和导入\n"
                   "第5行“编号”：编号2026001与第3行重复，这一行没有导入\n"
                   "第6行“性别”：性别“M”不是男或女\n"
                   "导入行数\t3\n未导入行数\t1\n未导入值数\t1\n");

} // namespace

class TestCliSource : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString csv;
    QStringList at(const QStringList& args) const
    {
        return QStringList{"--dir", dir.path()} + args;
    }
    QString listed() const { return runCapturedCli(at({"list"})).out; }

private slots:
    void init()
    {
        QCOMPARE(runCapturedCli(at({"--yes", "create", "语文", "数学"})).status, 0);
        csv = dir.filePath("intake.csv");
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kCsv);
    }

    void previewChangesNothing()
    {
        const QString before = listed();
        const CliRun r = runCapturedCli(at({"preview", csv}));
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, kPreview);
        QCOMPARE(listed(), before);
    }

    void answeredNoChangesNothing()
    {
        const QString before = listed();
        const CliRun r = runCapturedCli(at({"import", csv}));
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.startsWith(kPreview));
        QVERIFY(r.out.contains(QStringLiteral("是否导入其余3行？\n> 否\n")));
        QCOMPARE(listed(), before);
    }

    void answeredYesImportsTheRest()
    {
        const CliRun r = runCapturedCli(at({"--yes", "import", csv}));
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.endsWith(QStringLiteral("> 是\n已导入3人。\n")));
        const QStringList lines = listed().split(u'\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(2).split(u'\t').mid(1), QStringList({"李四", "女", "", "70", "", "70"}));
    }

    // 数学 takes 语文分数 by hand, which stays with 语文 as well.
    void mappedByHand()
    {
        const CliRun r = runCapturedCli(
            at({"preview", csv, "--header-row", "2", "--map", "总分=", "--map", "数学=语文分数"}));
        QCOMPARE(r.status, 0);
        QVERIFY2(
            r.out.contains(QStringLiteral("语文\t语文分数\n数学\t语文分数\n总分\t（未对应）\n")),
            qPrintable(r.out));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("no file") << QStringList{"preview"} << 2;
        QTest::newRow("unknown sheet") << QStringList{"preview", "@", "--sheet", "x"} << 1;
        QTest::newRow("empty header row") << QStringList{"preview", "@", "--header-row", "9"} << 1;
        QTest::newRow("bad map") << QStringList{"preview", "@", "--map", "电话=家长电话"} << 1;
        QTest::newRow("missing file") << QStringList{"import", "none.xlsx"} << 1;
    }

    // Workbooks the readers refuse: --yes import changes not a byte of the
    // database.
    void refusedWorkbookLeavesDatabase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray sheet = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>编号</t></is>"
                                 "</c><c r=\"B1\" t=\"inlineStr\"><is><t>数学</t></is></c></row>"
                                 "<row r=\"2\"><c r=\"A2\"><v>2026009</v></c><c r=\"B2\">"
                                 "<v>60</v></c></row>";
        QTest::newRow("xlsx: checksum")
            << "crc.xlsx" << test::changed(test::storedXlsx(sheet), "<v>60</v>", "<v>90</v>");
        QTest::newRow("csv: UTF-16 with a stray byte")
            << "odd.csv"
            << QByteArray(QStringEncoder(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom)
                              .encode(QStringLiteral("编号,数学\n2026009,60\n"))) +
                   "2";
    }
    void refusedWorkbookLeavesDatabase()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = dir.filePath(name);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        QFile db(dir.filePath("gsls.dll"));
        QVERIFY(db.open(QIODevice::ReadOnly));
        const QByteArray before = db.readAll();
        db.close();
        const CliRun r = runCapturedCli(at({"--yes", "import", path}));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains(QStringLiteral("无法读取")), qPrintable(r.out + r.err));
        QVERIFY(db.open(QIODevice::ReadOnly));
        QCOMPARE(db.readAll(), before);
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        args.replaceInStrings(QStringLiteral("@"), csv);
        const QString before = listed();
        QCOMPARE(runCapturedCli(at(args)).status, status);
        QCOMPARE(listed(), before);
    }
};

QTEST_GUILESS_MAIN(TestCliSource)
#include "test_cli_source.moc"
