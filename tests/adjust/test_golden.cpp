// Golden divisions: one folder per case, tests/golden/<scheme>/<case>/,
// holding the intake (intake.csv: 编号, 性别, 总分 and the optional
// fields), the request as the audit records its parameters (request:
// key=value lines) and every student's class (classes: 编号, a tab, the
// class, in 编号 order). Each case runs its scheme through the registry and
// the one skeleton, as the audit's re-run does.
#include "adjust/schemeregistry.h"
#include "store/auditrecord.h"
#include "store/store.h"

#include "support/intake.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QString readText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return QString::fromUtf8(f.readAll());
}

// The CSV's header names the columns after 编号, 性别 and 总分; its rows
// become the compact intake of the test support ("-" stores no value).
void prepare(Sandbox& sb, const QString& csv)
{
    QStringList lines = csv.split(u'\n', Qt::SkipEmptyParts);
    const QStringList columns = lines.takeFirst().trimmed().split(u',').mid(3);
    QStringList students;
    for (const QString& line : std::as_const(lines))
        students.append(line.trimmed().split(u',').join(u'/'));
    makeStore(sb, columns);
    addStudents(sb, parseIntake(students.join(u' '), columns));
}

} // namespace

class TestGolden : public QObject {
    Q_OBJECT
private slots:
    void division_data()
    {
        QTest::addColumn<QString>("schemeName");
        QTest::addColumn<QString>("folder");
        const QDir root(QStringLiteral(QUORVEL_GOLDEN));
        int cases = 0;
        for (const QString& scheme : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QDir schemeDir(root.filePath(scheme));
            for (const QString& name : schemeDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                QTest::newRow(qPrintable(scheme + u'/' + name))
                    << scheme << schemeDir.filePath(name);
                ++cases;
            }
        }
        QVERIFY2(cases > 0, "no golden case found");
    }
    void division()
    {
        QFETCH(QString, schemeName);
        QFETCH(QString, folder);
        const QDir dir(folder);
        const Scheme* scheme = findScheme(schemeName);
        QVERIFY2(scheme, qPrintable(QStringLiteral("no scheme ") + schemeName));
        Sandbox sb;
        prepare(sb, readText(dir.filePath(QStringLiteral("intake.csv"))));
        const QVector<DivisionRequest> requests =
            scheme->replay(readText(dir.filePath(QStringLiteral("request"))));
        QVERIFY(!requests.isEmpty());
        for (const DivisionRequest& r : requests)
            QVERIFY(RunDivision(sb.ctx, *scheme, r).divided);
        Store store = OpenStore(sb.ctx);
        QCOMPARE(resultText(store), readText(dir.filePath(QStringLiteral("classes"))));
    }
};

QTEST_GUILESS_MAIN(TestGolden)
#include "test_golden.moc"
