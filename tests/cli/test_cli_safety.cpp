// The command line against what a careless or hostile user does: output
// paths naming the program's own files, databases of another shape, output
// that cannot be written.
#include "cli/cli.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Every file of the folder with a digest of its bytes.
QStringList folderState(const Sandbox& sb)
{
    QStringList out;
    const QDir dir(sb.ctx.folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        out.append(name + u' ' +
                   QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex());
    }
    return out;
}

void makeDivided(Sandbox& sb)
{
    makeStore(sb, {"语文"});
    addStudents(sb, parseIntake("a/男/90/1/90 b/女/80/1/80 c/男/85/2/85 d/女/82/2/82",
                                {classColumn(), "语文"}));
}

} // namespace

class TestCliSafety : public QObject {
    Q_OBJECT

private slots:
    void rosterNeverOverwritesOwnFiles_data()
    {
        QTest::addColumn<QString>("out");
        QTest::newRow("database") << "gsls.dll";
        QTest::newRow("database, dotted") << "./sub/../gsls.dll";
        QTest::newRow("field list") << "ziduan3.txt";
        QTest::newRow("template") << "myexcel.xls";
        QTest::newRow("marker") << "excel.txt";
        QTest::newRow("statistics") << "tongji.xls";
        QTest::newRow("absolute") << "@/gsls.dll";
    }
    void rosterNeverOverwritesOwnFiles()
    {
        QFETCH(QString, out);
        Sandbox sb;
        makeDivided(sb);
        QVERIFY(QDir(sb.ctx.folder).mkdir("sub"));
        out.replace('@', sb.ctx.folder);
        const QStringList before = folderState(sb);
        const CliRun r = runCliIn(sb, {"roster", "--out", out});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.startsWith("Quorvel\t不能写入") && r.out.contains("本程序自己的文件"),
                 qPrintable(r.out));
        QCOMPARE(folderState(sb), before);
        QCOMPARE(classSizes(sb), "1:2 2:2");
    }

    // No output replaces what is not a regular file at its path: a pipe, a
    // link to a pipe elsewhere (as a link to a device would be), a link to
    // nothing. Each stays what it was.
    void outputsNeverReplaceSpecialFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("command"); // FILE: the target
        const QList<QPair<const char*, QStringList>> commands{
            {"export csv", {"export", "FILE.csv"}},
            {"export xlsx", {"export", "FILE.xlsx"}},
            {"roster", {"roster", "--out", "FILE.xlsx"}},
            {"pdf", {"pdf", "--out", "FILE.pdf"}},
            {"notice", {"notice", "--out", "FILE.html"}},
            {"lookup page", {"lookup-page", "--out", "FILE.html"}},
            {"chart", {"chart", "--out", "FILE.png"}}};
        for (const char* kind : {"pipe", "link to a pipe", "link to nothing"})
            for (const auto& [name, command] : commands)
                QTest::addRow("%s, %s", name, kind) << QString(kind) << command;
    }
    void outputsNeverReplaceSpecialFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, command);
        Sandbox sb;
        makeDivided(sb);
        QTemporaryDir elsewhere;
        const QString target = sb.ctx.file("target." + command.last().section(u'.', 1));
        const QString pipe = kind == "pipe" ? target : elsewhere.filePath("target");
        if (kind != "link to nothing")
            QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        if (kind != "pipe")
            QVERIFY(QFile::link(pipe, target));
        command.last() = target;
        const CliRun r = runCliIn(sb, command);
        QCOMPARE(r.status, 1);
        QVERIFY2((r.out + r.err).contains("不是普通文件"), qPrintable(r.out + r.err));
        const QFileInfo after(target);
        QCOMPARE(after.isSymLink(), kind != "pipe");
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(pipe).constData(), &st) == 0 && S_ISFIFO(st.st_mode),
                 kind != "link to nothing");
    }

    // Each refusal names what is missing; nothing crashes, nothing changes.
    void otherShapesRefused_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QStringList>("command");
        const QStringList transfer{"transfer", "a", "2"};
        const QString table = "中没有学生表studscore";
        QTest::newRow("班级 dropped, transfer") << "ALTER TABLE studscore DROP COLUMN 班级"
                                                << "缺少字段：班级。" << transfer;
        QTest::newRow("总分 dropped, transfer") << "ALTER TABLE studscore DROP COLUMN 总分"
                                                << "缺少字段：总分。" << transfer;
        QTest::newRow("性别 dropped, divide")
            << "ALTER TABLE studscore DROP COLUMN 性别"
            << "缺少字段：性别。" << QStringList{"divide", "custom", "--classes", "2"};
        QTest::newRow("listed subject dropped, stats")
            << "ALTER TABLE studscore DROP COLUMN 语文"
            << "缺少字段：语文。" << QStringList{"stats"};
        QTest::newRow("no table, list") << "DROP TABLE studscore" << table << QStringList{"list"};
        QTest::newRow("no table, roster")
            << "DROP TABLE studscore" << table << QStringList{"roster"};
        QTest::newRow("empty file, find") << "" << table << QStringList{"find", "a"};
        QTest::newRow("empty file, adjust") << "" << table << QStringList{"adjust", "--precise"};
    }
    void otherShapesRefused()
    {
        QFETCH(QString, sql);
        QFETCH(QString, missing);
        QFETCH(QStringList, command);
        Sandbox sb;
        makeDivided(sb);
        if (sql.isEmpty()) {
            QFile db(sb.ctx.file(Store::fileName()));
            QVERIFY(db.open(QIODevice::WriteOnly | QIODevice::Truncate));
        } else {
            Store(sb.ctx.file(Store::fileName())).exec(sql);
        }
        const QStringList before = folderState(sb);
        const CliRun r = runCliIn(sb, command);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.startsWith("Quorvel\t数据库gsls.dll") && r.out.contains(missing),
                 qPrintable(r.out));
        QCOMPARE(folderState(sb), before);
    }

    void failedOutputIsFailure_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::newRow("list") << QStringList{"list"};
        QTest::newRow("find") << QStringList{"find", ""};
        QTest::newRow("find --all") << QStringList{"find", "--all"};
        QTest::newRow("stats") << QStringList{"stats"};
    }
    void failedOutputIsFailure()
    {
        QFETCH(QStringList, command);
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full on this system");
        Sandbox sb;
        makeDivided(sb);
        QFile full("/dev/full");
        QVERIFY(full.open(QIODevice::WriteOnly));
        QString errText;
        QTextStream out(&full), err(&errText);
        const int status = runCli(QStringList{"--dir", sb.ctx.folder} + command, out, err);
        QCOMPARE(status, 1);
        QVERIFY2(errText.contains("写入标准输出失败"), qPrintable(errText));
    }

    // A name stored with control characters (by another program) still
    // gives one line per student and one field per column.
    void controlCharactersWrittenOut_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("line");
        QTest::newRow("list") << QStringList{"list"} << " b\t李\\n四\t女\t1\t80\t80";
        QTest::newRow("find") << QStringList{"find", "李"} << "b\t李\\n四\t女\t1\t80\t80";
        QTest::newRow("find --all")
            << QStringList{"find", "--all"} << "c\t张\\t三\\x1b\t男\t2\t85\t85";
    }
    void controlCharactersWrittenOut()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, line);
        Sandbox sb;
        makeDivided(sb);
        Store store(sb.ctx.file(Store::fileName()));
        store.exec("UPDATE studscore SET 姓名=? WHERE 编号='b'", {QStringLiteral("李\n四")});
        store.exec("UPDATE studscore SET 姓名=? WHERE 编号='c'", {QStringLiteral("张\t三\x1b")});
        const CliRun r = runCliIn(sb, command);
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.contains(line), qPrintable(r.out));
        for (const QString& l : lines)
            if (!l.startsWith("Quorvel\t") && !l.startsWith("共有"))
                QCOMPARE(l.count(u'\t'), 5);
    }

    void seedsOutsideTheRange_data()
    {
        QTest::addColumn<QString>("seed");
        QTest::addColumn<int>("status");
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("largest") << "4294967295" << 0;
        QTest::newRow("one too many") << "4294967296" << 2;
        QTest::newRow("exponent") << "1e30" << 2;
        QTest::newRow("fraction") << "1.5" << 2;
        QTest::newRow("negative") << "-1" << 2;
        QTest::newRow("sign") << "+7" << 2;
        QTest::newRow("empty") << "" << 2;
    }
    void seedsOutsideTheRange()
    {
        QFETCH(QString, seed);
        QFETCH(int, status);
        Sandbox sb;
        makeDivided(sb);
        for (const QStringList& command : {QStringList{"sample", "--students", "4", "--seed", seed},
                                           QStringList{"adjust", "--precise", "--seed", seed}}) {
            const CliRun r = runCliIn(sb, command);
            QCOMPARE(r.status, status);
            QCOMPARE(r.err.contains("--seed 的取值必须是0到4294967295之间的整数"), status == 2);
        }
    }

    // The template cannot be written: the reason is given in Chinese.
    void sampleNotWritten()
    {
        Sandbox sb;
        makeDivided(sb);
        QVERIFY(QFile::remove(sb.ctx.file("myexcel.xls")));
        QVERIFY(QDir(sb.ctx.folder).mkdir("myexcel.xls"));
        const CliRun r = runCliIn(sb, {"sample", "--students", "4"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains("myexcel.xls：同名的文件夹已经存在。"), qPrintable(r.out));
    }
};

QTEST_GUILESS_MAIN(TestCliSafety)
#include "test_cli_safety.moc"
