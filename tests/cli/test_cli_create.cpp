// quorvel-cli create: run in-process, and once as the real program.
#include "cli/cli.h"
#include "store/rowset.h"
#include "store/store.h"
#include "support/clirun.h"

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;

namespace {

using Run = quorvel::test::CliRun;

Run cli(const QStringList& args)
{
    return quorvel::test::runCapturedCli(args);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray gbk(const QString& s)
{
    return QStringEncoder("GBK").encode(s);
}

QStringList storeColumns(const QString& dir)
{
    Store s(dir + QStringLiteral("/gsls.dll"));
    QStringList names;
    for (const ColumnInfo& c : s.columns(QStringLiteral("studscore")))
        names.append(c.name + u' ' + c.type.declared());
    return names;
}

} // namespace

class TestCliCreate : public QObject {
    Q_OBJECT
private slots:
    void createsStoreListsAndTemplate()
    {
        QTemporaryDir dir;
        const Run r =
            cli({"--dir", dir.path(), "--yes", "create", "英语", "原学校", "是否住宿", "语文"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out,
                 QStringLiteral(
                     "警告！\t确实要重建数据库吗？原有数据将全部被删除！且不可恢复！\n> 是\n"
                     "已写入模板myexcel.xls：填写并保存后运行 import；学校的表格用 import FILE "
                     "导入。\n"));
        QCOMPARE(storeColumns(dir.path()),
                 (QStringList{"编号 TEXT(15)", "姓名 TEXT(30)", "性别 TEXT(2)", "班级 INTEGER",
                              "原学校 TEXT(10)", "是否住宿 TEXT(2)", "语文 SINGLE", "英语 SINGLE",
                              "总分 SINGLE"}));
        QCOMPARE(fileBytes(dir.filePath("ziduan2.txt")), gbk("原学校\r\n是否住宿\r\n"));
        QCOMPARE(fileBytes(dir.filePath("ziduan3.txt")), gbk("语文\r\n英语\r\n总分\r\n"));
        QCOMPARE(fileBytes(dir.filePath("ziduan.txt")), QByteArray("2\r\n"));
        QCOMPARE(fileBytes(dir.filePath("excel.txt")), QByteArray(" 1 \r\n"));
        QVERIFY(QFile::exists(dir.filePath("myexcel.xls")));
    }

    void fieldSetCode_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("none") << QStringList{} << QByteArray("0\r\n");
        QTest::newRow("school and cadre")
            << QStringList{"原学校", "是否班干部"} << QByteArray("1\r\n");
        QTest::newRow("cadre alone") << QStringList{"是否班干部"} << QByteArray("0\r\n");
        QTest::newRow("grade") << QStringList{"品质等级"} << QByteArray("2\r\n");
        QTest::newRow("school and custom 2")
            << QStringList{"原学校", "是否住宿", "是否走读"} << QByteArray("3\r\n");
    }
    void fieldSetCode()
    {
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, code);
        QTemporaryDir dir;
        QCOMPARE(cli(QStringList{"--dir", dir.path(), "--yes", "create"} + fields).status, 0);
        QCOMPARE(fileBytes(dir.filePath("ziduan.txt")), code);
    }

    void noOptionalField()
    {
        QTemporaryDir dir;
        QCOMPARE(cli({"--dir", dir.path(), "--yes", "create"}).status, 0);
        QCOMPARE(storeColumns(dir.path()).size(), 5);
        QCOMPARE(fileBytes(dir.filePath("ziduan2.txt")), QByteArray());
        QCOMPARE(fileBytes(dir.filePath("ziduan3.txt")), gbk("总分\r\n"));
    }

    void refusals()
    {
        QTemporaryDir dir;
        // Without --yes the rebuild question is answered No.
        Run r = cli({"--dir", dir.path(), "create", "原学校"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.endsWith("\n> 否\n"));
        QVERIFY(!QFile::exists(dir.filePath("gsls.dll")));
        QVERIFY(!QFile::exists(dir.filePath("ziduan2.txt")));

        r = cli({"--dir", dir.path(), "--yes", "create", "否则"});
        QCOMPARE(r.status, 1);
        QCOMPARE(
            r.out,
            QStringLiteral(
                "Quorvel\t自定义名称必须为：是否XXXX 。 如：是否住校、是否公费等样式都可以。\n"));
        QVERIFY(!QFile::exists(dir.filePath("gsls.dll")));

        r = cli({"--dir", dir.path(), "--yes", "create", "是否a,b"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.contains("逗号"));

        r = cli({"--dir", dir.path(), "--yes", "create", "是否甲", "是否乙", "是否丙"});
        QCOMPARE(r.status, 2);
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(cli({"--dir", dir.path(), "nonsense"}).status, 2);
    }

    void failedRebuildKeepsOldStore()
    {
        QTemporaryDir dir;
        QCOMPARE(cli({"--dir", dir.path(), "--yes", "create", "原学校"}).status, 0);
        // Two custom fields of one name make the engine fail.
        const Run r = cli({"--dir", dir.path(), "--yes", "create", "是否甲", "是否甲"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.contains("创建数据库失败"));
        QCOMPARE(storeColumns(dir.path()).at(4), QStringLiteral("原学校 TEXT(10)"));
        QCOMPARE(fileBytes(dir.filePath("ziduan2.txt")), gbk("原学校\r\n"));
    }

    void rebuildEmptiesTheTable()
    {
        QTemporaryDir dir;
        QCOMPARE(cli({"--dir", dir.path(), "--yes", "create"}).status, 0);
        {
            Store s(dir.filePath("gsls.dll"));
            s.exec("INSERT INTO studscore (\"编号\") VALUES ('1')");
            s.exec("CREATE TABLE result (x)");
        }
        QCOMPARE(cli({"--dir", dir.path(), "--yes", "create"}).status, 0);
        Store s(dir.filePath("gsls.dll"));
        QCOMPARE(s.tables(), QStringList{"studscore"});
        QCOMPARE(s.column("SELECT count(*) FROM studscore").value(0).toInt(), 0);
    }

    void realProgram()
    {
        const QString program = qEnvironmentVariable("QUORVEL_CLI");
        if (program.isEmpty())
            QSKIP("QUORVEL_CLI is not set (run through ctest)");
        QTemporaryDir dir;
        QProcess p;
        p.start(program, {"--dir", dir.path(), "--yes", "create", "是否住宿"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).contains("> 是\n"));
        QVERIFY(QFile::exists(dir.filePath("gsls.dll")));
        // QUORVEL_HOME is used when --dir is absent.
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUORVEL_HOME", home.path());
        p.setProcessEnvironment(env);
        p.start(program, {"create"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(!QFile::exists(home.filePath("gsls.dll")));
    }
};

QTEST_GUILESS_MAIN(TestCliCreate)
#include "test_cli_create.moc"
