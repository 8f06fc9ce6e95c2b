// The text layer of every PDF the program writes, in each Chinese font it
// accepts: pdftotext gives back every name exactly, and no radical stands in
// for an ideograph (the CJK fonts draw 女 and ⼥ with one glyph).
#include "history/auditverify.h"
#include "publish/auditsheet.h"
#include "publish/classlistpdf.h"
#include "publish/notice.h"
#include "publish/printfont.h"
#include "support/intake.h"
#include "support/pdftext.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Names of characters the fonts also map from a radical or a stroke.
const QStringList names{"黄文女", "王生人", "一日文", "文女生", "日生", "欧阳黄日", "人"};

QVector<Student> namedIntake()
{
    QVector<Student> out;
    for (int k = 0; k < names.size(); ++k)
        out.append(Student{QStringLiteral("2026%1").arg(k, 4, 10, QChar(u'0')),
                           k % 2 ? "女" : "男",
                           90.0 + k,
                           {{"姓名", names.at(k)}, {"班级", 1 + k % 2}}});
    return out;
}

AuditView auditView()
{
    AuditView v;
    v.record = {QDateTime(QDate(2026, 8, 20), QTime(9, 30)),
                "1.0",
                "custom",
                "classes=2",
                QString(64, u'a'),
                QString(64, u'b'),
                {},
                {}};
    v.intakeDigestNow = v.record.intakeDigest;
    v.resultDigestNow = v.record.resultDigest;
    v.changes.append({QDateTime(QDate(2026, 8, 21), QTime(10, 0)),
                      "手动调整",
                      {"20260001（1班→2班）", "20260002（2班→1班）"}});
    return v;
}

// Writes the PDF of the kind; the texts that must read back exactly.
QStringList writePdf(Sandbox& sb, const QString& kind, const QString& path)
{
    if (kind == "class lists") {
        if (ClassListsPdf(sb.ctx, {}, path) != path)
            return {};
        return names + QStringList{"1班学生名单", "各班统计"};
    }
    if (kind == "notice") {
        if (PublicNotice(sb.ctx, path) != path)
            return {};
        return {"黄*女", "王*人", "一*文", "文*生", "日*", "欧阳*日", "人", "2026**01"};
    }
    if (!writeSheetsPdf(path, {auditSheet(auditView())}, "审计"))
        return {};
    return {"分班时间",
            "学生名单摘要",
            "现在的分班结果摘要",
            "分班后的改动",
            "手动调整：20260001（1班→2班）",
            "20260002（2班→1班）",
            QString(64, u'a')};
}

bool hasRadical(const QString& text)
{
    for (const char32_t c : text.toUcs4())
        if ((c >= 0x2E80 && c <= 0x2FDF) || (c >= 0x31C0 && c <= 0x31EF))
            return true;
    return false;
}

} // namespace

class TestPdfText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QUORVEL_REQUIRE_TOOL(pdfToolsPresent(), "pdftotext (poppler-utils)"); }
    void cleanup() { setPrintFontFamily({}); }

    void readsBack_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("font");
        for (const QString& font : acceptedPrintFonts().mid(0, 3))
            for (const char* kind : {"class lists", "notice", "audit sheet"})
                QTest::addRow("%s in %s", kind, qPrintable(font)) << QString(kind) << font;
    }
    void readsBack()
    {
        QFETCH(QString, kind);
        QFETCH(QString, font);
        if (!QFontDatabase::families().contains(font)) {
            if (toolsRequired())
                QFAIL("the font is required here but not installed");
            QSKIP("the font is not installed");
        }
        setPrintFontFamily(font);
        const QString copy = pdfFontFamily(font);
        QVERIFY(!copy.isEmpty());
        Sandbox sb;
        makeStore(sb, {});
        addStudents(sb, namedIntake());
        const QString path = sb.dir.filePath("out.pdf");
        const QStringList expected = writePdf(sb, kind, path);
        QVERIFY(!expected.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly)); // drawn in the copy, its name in the PDF
        QVERIFY(file.readAll().contains(QString(copy).remove(u' ').toLatin1()));
        const QString text = pdfPages(path).join(u'\f');
        for (const QString& shown : expected)
            QVERIFY2(text.contains(QRegularExpression(
                         "(^|\\s)" + QRegularExpression::escape(shown) + "(\\s|$)")),
                     qPrintable(shown + "\n" + text));
        QVERIFY2(!hasRadical(text), qPrintable(text));
    }

    // The copy keeps every ideograph: one drawn alone reads back as itself.
    void copyKeepsIdeographs()
    {
        const QString font = acceptedPrintFonts().constFirst();
        if (!QFontDatabase::families().contains(font))
            QSKIP("the first font is not installed");
        const QString copy = pdfFontFamily(font);
        QVERIFY(!copy.isEmpty());
        QFont f(copy);
        f.setStyleStrategy(QFont::NoFontMerging);
        const QRawFont raw = QRawFont::fromFont(f);
        QCOMPARE(raw.familyName(), copy);
        for (const QChar c : QStringLiteral("女生人一文日黄"))
            QVERIFY(raw.supportsCharacter(c));
        QVERIFY(!raw.supportsCharacter(QChar(0x2F25))); // ⼥, drawn with 女's glyph
    }
};

QTEST_MAIN(TestPdfText)
#include "test_pdftext.moc"
