// The rebuild of the database: inside the file it finds, never beside it,
// so that another connection to the file never loses it.
#include "excel/rebuild.h"
#include "excel/template.h"
#include "store/errors.h"
#include "store/schema.h"
#include "store/store.h"
#include "support/intake.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

ino_t inode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

CreateOptions withCustom(const QString& name)
{
    CreateOptions o;
    o.custom1 = true;
    o.custom1Name = name;
    return o;
}

QString integrity(const QString& path)
{
    Store s(path);
    return s.column("PRAGMA integrity_check").value(0).toString();
}

} // namespace

class TestRebuild : public QObject {
    Q_OBJECT
private slots:
    void questionDefaultsToNo()
    {
        Sandbox sb;
        QVERIFY(!CreateDatabase(sb.ctx, {}));
        QCOMPARE(sb.prompt.questionDefaults, QVector<DefaultAnswer>{DefaultAnswer::No});
        QVERIFY(!QFile::exists(sb.ctx.file(Store::fileName())));
    }

    void rebuildsInsideTheSameFile()
    {
        Sandbox sb;
        makeStore(sb, {"原学校"});
        addStudents(sb, parseIntake("a/男/9 b/女/8"));
        const QString path = sb.ctx.file(Store::fileName());
        const ino_t before = inode(path);
        makeStore(sb, {"语文"});
        QCOMPARE(inode(path), before);
        QCOMPARE(storedIds(sb), QStringList{});
        QCOMPARE(integrity(path), QStringLiteral("ok"));
    }

    // Another connection reading the file: the rebuild waits for it, then
    // gives up with the Chinese message and leaves everything as it was.
    void fileInUseIsLeftAlone()
    {
        Sandbox sb;
        makeStore(sb, {"原学校"});
        addStudents(sb, parseIntake("a/男/9 b/女/8"));
        const QString path = sb.ctx.file(Store::fileName());
        Store other(path);
        other.exec("BEGIN");
        QCOMPARE(other.column("SELECT count(*) FROM studscore").value(0).toInt(), 2);
        sb.prompt.answers = {true};
        CreateOptions o;
        o.subjects[0] = true;
        QVERIFY(!CreateDatabase(sb.ctx, o));
        QVERIFY2(sb.prompt.last().contains("5数据库gsls.dll正被另一个程序使用"),
                 qPrintable(sb.prompt.last()));
        other.exec("COMMIT");
        QCOMPARE(storedIds(sb), (QStringList{"a", "b"}));
        QCOMPARE(integrity(path), QStringLiteral("ok"));
        QCOMPARE(Store(path).columns("studscore").at(4).name, QStringLiteral("原学校"));
    }

    void notADatabaseIsStartedAfresh()
    {
        Sandbox sb;
        QFile f(sb.ctx.file(Store::fileName()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        makeStore(sb, {"语文"});
        QCOMPARE(integrity(f.fileName()), QStringLiteral("ok"));
    }

    void templateThatCannotBeWritten()
    {
        Sandbox sb;
        makeStore(sb, {"原学校"});
        addStudents(sb, parseIntake("a/男/9"));
        QVERIFY(QFile::remove(sb.ctx.file(templateFile())));
        QVERIFY(QDir(sb.ctx.folder).mkdir(templateFile()));
        sb.prompt.answers = {true};
        QVERIFY(!CreateDatabase(sb.ctx, {}));
        QVERIFY(sb.prompt.last().startsWith("无法写入模板文件myexcel.xls"));
        QCOMPARE(storedIds(sb), QStringList{"a"}); // nothing changed
    }

    // Names the GBK field-list files cannot give back as they were.
    void customNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::newRow("plain") << "是否住宿"
                               << "";
        QTest::newRow("trailing blank") << "是否住宿 "
                                        << "前后不能有空格";
        QTest::newRow("leading blank") << " 是否住宿"
                                       << "前后不能有空格";
        QTest::newRow("line break") << "是否住\n宿"
                                    << "换行符";
        QTest::newRow("tab") << "是否住\t宿"
                             << "控制字符";
        QTest::newRow("outside GBK") << QString::fromUtf8("是否住宿\xF0\x9F\x98\x80") << "GBK";
        QTest::newRow("comma") << "是否a,b"
                               << "逗号";
        QTest::newRow("empty") << ""
                               << "请输入自定义的字段";
    }
    void customNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        Sandbox sb;
        sb.prompt.answers = {true};
        QCOMPARE(CreateDatabase(sb.ctx, withCustom(name)), message.isEmpty());
        QCOMPARE(QFile::exists(sb.ctx.file(Store::fileName())), message.isEmpty());
        if (!message.isEmpty())
            QVERIFY2(sb.prompt.last().contains(message), qPrintable(sb.prompt.last()));
    }
};

QTEST_GUILESS_MAIN(TestRebuild)
#include "test_rebuild.moc"
