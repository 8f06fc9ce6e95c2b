// The lookup page for parents: the digest it holds, a file without any name
// or number in clear, and the page itself in headless chromium finding a
// class and refusing a wrong number or name without saying which was wrong.
#include "browser.h"
#include "publish/draw.h"
#include "publish/lookuppage.h"
#include "support/intake.h"
#include "support/pdftext.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// 编号 2026001…2026006, named 学生2026001… by the test intake, in classes 1–3.
void sixStudents(Sandbox& sb)
{
    makeStore(sb, {});
    addStudents(sb, parseIntake("2026001/男/90/1 2026002/女/80/2 2026003/男/70/3 "
                                "2026004/女/60/3 2026005/男/50/2 2026006/女/40/1",
                                {"班级"}));
}

QString readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TestLookupPage : public QObject {
    Q_OBJECT
private slots:
    void digestAsDocumented()
    {
        // Python: hashlib.sha256('00ff\n张三\n2026001'.encode()).hexdigest()
        QCOMPARE(lookupDigest("00ff", " 张三 ", "2026001"),
                 "8232468b315f98455b26d5db4804b18e176f76ac96bfd669e6c702c5563ffadc");
    }

    void noNameOrNumberInClear()
    {
        Sandbox sb;
        sixStudents(sb);
        const QString path = sb.dir.filePath("查询.html");
        QCOMPARE(LookupPage(sb.ctx, path), path);
        const QString page = readAll(path);
        QVERIFY(page.contains(lookupPageTitle()));
        QCOMPARE(page.count(QRegularExpression("\"[0-9a-f]{64}\":")), 6);
        QVERIFY(!page.contains("学生2026"));           // no name
        QVERIFY(!page.contains("2026"));               // not even a part of a number
        QVERIFY(!page.contains("\\u5b66\\u751f2026")); // nor a name escaped
    }

    // Every text in the page's script can only be data: the characters that
    // could end the script element or a line of it are \u escapes there.
    void scriptTextsEscaped()
    {
        ClassLists lists;
        lists.columns = {"编号", "姓名"};
        lists.classes = {{1,
                          QStringLiteral("</script><script>alert(1)</script>&amp;\u2028\u2029"),
                          {{"1", "甲"}}}};
        const QString page = lookupPageHtml(lists, "00");
        const QString script = page.section("<script>", 1).section("</script>", 0, 0);
        QVERIFY(script.contains("\\u003c/script\\u003e\\u003cscript\\u003ealert(1)"
                                "\\u003c/script\\u003e\\u0026amp;\\u2028\\u2029"));
        QCOMPARE(page.count("<script>"), 1);
        QCOMPARE(page.count("</script>"), 1);
        QVERIFY(!script.contains(QChar(0x2028)) && !script.contains(QChar(0x2029)));
    }

    void inTheBrowser_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("teacher"); // of class 3
        QTest::addColumn<QString>("answer");
        QTest::newRow("found") << "学生2026004"
                               << "2026004"
                               << "甲"
                               << "学生2026004同学分在3班，班主任：甲。";
        QTest::newRow("wrong number") << "学生2026004"
                                      << "2026005"
                                      << "甲"
                                      << "没有查到：姓名或编号不对";
        QTest::newRow("another's name") << "学生2026005"
                                        << "2026004"
                                        << "甲"
                                        << "没有查到：姓名或编号不对";
        QTest::newRow("a teacher's name that ends the script")
            << "学生2026004"
            << "2026004"
            << "</script><script>document.title='x'</script>甲"
            << "学生2026004同学分在3班，班主任：&lt;/script&gt;&lt;script&gt;document.title='x'"
               "&lt;/script&gt;甲。";
    }
    void inTheBrowser()
    {
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(QString, teacher);
        QFETCH(QString, answer);
        QUORVEL_REQUIRE_TOOL(!chromiumPath().isEmpty(), "chromium");
        Sandbox sb;
        sixStudents(sb);
        QVERIFY(HeadTeacherDraw(sb.ctx, {teacher, "乙", "丙"}, 5));
        QVERIFY(sb.prompt.messages.isEmpty());
        const QString path = sb.dir.filePath("lookup.html");
        QCOMPARE(LookupPage(sb.ctx, path), path);
        QUrl url = QUrl::fromLocalFile(path);
        url.setFragment("name=" + name + "&number=" + number);
        const QString dom = renderedDom(url.toString(QUrl::FullyEncoded));
        QVERIFY2(dom.contains(answer), qPrintable(dom.right(400)));
    }
};

QTEST_GUILESS_MAIN(TestLookupPage)
#include "test_lookuppage.moc"
