// The public notice: the masking of names and numbers, and that the notice
// holds nothing of a student but the masked 编号 and 姓名.
#include "publish/masking.h"
#include "publish/notice.h"
#include "store/errors.h"
#include "support/intake.h"
#include "support/pdftext.h"

#include <QDate>
#include <QFile>
#include <QGuiApplication>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QString readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Two classes: 编号 20260001…, names of one to four characters, scores that
// must not appear.
QVector<Student> intake()
{
    const QStringList names{"李", "张明", "欧阳华", "爱新觉罗"};
    QVector<Student> out;
    for (int i = 0; i < names.size(); ++i)
        out.append(Student{QStringLiteral("2026000%1").arg(i + 1),
                           "男",
                           345.5 + i,
                           {{"班级", i % 2 + 1}, {"姓名", names.at(i)}}});
    return out;
}

} // namespace

class TestNotice : public QObject {
    Q_OBJECT
private slots:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("masked");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("one character") << "李"
                                       << "李";
        QTest::newRow("two") << "李明"
                             << "李*";
        QTest::newRow("three") << "张晓明"
                               << "张*明";
        QTest::newRow("four") << "欧阳晓华"
                              << "欧阳*华";
        QTest::newRow("five") << "爱新觉罗溥"
                              << "爱新**溥";
        QTest::newRow("outside the BMP, counted once") << "𠮷田"
                                                       << "𠮷*";
        QTest::newRow("latin letters") << "Anna"
                                       << "An*a";
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(QString, masked);
        QCOMPARE(maskName(name), masked);
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("masked");
        QTest::newRow("two characters") << "17"
                                        << "17";
        QTest::newRow("three") << "917"
                               << "*17";
        QTest::newRow("six") << "202617"
                             << "****17";
        QTest::newRow("seven") << "2026017"
                               << "2026*17";
        QTest::newRow("nine") << "202600017"
                              << "2026***17";
        QTest::newRow("eighteen, an ID number") << "11010519491231002X"
                                                << "1101************2X";
    }
    void numbers()
    {
        QFETCH(QString, number);
        QFETCH(QString, masked);
        QCOMPARE(maskNumber(number), masked);
    }

    void notice_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("html") << "公示.html";
        QTest::newRow("pdf") << "公示.pdf";
    }
    void notice()
    {
        QFETCH(QString, file);
        if (file.endsWith(".pdf"))
            QUORVEL_REQUIRE_TOOL(pdfToolsPresent(), "pdftotext (poppler-utils)");
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, intake());
        const QString path = sb.dir.filePath(file);
        QCOMPARE(PublicNotice(sb.ctx, path), path);
        const QString text = file.endsWith(".pdf") ? pdfPages(path).join(u'\f') : readAll(path);
        for (const char* shown : {"李", "张*", "欧*华", "爱新*罗", "2026**01", "2026**04"})
            QVERIFY2(text.contains(shown), qPrintable(shown));
        for (const char* hidden : {"张明", "欧阳", "觉", "20260001", "345", "男"})
            QVERIFY2(!text.contains(hidden), qPrintable(hidden));
        // the title and the date of the notice on every page, as on the web page
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        const QStringList pages = file.endsWith(".pdf") ? pdfPages(path) : QStringList{text};
        for (QString page : pages) {
            page.remove(u' '); // pdftotext may space out a title
            QVERIFY2(page.contains(publicNoticeTitle()), qPrintable(page));
            QVERIFY2(page.contains("公示日期：" + today), qPrintable(page));
        }
    }

    void otherExtensionRefused()
    {
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, intake());
        const QString path = sb.dir.filePath("公示.txt");
        QVERIFY_THROWS_EXCEPTION(OperationError, PublicNotice(sb.ctx, path));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_MAIN(TestNotice)
#include "test_notice.moc"
