// quorvel-cli divide custom, subject and grade with --precise: the precise
// balancing after the scheme's own adjustment.
#include "cli/cli.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QTest>
#include <random>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// 180 students with scattered totals, two schools and four grades.
void scattered(Sandbox& sb)
{
    makeStore(sb, {"原学校", "品质等级", "语文"});
    std::mt19937 rng(5);
    const QStringList grades{"优", "良", "中", "差"};
    QVector<Student> out;
    for (int i = 0; i < 180; ++i)
        out.append({QStringLiteral("p%1").arg(i, 4, 10, QChar(u'0')),
                    i % 3 ? QStringLiteral("男") : QStringLiteral("女"),
                    double(150 + rng() % 450),
                    {{"原学校", i % 5 ? QStringLiteral("一中") : QStringLiteral("二中")},
                     {"品质等级", grades.at(int(rng() % 4))},
                     {"语文", double(rng() % 100)}}});
    addStudents(sb, out);
}

// The 总分平均分 cell of the 极差 line of the report; empty without one.
QString reportSpread(const QString& out)
{
    for (const QString& line : out.split(u'\n'))
        if (line.startsWith(QStringLiteral("极差\t")))
            return line.section(u'\t', 1, 1);
    return {};
}

} // namespace

class TestCliDividePrecise : public QObject {
    Q_OBJECT
private slots:
    void precise_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("balanced");
        const QStringList custom{"custom", "--classes", "6", "--conditions", "原学校"};
        const QStringList subject{"subject", "--subject", "语文", "--classes", "6"};
        const QStringList grade{"grade", "--classes", "6"};
        QTest::newRow("custom") << custom + QStringList{"--precise"} << false << 0 << true;
        QTest::newRow("custom without") << custom << false << 0 << false;
        QTest::newRow("custom, no adjustment")
            << custom + QStringList{"--no-adjust", "--precise"} << false << 0 << true;
        QTest::newRow("subject") << subject + QStringList{"--precise"} << false << 0 << true;
        QTest::newRow("grade, its question answered")
            << grade + QStringList{"--precise"} << true << 0 << true;
        QTest::newRow("grade, its question declined")
            << grade + QStringList{"--precise"} << false << 3 << false;
        QTest::newRow("balance takes no --precise")
            << QStringList{"balance", "--classes", "6", "--precise"} << false << 2 << false;
    }
    void precise()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, yes);
        QFETCH(int, status);
        QFETCH(bool, balanced);
        Sandbox sb;
        scattered(sb);
        QStringList cli{"--dir", sb.dir.path()};
        if (yes)
            cli << "--yes";
        const CliRun r = runCapturedCli(cli + QStringList{"divide"} + args);
        QCOMPARE(r.status, status);
        const QString spread = reportSpread(r.out);
        QCOMPARE(!spread.isEmpty(), balanced);
        if (balanced) {
            QVERIFY2(spread.endsWith(QStringLiteral(" 达标")), qPrintable(spread));
            QVERIFY(spread.section(u' ', 0, 0).toDouble() <= 0.3);
            // The statistics once, at the end.
            QCOMPARE(r.out.count(QStringLiteral("\n班级\t")), 2);
        }
    }
};

QTEST_MAIN(TestCliDividePrecise)
#include "test_cli_divideprecise.moc"
