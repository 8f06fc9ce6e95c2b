// The stage of schooling through quorvel-cli.
#include "store/auditrecord.h"
#include "store/store.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

CliRun cli(Sandbox& sb, const QStringList& args)
{
    return runCapturedCli(QStringList{"--dir", sb.dir.path(), "--yes"} + args);
}

void run(Sandbox& sb, const QString& line)
{
    const CliRun r = cli(sb, line.split(u' '));
    if (r.status != 0)
        qFatal("%s: status %d\n%s%s", qPrintable(line), r.status, qPrintable(r.out),
               qPrintable(r.err));
}

// Everything a refused operation must leave as it was.
QString everything(Sandbox& sb)
{
    Store store = OpenStore(sb.ctx);
    return intakeText(store) + resultText(store) + cli(sb, {"history"}).out;
}

} // namespace

class TestCliPublic : public QObject {
    Q_OBJECT

private slots:
    void stageRefusesRankedClassesInCompulsoryEducation_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("fastslow") << "divide fastslow --students 30 --classes 2";
        QTest::newRow("grade") << "divide grade --classes 4";
    }
    void stageRefusesRankedClassesInCompulsoryEducation()
    {
        QFETCH(QString, command);
        Sandbox sb;
        run(sb, "create 原学校 品质等级 语文 数学");
        run(sb, "sample --students 40 --seed 2");
        run(sb, "import");
        QCOMPARE(cli(sb, {"stage"}).out, "普通高中\n"); // an existing database
        QCOMPARE(cli(sb, {"stage", "义务教育"}).out, "义务教育\n");
        const QString before = everything(sb);
        const CliRun r = cli(sb, command.split(u' '));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.endsWith("义务教育阶段不得分设重点班和非重点班（义务教育法第二十二条）。\n"),
                 qPrintable(r.out));
        QCOMPARE(everything(sb), before);
        // The stage outlives a rebuild; in senior high school both divide.
        run(sb, "create 原学校 品质等级 语文 数学");
        QCOMPARE(cli(sb, {"stage"}).out, "义务教育\n");
        run(sb, "sample --students 40 --seed 2");
        run(sb, "import");
        run(sb, "stage 普通高中");
        QCOMPARE(cli(sb, command.split(u' ')).status, 0);
        QCOMPARE(cli(sb, {"stage", "初中"}).status, 2);
    }
};

QTEST_MAIN(TestCliPublic)
#include "test_cli_public.moc"
