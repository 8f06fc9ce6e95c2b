// quorvel-cli import FILE over the workbooks from the field: each read by
// its content, the report saying once when the name lies about the format;
// a refused one leaves status 1 and every file of the folder as it was.
#include "sources/fieldbooks.h"
#include "support/clirun.h"

#include <QDirIterator>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Every file below folder with its bytes.
QMap<QString, QByteArray> folderBytes(const QString& folder)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        out.insert(it.filePath(), f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?"));
    }
    return out;
}

} // namespace

class TestCliReaders : public QObject {
    Q_OBJECT

private slots:
    void import_data();
    void import();
};

void TestCliReaders::import_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("note");
    for (const FieldBook& b : fieldBooks())
        QTest::newRow(qPrintable(b.file)) << b.file << b.bytes << b.refusal << b.note;
}

void TestCliReaders::import()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, refusal);
    QFETCH(QString, note);
    QTemporaryDir app, in;
    const QStringList at{"--dir", app.path(), "--yes"};
    QCOMPARE(runCapturedCli(at + QStringList{"create", "语文"}).status, 0);
    const QString path = in.filePath(file);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    f.close();
    const auto before = folderBytes(app.path());
    const CliRun r = runCapturedCli(at + QStringList{"import", path});
    if (!refusal.isEmpty()) {
        QCOMPARE(r.status, 1);
        QVERIFY2((r.out + r.err).contains(refusal), qPrintable(r.out + r.err));
        QCOMPARE(folderBytes(app.path()), before);
        return;
    }
    QVERIFY2(r.status == 0 && r.out.contains(QStringLiteral("已导入")), qPrintable(r.out + r.err));
    QCOMPARE(r.out.count(QStringLiteral("文件名")), note.isEmpty() ? 0 : 1);
    if (!note.isEmpty())
        QVERIFY2(r.out.contains(note + u'\n'), qPrintable(r.out));
}

QTEST_GUILESS_MAIN(TestCliReaders)
#include "test_cli_readers.moc"
