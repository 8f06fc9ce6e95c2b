// The printed class lists as a PDF: read back with pdftotext, one page per
// class holding exactly its students, the chosen columns and title, the
// font embedded, and the cases where nothing may be written.
#include "publish/classlistpdf.h"
#include "stats/statistics.h"
#include "store/errors.h"
#include "support/intake.h"
#include "support/pdftext.h"

#include <QFile>
#include <QGuiApplication>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// size students in each of the classes, 编号 c-k, named 学生c-k.
QVector<Student> classesOf(int classes, int size)
{
    QVector<Student> out;
    for (int c = 1; c <= classes; ++c)
        for (int k = 0; k < size; ++k)
            out.append(Student{QStringLiteral("%1-%2").arg(c).arg(k, 2, 10, QChar(u'0')),
                               k % 2 ? "女" : "男",
                               100.0 + k,
                               {{"班级", c}}});
    return out;
}

} // namespace

class TestClassListPdf : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QUORVEL_REQUIRE_TOOL(pdfToolsPresent(), "pdftotext (poppler-utils)"); }

    void onePagePerClass_data()
    {
        QTest::addColumn<int>("classes");
        QTest::addColumn<int>("size");
        QTest::newRow("small classes") << 3 << 4;
        QTest::newRow("classes of 56 in two blocks") << 2 << 56;
    }
    void onePagePerClass()
    {
        QFETCH(int, classes);
        QFETCH(int, size);
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, classesOf(classes, size));
        const QString path = sb.dir.filePath("lists.pdf");
        QCOMPARE(ClassListsPdf(sb.ctx, {}, path), path);
        const QStringList pages = pdfPages(path);
        QCOMPARE(pages.size(), classes + 1); // and the statistics
        for (int c = 1; c <= classes; ++c) {
            const QString& page = pages.at(c - 1);
            QVERIFY(page.contains(QStringLiteral("%1班学生名单").arg(c)));
            QVERIFY(page.contains(QStringLiteral("第%1页 共%2页").arg(c).arg(classes + 1)));
            for (int k = 0; k < size; ++k)
                QVERIFY2(
                    page.contains(QStringLiteral("学生%1-%2").arg(c).arg(k, 2, 10, QChar(u'0'))),
                    qPrintable(page));
            QVERIFY(!page.contains(QStringLiteral("学生%1-").arg(c % classes + 1)));
        }
        QVERIFY(pages.last().contains(QStringLiteral("各班统计")));
    }

    void chosenColumnsAndTitle()
    {
        Sandbox sb;
        makeStore(sb, {"语文"});
        addStudents(sb, classesOf(2, 3));
        const QString path = sb.dir.filePath("lists.pdf");
        ListPrintOptions options{{"姓名", "总分", "序号"}, "2026级N班"};
        QCOMPARE(ClassListsPdf(sb.ctx, options, path), path);
        const QStringList pages = pdfPages(path);
        QVERIFY(pages.at(1).contains("2026级2班"));
        QVERIFY(pages.at(1).contains(QRegularExpression("姓名 +总分 +序号")));
        QVERIFY(pages.at(1).contains(QRegularExpression("学生2-01 +101 +2")));
        QVERIFY(!pages.at(1).contains("编号"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("/FontFile2")); // the font is in the file
    }

    void refused_data()
    {
        QTest::addColumn<QString>("classOfFirst");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("message");
        QTest::newRow("a student without a class")
            << "0" << defaultListColumns() << unplacedMessage();
        QTest::newRow("a column not in the table")
            << "1" << QStringList{"姓名", "身高"} << unknownColumnMessage("身高");
    }
    void refused()
    {
        QFETCH(QString, classOfFirst);
        QFETCH(QStringList, columns);
        QFETCH(QString, message);
        Sandbox sb;
        makeStore(sb, {});
        QVector<Student> intake = classesOf(2, 3);
        intake[0].fields["班级"] = classOfFirst.toInt();
        addStudents(sb, intake);
        const QString path = sb.dir.filePath("lists.pdf");
        try {
            QCOMPARE(ClassListsPdf(sb.ctx, {columns, defaultListTitle()}, path), QString());
        } catch (const OperationError& e) {
            sb.prompt.message(e.text(), appTitle(), PromptIcon::None);
        }
        QVERIFY2(sb.prompt.last().endsWith(message), qPrintable(sb.prompt.last()));
        QVERIFY(!QFile::exists(path));
        if (classOfFirst == "1") // refused before the statistics were built
            QVERIFY(!QFile::exists(sb.dir.filePath("tongji.xls")));
    }

    void ownFileRefusedBeforeAnything()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, classesOf(1, 2));
        const QByteArray before = [&] {
            QFile f(sb.dir.filePath("ziduan.txt"));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY_THROWS_EXCEPTION(OperationError,
                                 ClassListsPdf(sb.ctx, {}, sb.dir.filePath("ziduan.txt")));
        QFile f(sb.dir.filePath("ziduan.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
};

QTEST_MAIN(TestClassListPdf)
#include "test_classlistpdf.moc"
