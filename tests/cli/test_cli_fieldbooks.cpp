// Workbooks as schools make them, through quorvel-cli: lists without 编号,
// of names only, of a total only, with class names for 班级, without 性别,
// with absent marks in the scores; the command's help and a file missing.
#include "excel/biffwriter.h"
#include "stats/roster.h"
#include "support/clirun.h"
#include "support/storeintake.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using quorvel::test::CliRun;
using quorvel::test::runCapturedCli;

namespace {

// Two students there before each import: a refused one keeps them.
const QByteArray kBefore = "考号,姓名,性别\n9001,旧甲,男\n9002,旧乙,女\n";

} // namespace

class TestCliFieldbooks : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QStringList at(const QStringList& args) const
    {
        return QStringList{"--dir", dir.path()} + args;
    }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }
    // The students as list prints them, the fields of a row trimmed and
    // joined by |.
    QStringList students() const
    {
        QStringList rows;
        const QStringList lines = runCapturedCli(at({"list"})).out.split(u'\n');
        for (const QString& line : lines.mid(1)) {
            if (line.isEmpty() || line.startsWith(QStringLiteral("共有")))
                continue;
            QStringList fields = line.split(u'\t');
            for (QString& f : fields)
                f = f.trimmed();
            rows.append(fields.join(u'|'));
        }
        return rows;
    }

private slots:
    // Each list imported into a store of the fields, over two students:
    // the status, lines the output holds and lines it must not, and then
    // the students (a refusal leaves every file of the folder as it was).
    void fieldbooks_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("command"); // @ is the list
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<QStringList>("unsaid");
        QTest::addColumn<QStringList>("stored");
        const QStringList refused{"表格中没有编号列", "“准考证号”", "--map 编号=表头", "--number",
                                  "数据库没有改动。"};
        const QStringList noQuestion{"编号是空的", "是否导入"};
        const QByteArray names = "姓名,性别\n张三,男\n李四,女\n王五,男\n";
        QTest::newRow("a class list without 编号")
            << QStringList{} << names << QStringList{"--yes", "import", "@"} << 1 << refused
            << noQuestion << QStringList{};
        QTest::newRow("create --from a list without 编号")
            << QStringList{} << names << QStringList{"--yes", "create", "--from", "@"} << 1
            << refused << noQuestion << QStringList{};
        QTest::newRow("names numbered")
            << QStringList{} << names << QStringList{"import", "@", "--number"} << 0
            << QStringList{"自动编号 1–3", "已导入3人。"} << noQuestion
            << QStringList{"1|张三|男||0", "2|李四|女||0", "3|王五|男||0"};
        QTest::newRow("names numbered into a new database")
            << QStringList{} << names << QStringList{"--yes", "create", "--from", "@", "--number"}
            << 0 << QStringList{"自动编号 1–3"} << QStringList{"编号是空的", "第二步数据输入"}
            << QStringList{"1|张三|男||0", "2|李四|女||0", "3|王五|男||0"};
        QTest::newRow("names feed 编号 and stay names")
            << QStringList{} << names << QStringList{"import", "@", "--map", "编号=姓名"} << 0
            << QStringList{"编号\t姓名", "姓名\t姓名"} << QStringList{"未对应："}
            << QStringList{"张三|张三|男||0", "李四|李四|女||0", "王五|王五|男||0"};
        QTest::newRow("a column left unmapped is said")
            << QStringList{} << QByteArray("考号,姓名,性别\n1,甲,男\n")
            << QStringList{"import", "@", "--map", "姓名="} << 0
            << QStringList{"姓名 未对应：所有学生的姓名将是空的"} << QStringList{}
            << QStringList{"1||男||0"};
        QTest::newRow("the header row found through --map")
            << QStringList{} << QByteArray("学籍编码,姓名,家庭住址\nG01,甲,东街\nG02,乙,西街\n")
            << QStringList{"import", "@", "--map", "编号=学籍编码"} << 0
            << QStringList{"表头行\t1", "表格中没有性别列：所有学生将按女生统计"}
            << QStringList{"没有找到表头行"} << QStringList{"G01|甲|||0", "G02|乙|||0"};
        QTest::newRow("a total only")
            << QStringList{} << QByteArray("考号,姓名,性别,月考成绩\n1,甲,男,615.5\n2,乙,女,580\n")
            << QStringList{"import", "@", "--map", "总分=月考成绩"} << 0 << QStringList{}
            << QStringList{"各科之和"} << QStringList{"1|甲|男||615.5", "2|乙|女||580"};
        const QByteArray elective = "考号,姓名,性别,语文,数学,总分\n1,甲,男,90,80,250\n"
                                    "2,乙,女,70,60,200\n3,丙,男,50,50,100\n";
        QTest::newRow("a total holding a subject the sheet lacks")
            << QStringList{"语文", "数学", "物理"} << elective << QStringList{"import", "@"} << 0
            << QStringList{"有2行表中的总分与各科之和不符（表格中没有物理）", "--keep-total"}
            << QStringList{"第2行"}
            << QStringList{"1|甲|男||90|80||170", "2|乙|女||70|60||130", "3|丙|男||50|50||100"};
        QTest::newRow("--keep-total")
            << QStringList{"语文", "数学", "物理"} << elective
            << QStringList{"import", "@", "--keep-total"} << 0 << QStringList{}
            << QStringList{"第2行"}
            << QStringList{"1|甲|男||90|80||250", "2|乙|女||70|60||200", "3|丙|男||50|50||100"};
        QTest::newRow("class names")
            << QStringList{}
            << QByteArray("考号,姓名,性别,班级\n1,甲,男,1班\n2,乙,女,一班\n3,丙,男,01班\n"
                          "4,丁,女,(1)班\n5,戊,男,（1）班\n6,己,女,十二班\n7,庚,男,A班\n")
            << QStringList{"--yes", "import", "@"} << 0
            << QStringList{"第8行“班级”：班级“A班”不是0到32767的整数，没有导入", "未导入值数\t1"}
            << QStringList{"第2行", "第3行", "第4行", "第5行", "第6行", "第7行"}
            << QStringList{"1|甲|男|1|0", "2|乙|女|1|0",  "3|丙|男|1|0", "4|丁|女|1|0",
                           "5|戊|男|1|0", "6|己|女|12|0", "7|庚|男||0"};
        QTest::newRow("absent marks")
            << QStringList{"语文", "数学"}
            << QByteArray("考号,姓名,性别,语文,数学\n1,甲,男,缺考,80\n2,乙,女,--,/\n"
                          "3,丙,男,90,－－\n")
            << QStringList{"import", "@"} << 0
            << QStringList{"“语文”有2个单元格是缺考、--或/，按没有成绩导入",
                           "“数学”有2个单元格是缺考、--或/，按没有成绩导入", "未导入值数\t0"}
            << QStringList{"不是数字", "是否导入"}
            << QStringList{"1|甲|男|||80|80", "2|乙|女||||0", "3|丙|男||90||90"};
    }
    void fieldbooks()
    {
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, command);
        QFETCH(int, status);
        QFETCH(QStringList, said);
        QFETCH(QStringList, unsaid);
        QFETCH(QStringList, stored);
        QCOMPARE(runCapturedCli(at(QStringList{"--yes", "create"} + fields)).status, 0);
        QCOMPARE(runCapturedCli(at({"import", write("before.csv", kBefore)})).status, 0);
        const QStringList before = students();
        const QString path = write("list.csv", csv);
        const QMap<QString, QByteArray> files = test::folderFiles(dir.path());
        command.replaceInStrings(QStringLiteral("@"), path);
        const CliRun r = runCapturedCli(at(command));
        const QString out = r.out + r.err;
        QCOMPARE(r.status, status);
        for (const QString& line : said)
            QVERIFY2(out.contains(line), qPrintable(line + u'\n' + out));
        for (const QString& line : unsaid)
            QVERIFY2(!out.contains(line), qPrintable(line + u'\n' + out));
        if (status != 0) {
            QCOMPARE(test::folderFiles(dir.path()), files);
            QCOMPARE(students(), before);
        } else {
            QCOMPARE(students(), stored);
        }
    }

    // The template import refuses rows that would store nobody before its
    // question, whatever --yes says.
    void templateOfNobodyIsRefused()
    {
        QCOMPARE(runCapturedCli(at({"--yes", "create", "语文"})).status, 0);
        QCOMPARE(runCapturedCli(at({"import", write("before.csv", kBefore)})).status, 0);
        const SheetRows rows{{"编号", "姓名", "性别", "班级", "语文", "总分"},
                             {"20260000000000001", "甲", "男", QVariant(), 80},
                             {"20260000000000002", "乙", "女", QVariant(), 70}};
        QString error;
        QVERIFY2(writeBiff5Workbook(dir.filePath("myexcel.xls"), "sheet1", rows, &error),
                 qPrintable(error));
        const QMap<QString, QByteArray> files = test::folderFiles(dir.path());
        const CliRun r = runCapturedCli(at({"--yes", "import"}));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains("没有一行可以导入") && !r.out.contains("是否导入其余"),
                 qPrintable(r.out));
        QCOMPARE(test::folderFiles(dir.path()), files);
    }

    // While a student has no 性别 the statistics say so above the table.
    void statisticsSayNoSex()
    {
        QCOMPARE(runCapturedCli(at({"--yes", "create", "语文"})).status, 0);
        const QString path =
            write("list.csv", "考号,姓名,语文\n1,甲,80\n2,乙,70\n3,丙,60\n4,丁,50\n");
        QCOMPARE(runCapturedCli(at({"import", path})).status, 0);
        QCOMPARE(runCapturedCli(at({"--yes", "divide", "custom", "--classes", "2", "--no-adjust"}))
                     .status,
                 0);
        const CliRun r = runCapturedCli(at({"stats"}));
        QCOMPARE(r.out.section(u'\n', 0, 0), "有4名学生没有性别，按女生统计");
    }

    // When the first sheet holds no header row, the message names the
    // sheets and --sheet, which reads the other.
    void sheetsNamedWithoutHeader()
    {
        QCOMPARE(runCapturedCli(at({"--yes", "create"})).status, 0);
        ColumnType text;
        text.kind = ColumnType::Text;
        RosterSheet note{"说明", {{"填表说明", text}}, {{"学生名单在下一张工作表"}}, false};
        RosterSheet list{"名单", {{"考号", text}, {"姓名", text}}, {{"1", "甲"}}, false};
        test::Sandbox scratch;
        const QString path = dir.filePath("名单.xlsx");
        QVERIFY(WriteRosterWorkbook(path, {note, list}, scratch.ctx));
        const CliRun r = runCapturedCli(at({"import", path}));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains("工作表“说明”") && r.out.contains("说明、名单") &&
                     r.out.contains("--sheet"),
                 qPrintable(r.out));
        QCOMPARE(runCapturedCli(at({"import", path, "--sheet", "名单"})).status, 0);
    }

    // Every command answers --help with its own usage.
    void helpOfACommand_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("usage");
        QTest::newRow("import") << QStringList{"import", "--help"} << "import [FILE";
        QTest::newRow("import FILE") << QStringList{"import", "a.xlsx", "--help"} << "--keep-total";
        QTest::newRow("create") << QStringList{"create", "--help"} << "create --from FILE";
        QTest::newRow("divide") << QStringList{"divide", "--help"} << "divide boarders";
    }
    void helpOfACommand()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, usage);
        const CliRun r = runCapturedCli(at(args));
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.startsWith("用法: quorvel-cli [--dir DIR] [--yes] " + args.first()),
                 qPrintable(r.out));
        QVERIFY(r.out.contains(usage));
        QVERIFY(!r.out.contains("transfer NUMBER")); // no other command's usage
        QCOMPARE(r.err, QString());
    }

    // A relative file not found names the folder it was looked for in.
    void relativeFileMissing()
    {
        QCOMPARE(runCapturedCli(at({"--yes", "create"})).status, 0);
        const CliRun r = runCapturedCli(at({"import", "没有的名单.xlsx"}));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains("没有的名单.xlsx") &&
                     r.out.contains(QDir::toNativeSeparators(QDir(dir.path()).canonicalPath())),
                 qPrintable(r.out));
    }
};

QTEST_GUILESS_MAIN(TestCliFieldbooks)
#include "test_cli_fieldbooks.moc"
