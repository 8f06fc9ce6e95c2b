// Every workbook the import fuzzer starts from or ever found (the files of
// fixtures/import-corpus) is imported once more: each must be refused with
// the store unchanged, or be imported row for row, without any crash.
#include "support/importprobe.h"

#include <QDir>
#include <QTest>

using namespace quorvel;

namespace {

QString corpusFolder()
{
    return QStringLiteral(QUORVEL_IMPORT_CORPUS);
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestImportCorpus : public QObject {
    Q_OBJECT

private slots:
    void everyInput_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(corpusFolder());
        const QStringList names = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY2(names.size() >= 6, qPrintable(corpusFolder()));
        for (const QString& name : names)
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }
    void everyInput()
    {
        QFETCH(QString, path);
        static test::ImportProbe probe;
        const QString broken = probe.check(bytesOf(path));
        QVERIFY2(broken.isEmpty(), qPrintable(broken));
        // The seeds named import-*.xls are sound templates with students.
        if (QFileInfo(path).fileName().startsWith(QStringLiteral("import-")))
            QVERIFY(probe.imported());
    }
};

QTEST_GUILESS_MAIN(TestImportCorpus)
#include "test_importcorpus.moc"
