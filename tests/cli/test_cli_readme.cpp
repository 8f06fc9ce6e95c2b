// The command-line examples of the README are one road: run one after
// another, as written, from create to roster, each ends with status 0.
// A roster with a student unplaced ends with status 1.
#include "support/clirun.h"

#include "store/store.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using quorvel::test::runCapturedCli;

namespace {

// Every example line "    quorvel-cli --dir D ...", in README order.
QStringList exampleLines()
{
    QFile readme(QStringLiteral(QUORVEL_README));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(readme.readAll()).split(u'\n'))
        if (line.startsWith(QStringLiteral("    quorvel-cli --dir D ")))
            lines.append(line.trimmed());
    return lines;
}

} // namespace

class TestCliReadme : public QObject {
    Q_OBJECT

private slots:
    void examplesAreOneRoad()
    {
        const QStringList lines = exampleLines();
        QVERIFY(lines.size() >= 2);
        QVERIFY(lines.first().contains(QStringLiteral(" create ")));
        QVERIFY(lines.last().contains(QStringLiteral(" roster")));
        QTemporaryDir dir;
        for (const QString& line : lines) {
            QStringList args = line.split(u' ', Qt::SkipEmptyParts).mid(1);
            args[1] = dir.path();                          // the D of --dir D
            if (args.contains(QStringLiteral("roster"))) { // first with one student unplaced
                quorvel::Store store(dir.filePath(QStringLiteral("gsls.dll")));
                store.exec(QStringLiteral("UPDATE studscore SET 班级=0 WHERE rowid=1"));
                QCOMPARE(runCapturedCli(args).status, 1);
                store.exec(QStringLiteral("UPDATE studscore SET 班级=1 WHERE rowid=1"));
            }
            const quorvel::test::CliRun r = runCapturedCli(args);
            QVERIFY2(r.status == 0, qPrintable(line + u'\n' + r.out + r.err));
        }
    }
};

QTEST_MAIN(TestCliReadme) // pdf paints its pages
#include "test_cli_readme.moc"
