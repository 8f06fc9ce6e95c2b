// quorvel-cli paints with Qt Gui alone: the libraries the dynamic linker
// loads for it hold no widget, chart or printing library of Qt, in the
// build with the window as in the build without.
#include "support/clirun.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace quorvel::test;

class TestCliLinkage : public QObject {
    Q_OBJECT

    QString m_libraries; // what ldd prints for the real program

private slots:
    void initTestCase()
    {
        if (!realCliKnown())
            QSKIP("runs under ctest only");
        const QString ldd = QStandardPaths::findExecutable(QStringLiteral("ldd"));
        if (ldd.isEmpty())
            QSKIP("no ldd on this system");
        QProcess p;
        p.start(ldd, {qEnvironmentVariable("QUORVEL_CLI")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        m_libraries = QString::fromLocal8Bit(p.readAllStandardOutput());
    }

    void libraries_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<bool>("loaded");
        // What it does load, so that an empty or unreadable list fails.
        QTest::newRow("Qt Core") << "libQt6Core.so" << true;
        QTest::newRow("Qt Gui") << "libQt6Gui.so" << true;
        QTest::newRow("Qt Widgets") << "libQt6Widgets.so" << false;
        QTest::newRow("Qt Charts") << "libQt6Charts.so" << false;
        QTest::newRow("Qt PrintSupport") << "libQt6PrintSupport.so" << false;
        QTest::newRow("Qt OpenGL") << "libQt6OpenGL" << false;
    }
    void libraries()
    {
        QFETCH(QString, library);
        QFETCH(bool, loaded);
        QVERIFY2(m_libraries.contains(library) == loaded, qPrintable(m_libraries));
    }
};

QTEST_GUILESS_MAIN(TestCliLinkage)
#include "test_cli_linkage.moc"
