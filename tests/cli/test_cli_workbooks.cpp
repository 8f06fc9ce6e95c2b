// quorvel-cli create --from FILE, export FILE, and the report of the
// template import.
#include "excel/biffwriter.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using quorvel::test::CliRun;
using quorvel::test::runCapturedCli;

namespace {

const QByteArray kCsv = "2026级新生成绩\n"
                        "准考证号,学生姓名,性别,毕业学校,是否住宿,语文成绩,物理,备注,总分\n"
                        "2026001,张三,男,一中,是,90,80,,170\n"
                        "2026002,李四,女,二中,否,70,缺考,转学,70\n";

} // namespace

class TestCliWorkbooks : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QStringList at(const QStringList& args) const
    {
        return QStringList{"--dir", dir.path()} + args;
    }
    QString writeCsv(const QByteArray& bytes) const
    {
        const QString path = dir.filePath("intake.csv");
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }

private slots:
    // The database takes the fields the headers name, and the rows.
    void createFrom()
    {
        const QString csv = writeCsv(kCsv);
        const CliRun r = runCapturedCli(at({"--yes", "create", "--from", csv}));
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains("表头行\t2\n编号\t准考证号\n姓名\t学生姓名\n性别\t性别\n"
                                "班级\t（未对应）\n原学校\t毕业学校\n是否住宿\t是否住宿\n"
                                "语文\t语文成绩\n物理\t物理\n总分\t总分\n"
                                "“物理”有1个单元格是缺考、--或/，按没有成绩导入\n"),
                 qPrintable(r.out));
        QVERIFY(r.out.endsWith("> 是\n已导入2人。\n"));
        const QStringList lines = runCapturedCli(at({"list"})).out.split(u'\n');
        QCOMPARE(lines.at(0), "学号\t姓名\t性别\t班级\t原学校\t是否住宿\t语文\t物理\t总分");
        QCOMPARE(lines.at(2), " 2026002\t李四\t女\t\t二中\t否\t70\t\t70");
    }

    // Without --yes the rebuild question is answered No: nothing changes.
    void createFromNeedsYes()
    {
        QCOMPARE(runCapturedCli(at({"--yes", "create", "数学"})).status, 0);
        const CliRun r = runCapturedCli(at({"create", "--from", writeCsv(kCsv)}));
        QCOMPARE(r.status, 1);
        QVERIFY(runCapturedCli(at({"list"})).out.startsWith("学号\t姓名\t性别\t班级\t数学\t总分"));
    }

    // A list that would store nobody is refused even with --yes: without
    // a column for 编号, or with every row left out, it would empty the
    // database.
    void listsOfNobodyChangeNothing_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QByteArray>("csv");
        const QByteArray noKey = "学生姓名,性别,语文成绩\n甲,男,80\n";
        const QByteArray noRow = "准考证号,学生姓名,性别\n,甲,男\n,乙,女\n";
        QTest::newRow("import, no 编号") << QStringList{"import"} << noKey;
        QTest::newRow("import, every row left out") << QStringList{"import"} << noRow;
        QTest::newRow("create --from, no 编号") << QStringList{"create", "--from"} << noKey;
    }
    void listsOfNobodyChangeNothing()
    {
        QFETCH(QStringList, command);
        QFETCH(QByteArray, csv);
        QCOMPARE(runCapturedCli(at({"--yes", "create", "--from", writeCsv(kCsv)})).status, 0);
        const QString path = writeCsv(csv);
        const QMap<QString, QByteArray> before = test::folderFiles(dir.path());
        const CliRun r = runCapturedCli(at(QStringList{"--yes"} + command + QStringList{path}));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains("数据库没有改动。\n"), qPrintable(r.out));
        QCOMPARE(test::folderFiles(dir.path()), before);
    }

    void createFromUnreadable()
    {
        const CliRun r = runCapturedCli(at({"--yes", "create", "--from", writeCsv("a,b\n1,2\n")}));
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.contains("没有找到表头行") || r.err.contains("没有找到表头行"));
    }

    void exportWrites_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("status");
        QTest::newRow("csv") << "结果.csv" << 0;
        QTest::newRow("xlsx") << "结果.xlsx" << 0;
        QTest::newRow("the template") << "myexcel.xls" << 1;
        QTest::newRow("the database") << "gsls.dll" << 1;
        QTest::newRow("text") << "结果.txt" << 1;
    }
    void exportWrites()
    {
        QFETCH(QString, name);
        QFETCH(int, status);
        QCOMPARE(runCapturedCli(at({"--yes", "create", "--from", writeCsv(kCsv)})).status, 0);
        QFile own(dir.filePath(name));
        const QByteArray before = own.open(QIODevice::ReadOnly) ? own.readAll() : QByteArray();
        own.close();
        const CliRun r = runCapturedCli(at({"export", name}));
        QCOMPARE(r.status, status);
        QFile after(dir.filePath(name));
        if (status == 0) {
            QCOMPARE(r.out, "已导出2人。\n");
            QVERIFY(after.exists());
        } else {
            QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), before);
        }
    }

    // The template import prints the report and asks before it loses data.
    void templateImportReports()
    {
        QCOMPARE(runCapturedCli(at({"--yes", "create", "语文"})).status, 0);
        const SheetRows rows{{"编号", "姓名", "性别", "班级", "语文", "总分"},
                             {"1", "甲", "男", QVariant(), 80},
                             {"2", "乙", "女", QVariant(), "八十"}};
        QString error;
        QVERIFY2(writeBiff5Workbook(dir.filePath("myexcel.xls"), "sheet1", rows, &error),
                 qPrintable(error));
        const CliRun no = runCapturedCli(at({"import"}));
        QCOMPARE(no.status, 1);
        QVERIFY2(no.out.endsWith("第3行“语文”：“八十”不是数字，没有导入\n"
                                 "导入行数\t2\n未导入行数\t0\n未导入值数\t1\n"
                                 "Quorvel\t表格中有1个值没有导入（详见上面的列表），"
                                 "是否导入其余2行？\n> 否\n"),
                 qPrintable(no.out));
        QCOMPARE(runCapturedCli(at({"list"})).out.split(u'\n').size(), 3); // no student
        const CliRun yes = runCapturedCli(at({"--yes", "import"}));
        QCOMPARE(yes.status, 0);
        QVERIFY(runCapturedCli(at({"list"})).out.contains("2\t乙\t女\t\t\t0\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliWorkbooks)
#include "test_cli_workbooks.moc"
