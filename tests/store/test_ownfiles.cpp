// The program's own files, however an output path names them.
#include "store/errors.h"
#include "store/ownfiles.h"
#include "support/fakeprompt.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class TestOwnFiles : public QObject {
    Q_OBJECT

private slots:
    // Paths are given relative to the application folder (the current
    // folder of the test) unless they begin with @, which stands for the
    // folder's absolute path; links: "link" is the folder, "alias.xlsx" is
    // gsls.dll, "sub" an ordinary folder.
    void spellings_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("own");
        QTest::newRow("bare name") << "gsls.dll" << true;
        QTest::newRow("absolute") << "@/gsls.dll" << true;
        QTest::newRow("dot") << "./gsls.dll" << true;
        QTest::newRow("dot dot") << "sub/../gsls.dll" << true;
        QTest::newRow("absolute dot dot") << "@/sub/../myexcel.xls" << true;
        QTest::newRow("through a linked folder") << "link/ziduan2.txt" << true;
        QTest::newRow("link to the database") << "alias.xlsx" << true;
        QTest::newRow("journal") << "gsls.dll-journal" << true;
        QTest::newRow("field list") << "ziduan3.txt" << true;
        QTest::newRow("any field list") << "ziduan-old.txt" << true;
        QTest::newRow("field set code") << "ziduan.txt" << true;
        QTest::newRow("marker") << "excel.txt" << true;
        QTest::newRow("statistics") << "tongji.xls" << true;
        QTest::newRow("roster") << "花名表.xlsx" << false;
        QTest::newRow("similar name") << "gsls.dll.xlsx" << false;
        QTest::newRow("in a subfolder") << "sub/gsls.dll" << false;
        QTest::newRow("outside") << "@/../gsls.dll" << false;
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
        QTest::newRow("letter case") << "GSLS.DLL" << true;
#else
        QTest::newRow("letter case") << "GSLS.DLL" << false;
#endif
    }
    void spellings()
    {
        QFETCH(QString, path);
        QFETCH(bool, own);
        Sandbox sb;
        const QDir folder(sb.ctx.folder);
        QFile db(folder.filePath("gsls.dll"));
        QVERIFY(db.open(QIODevice::WriteOnly));
        QVERIFY(folder.mkdir("sub"));
        QTemporaryDir links;
        QVERIFY(QFile::link(sb.ctx.folder, links.filePath("link")));
        QVERIFY(QFile::link(db.fileName(), folder.filePath("alias.xlsx")));
        const QString saved = QDir::currentPath();
        QDir::setCurrent(path.contains("link/") ? links.path() : sb.ctx.folder);
        path.replace('@', sb.ctx.folder);
        const bool got = isOwnFile(sb.ctx, path);
        bool refused = false;
        try {
            RequireOutputPath(sb.ctx, path);
        } catch (const OperationError& e) {
            refused = e.text() == ownFileRefusal(path);
        }
        QDir::setCurrent(saved);
        QCOMPARE(got, own);
        QCOMPARE(refused, own);
    }
};

QTEST_GUILESS_MAIN(TestOwnFiles)
#include "test_ownfiles.moc"
