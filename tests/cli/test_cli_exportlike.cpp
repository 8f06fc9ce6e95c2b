// quorvel-cli export FILE --like SOURCE: the bureau's own sheet back with
// the classes.
#include "cli/cli.h"
#include "support/clirun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).remove(QChar(0xFEFF))
                                          : QString();
}

} // namespace

class TestCliExportLike : public QObject {
    Q_OBJECT
private slots:
    void exportLike_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("written");
        const QString bureau =
            "名单,,,\n准考证号,学生姓名,性别,语文成绩\n1001,甲,男,90\n1002,乙,女,80\n"
            "1003,丙,男,70\n1004,丁,女,60\n";
        const QString classes = "名单,,,,\r\n准考证号,学生姓名,性别,语文成绩,班级\r\n"
                                "1001,甲,男,90,%1\r\n1002,乙,女,80,%2\r\n1003,丙,男,70,%3\r\n"
                                "1004,丁,女,60,%4\r\n";
        const QStringList like{"--like", "bureau.csv"};
        QTest::newRow("the class after the last column") << bureau << like << 0 << "已导出4人。\n"
                                                         << classes;
        QTest::newRow("its own column 分班 filled")
            << "准考证号,分班,学生姓名,性别,语文成绩\n1001,,甲,男,90\n1002,x,乙,女,80\n"
               "1003,,丙,男,70\n1004,,丁,女,60\n"
            << like << 0 << "已导出4人。\n"
            << "准考证号,分班,学生姓名,性别,语文成绩\r\n1001,%1,甲,男,90\r\n1002,%2,乙,女,80\r\n"
               "1003,%3,丙,男,70\r\n1004,%4,丁,女,60\r\n";
        QTest::newRow("rows not imported listed, an empty row kept")
            << bureau + "\n1009,戊,男,50\n"
            << like << 0 << "已导出4人。\n未导入的行（班级为空）：8\n"
            << classes + ",,,,\r\n1009,戊,男,50,\r\n";
        QTest::newRow("the header row given")
            << bureau << like + QStringList{"--header-row", "2"} << 0 << "已导出4人。\n"
            << classes;
        QTest::newRow("a sheet it has not")
            << bureau << like + QStringList{"--sheet", "其他"} << 1 << QString() << QString();
        QTest::newRow("--sheet without --like")
            << bureau << QStringList{"--sheet", "x"} << 2 << QString() << QString();
    }
    void exportLike()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, printed);
        QFETCH(QString, written);
        QTemporaryDir dir;
        const QStringList at{"--dir", dir.path()};
        QFile file(dir.filePath("bureau.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(source.section(u'\n', 0, 5).append(u'\n').toUtf8()); // the students imported
        file.close();
        QCOMPARE(runCapturedCli(at + QStringList{"--yes", "create", "--from", "bureau.csv"}).status,
                 0);
        QCOMPARE(runCapturedCli(at + QStringList{"divide", "custom", "--classes", "2"}).status, 0);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(source.toUtf8()); // then the bureau's whole sheet
        file.close();
        QStringList args{"export", "out.csv"};
        if (!QTest::currentDataTag() ||
            QByteArray(QTest::currentDataTag()) != "--sheet without --like")
            args << "--like"
                 << "bureau.csv";
        const CliRun r = runCapturedCli(at + args + options);
        QCOMPARE(r.status, status);
        if (status != 0)
            return;
        QCOMPARE(r.out, printed);
        // The classes the division gave, in the order of the students.
        const CliRun list = runCapturedCli(at + QStringList{"list"});
        QStringList byId;
        for (const char* id : {"1001", "1002", "1003", "1004"})
            for (const QString& line : list.out.split(u'\n'))
                if (line.trimmed().startsWith(QLatin1String(id) + u'\t'))
                    byId.append(line.trimmed().section(u'\t', 3, 3));
        QCOMPARE(byId.size(), 4);
        QCOMPARE(readText(dir.filePath("out.csv")),
                 written.arg(byId.at(0), byId.at(1), byId.at(2), byId.at(3)));
    }
};

QTEST_MAIN(TestCliExportLike)
#include "test_cli_exportlike.moc"
