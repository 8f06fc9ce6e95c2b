// quorvel-cli import --add and place-new: students who arrive after the
// division join the stored ones with class 0 (nobody stored changes), then
// go into the classes in use.
#include "support/clirun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using quorvel::test::CliRun;
using quorvel::test::runCapturedCli;

namespace {

// Three students, placed in classes 1 and 2 by the sheet.
const QByteArray kStored = "编号,姓名,性别,班级,语文,数学\n"
                           "2026001,张三,男,1,80,90\n"
                           "2026002,李四,女,2,70,60\n"
                           "2026003,王五,男,1,60,65\n";

} // namespace

class TestCliAddStudents : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QStringList at(const QStringList& args) const
    {
        return QStringList{"--dir", dir.path()} + args;
    }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return {};
        return f.fileName();
    }
    // The lines of list, one per student, by 编号.
    QMap<QString, QString> listed() const
    {
        QMap<QString, QString> rows;
        for (const QString& line : runCapturedCli(at({"list"})).out.split(u'\n'))
            if (line.startsWith(u' '))
                rows.insert(line.section(u'\t', 0, 0).trimmed(), line);
        return rows;
    }

private slots:
    void init()
    {
        QCOMPARE(runCapturedCli(at({"--yes", "create", "语文", "数学"})).status, 0);
        QCOMPARE(runCapturedCli(at({"--yes", "import", write("stored.csv", kStored)})).status, 0);
    }

    // Each addition: the sheet, the options, the status, lines the output
    // holds, and the students added with their names (class 0 each).
    void additions_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<QStringList>("added");

        QTest::newRow("new and stored")
            << QByteArray("编号,姓名,性别,班级,语文,数学\n"
                          "2026004,赵六,女,5,88,77\n"
                          "2026001,冒名,男,2,1,1\n")
            << QStringList{"--yes"} << 0
            << QStringList{QStringLiteral("第3行“编号”：编号已存在，这一行没有导入"),
                           QStringLiteral("已添加1人。")}
            << QStringList{"2026004 赵六"};
        QTest::newRow("stored row refused at the question")
            << QByteArray("编号,姓名,性别,语文,数学\n2026005,钱七,男,50,50\n"
                          "2026002,李四,女,70,60\n")
            << QStringList{} << 1 << QStringList{QStringLiteral("> 否")} << QStringList{};
        QTest::newRow("numbered after the highest")
            << QByteArray("姓名,性别,语文,数学\n孙八,男,60,61\n周九,女,62,63\n")
            << QStringList{"--number"} << 0
            << QStringList{QStringLiteral("自动编号 2026004–2026005"),
                           QStringLiteral("已添加2人。")}
            << QStringList{"2026004 孙八", "2026005 周九"};
        QTest::newRow("nobody new")
            << QByteArray("编号,姓名,性别,语文,数学\n2026003,王五,男,60,65\n")
            << QStringList{"--yes"} << 1 << QStringList{QStringLiteral("没有一个新学生可以添加")}
            << QStringList{};
    }

    void additions()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QStringList, said);
        QFETCH(QStringList, added);

        const QMap<QString, QString> before = listed();
        const QString file = write("late.csv", sheet);
        QStringList args = options.contains("--yes") ? QStringList{"--yes"} : QStringList{};
        args << "import" << file << "--add";
        options.removeAll("--yes");
        const CliRun r = runCapturedCli(at(args + options));
        QCOMPARE(r.status, status);
        for (const QString& line : said)
            QVERIFY2(r.out.contains(line) || r.err.contains(line), qPrintable(r.out + r.err));

        const QMap<QString, QString> after = listed();
        for (auto it = before.begin(); it != before.end(); ++it)
            QCOMPARE(after.value(it.key()), it.value());
        QCOMPARE(after.size(), before.size() + added.size());
        for (const QString& student : added) {
            const QStringList fields = after.value(student.section(u' ', 0, 0)).split(u'\t');
            QCOMPARE(fields.value(1), student.section(u' ', 1));
            QCOMPARE(fields.value(3), QStringLiteral("0"));
        }
    }

    // import --add without a file: the template's new rows.
    void templateAddition()
    {
        QCOMPARE(runCapturedCli(at({"sample", "--students", "5"})).status, 0);
        const QMap<QString, QString> before = listed();
        const CliRun r = runCapturedCli(at({"--yes", "import", "--add"}));
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.endsWith(QStringLiteral("已添加2人。\n")), qPrintable(r.out));
        QCOMPARE(r.out.count(QStringLiteral("编号已存在")), 3);
        const QMap<QString, QString> after = listed();
        QCOMPARE(after.size(), 5);
        for (auto it = before.begin(); it != before.end(); ++it)
            QCOMPARE(after.value(it.key()), it.value());
    }

    // 200 students divided into 5 classes, 12 more added and placed: one
    // line per class, nobody moved without --moves, sizes within one, the
    // history's version undone back to class 0.
    void placeNew_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("mostMoved");
        QTest::newRow("nobody moves") << QStringList{} << 0;
        QTest::newRow("three exchanges") << QStringList{"--moves", "3"} << 6;
    }
    void placeNew()
    {
        QFETCH(QStringList, options);
        QFETCH(int, mostMoved);
        QCOMPARE(runCapturedCli(at({"--yes", "create", "原学校", "语文", "数学"})).status, 0);
        QCOMPARE(runCapturedCli(at({"sample", "--students", "200"})).status, 0);
        QCOMPARE(runCapturedCli(at({"--yes", "import"})).status, 0);
        QCOMPARE(runCapturedCli(at({"divide", "custom", "--classes", "5"})).status, 0);
        const QMap<QString, QString> divided = listed();
        QCOMPARE(runCapturedCli(at({"sample", "--students", "212"})).status, 0);
        QCOMPARE(runCapturedCli(at({"--yes", "import", "--add"})).out.contains("已添加12人。"),
                 true);

        const CliRun r = runCapturedCli(at(QStringList{"place-new"} + options));
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5 + 3);
        int added = 0, smallest = 1000, largest = 0;
        for (int c = 0; c < 5; ++c) {
            const QStringList f = lines.at(c).split(u'\t');
            QCOMPARE(f.value(0), QStringLiteral("%1班").arg(c + 1));
            added += f.value(1).toInt();
            smallest = std::min(smallest, f.value(2).toInt());
            largest = std::max(largest, f.value(2).toInt());
        }
        QCOMPARE(added, 12);
        QVERIFY(largest - smallest <= 1);
        QVERIFY(lines.at(5).startsWith(QStringLiteral("新增12人，调动")));
        int moved = 0;
        const QMap<QString, QString> placed = listed();
        for (auto it = divided.begin(); it != divided.end(); ++it)
            moved += placed.value(it.key()) != it.value();
        QVERIFY(moved <= mostMoved);
        QCOMPARE(lines.at(5), QStringLiteral("新增12人，调动%1人").arg(moved));
        QVERIFY(runCapturedCli(at({"history"})).out.contains(QStringLiteral("插班生分班（12人）")));

        QCOMPARE(runCapturedCli(at({"undo"})).status, 0);
        int waiting = 0;
        for (const QString& line : listed())
            waiting += line.section(u'\t', 3, 3) == u"0";
        QCOMPARE(waiting, 12);
    }

    void placeNewWithNobodyWaiting()
    {
        const CliRun r = runCapturedCli(at({"place-new"}));
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("没有等待分班的学生")) ||
                r.out.contains(QStringLiteral("没有等待分班的学生")));
    }

    void createTakesNoAdd()
    {
        const CliRun r = runCapturedCli(at({"create", "--from", write("x.csv", kStored), "--add"}));
        QCOMPARE(r.status, 2);
    }
};

QTEST_GUILESS_MAIN(TestCliAddStudents)
#include "test_cli_addstudents.moc"
