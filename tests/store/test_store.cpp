// The store layer: column types, the row set and transactions.
#include "store/errors.h"
#include "store/rowset.h"
#include "store/store.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quorvel;

class TestStore : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("gsls.dll")); }

    Store freshStore()
    {
        QFile::remove(path());
        Store s = Store::create(path());
        s.exec(QStringLiteral("CREATE TABLE \"studscore\" (\"编号\" TEXT(15) CONSTRAINT \"编号\" "
                              "PRIMARY KEY NOT NULL,"
                              "\"姓名\" TEXT(30),\"性别\" TEXT(2),\"班级\" INTEGER,\"语文\" "
                              "SINGLE,\"总分\" SINGLE)"));
        return s;
    }

    static void add(RowSet& rs, const QVariantList& values)
    {
        rs.addNew();
        for (int c = 0; c < values.size(); ++c)
            rs.setValue(c, values.at(c));
        QVERIFY(rs.update());
    }

private slots:
    void coerce_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QVariant>("in");
        QTest::addColumn<QVariant>("out");
        QTest::newRow("text fits")
            << "TEXT(2)" << QVariant(QStringLiteral("男")) << QVariant(QStringLiteral("男"));
        QTest::newRow("text too long")
            << "TEXT(2)" << QVariant(QStringLiteral("是的吧")) << QVariant();
        QTest::newRow("number as text")
            << "TEXT(15)" << QVariant(2026001.0) << QVariant(QStringLiteral("2026001"));
        QTest::newRow("integer from text")
            << "INTEGER" << QVariant(QStringLiteral(" 12 ")) << QVariant(qint32(12));
        QTest::newRow("integer half to even")
            << "INTEGER" << QVariant(QStringLiteral("2.5")) << QVariant(qint32(2));
        QTest::newRow("integer not a number")
            << "INTEGER" << QVariant(QStringLiteral("三班")) << QVariant();
        QTest::newRow("integer out of range") << "INTEGER" << QVariant(3e10) << QVariant();
        QTest::newRow("single rounds")
            << "SINGLE" << QVariant(QStringLiteral("85.1")) << QVariant(double(85.1f));
        QTest::newRow("single absent text")
            << "SINGLE" << QVariant(QStringLiteral("缺考")) << QVariant();
        QTest::newRow("single overflow") << "SINGLE" << QVariant(1e300) << QVariant();
        QTest::newRow("empty text in number") << "SINGLE" << QVariant(QString()) << QVariant();
    }
    void coerce()
    {
        QFETCH(QString, declared);
        QFETCH(QVariant, in);
        QFETCH(QVariant, out);
        const QVariant got = ColumnType::parse(declared).coerce(in);
        QCOMPARE(got.isNull(), out.isNull());
        if (!out.isNull())
            QCOMPARE(got, out);
    }

    void declaredTypesRoundTrip()
    {
        Store s = freshStore();
        const auto cols = s.columns(QStringLiteral("studscore"));
        QCOMPARE(cols.size(), 6);
        QCOMPARE(cols[0].type.kind, ColumnType::Text);
        QCOMPARE(cols[0].type.maxLength, 15);
        QCOMPARE(cols[3].type.kind, ColumnType::Integer);
        QCOMPARE(cols[5].type.kind, ColumnType::Single);
        QCOMPARE(cols[1].type.declared(), QStringLiteral("TEXT(30)"));
    }

    void rowSetAddsRefusesAndUpdates()
    {
        Store s = freshStore();
        RowSet rs = RowSet::open(s, QStringLiteral("studscore"));
        add(rs, {QStringLiteral("1"), QStringLiteral("张三"), QStringLiteral("男"), 0, 90.5, 90.5});
        add(rs, {QStringLiteral("2"), QStringLiteral("李四"), QStringLiteral("女"), QVariant(),
                 QStringLiteral("缺考"), 0});
        // A repeated key and a missing key are refused; the set goes on.
        rs.addNew();
        rs.setValue(0, QStringLiteral("1"));
        QVERIFY(!rs.update());
        QVERIFY(!rs.lastRefusal().isEmpty());
        rs.addNew();
        rs.setValue(1, QStringLiteral("无号"));
        QVERIFY(!rs.update());
        QCOMPARE(rs.rowCount(), 2);

        RowSet again =
            RowSet::open(s, QStringLiteral("studscore"), {}, {}, QStringLiteral("\"编号\""));
        QCOMPARE(again.rowCount(), 2);
        QCOMPARE(again.columnNames().at(3), QStringLiteral("班级"));
        QVERIFY(again.value(4).toDouble() == 90.5);
        again.next();
        QVERIFY(again.value(QStringLiteral("语文")).isNull()); // 缺考 did not fit the single column
        QVERIFY(again.value(3).isNull());
        again.setValue(3, 7);
        QVERIFY(again.update());
        // Changing the key to one that exists is refused and undone.
        again.setValue(0, QStringLiteral("1"));
        QVERIFY(!again.update());
        QCOMPARE(again.value(0).toString(), QStringLiteral("2"));
        QCOMPARE(s.column(QStringLiteral("SELECT \"班级\" FROM studscore WHERE \"编号\"='2'"))
                     .value(0)
                     .toInt(),
                 7);
    }

    // One set adds many rows through one statement: a refusal between them
    // leaves the statement usable, and every row keeps its own values.
    void rowSetAddsMany_data()
    {
        QTest::addColumn<QStringList>("keys"); // "" for a row without a key
        QTest::addColumn<QString>("stored");
        QTest::newRow("all new") << QStringList{"1", "2", "3"} << "1:80 2:81 3:82";
        QTest::newRow("repeat between") << QStringList{"1", "1", "2"} << "1:80 2:82";
        QTest::newRow("no key first") << QStringList{"", "5", "6"} << "5:81 6:82";
    }
    void rowSetAddsMany()
    {
        QFETCH(QStringList, keys);
        Store s = freshStore();
        RowSet rs = RowSet::open(s, QStringLiteral("studscore"));
        for (int i = 0; i < keys.size(); ++i) {
            rs.addNew();
            if (!keys.at(i).isEmpty())
                rs.setValue(0, keys.at(i));
            rs.setValue(5, 80 + i);
            rs.update();
        }
        QStringList stored;
        for (const QVariant& v : s.column(QStringLiteral(
                 "SELECT \"编号\" || ':' || \"总分\" FROM studscore ORDER BY rowid")))
            stored.append(v.toString());
        QTEST(stored.join(u' '), "stored");
        QCOMPARE(rs.rowCount(), int(stored.size()));
    }

    void orderTiesKeepStoreOrder()
    {
        Store s = freshStore();
        RowSet rs = RowSet::open(s, QStringLiteral("studscore"));
        for (int i = 0; i < 20; ++i)
            add(rs,
                {QString::number(100 - i), QStringLiteral("生"), QStringLiteral("男"), 0, 80, 80});
        RowSet sorted = RowSet::open(s, QStringLiteral("studscore"), QStringLiteral("\"班级\"=?"),
                                     {0}, QStringLiteral("\"总分\" DESC"));
        QCOMPARE(sorted.rowCount(), 20);
        for (int i = 0; i < 20; ++i, sorted.next())
            QCOMPARE(sorted.value(0).toString(), QString::number(100 - i));
        QVERIFY(sorted.eof());
    }

    void transactionRollsBack()
    {
        Store s = freshStore();
        s.exec(QStringLiteral("INSERT INTO studscore (\"编号\") VALUES (?)"),
               {QStringLiteral("keep")});
        try {
            Transaction tr(s);
            s.exec(QStringLiteral("DELETE FROM studscore"));
            s.exec(QStringLiteral("SELECT * FROM no_such_table"));
            tr.commit();
            QFAIL("the statement should have failed");
        } catch (const StoreError& e) {
            QVERIFY(e.code() != 0);
            QVERIFY(e.text().startsWith(QString::number(e.code())));
            QVERIFY(e.text().contains(QStringLiteral("no such table")));
        }
        QCOMPARE(s.column(QStringLiteral("SELECT count(*) FROM studscore")).value(0).toInt(), 1);
    }

    void namesAreQuotedNotPasted()
    {
        Store s = freshStore();
        const QString evil = QStringLiteral("是否\"; DROP TABLE studscore; --");
        s.exec(QStringLiteral("ALTER TABLE studscore ADD COLUMN %1 TEXT(2)").arg(quoteIdent(evil)));
        QVERIFY(s.tableExists(QStringLiteral("studscore")));
        QCOMPARE(s.columns(QStringLiteral("studscore")).last().name, evil);
        s.exec(QStringLiteral("INSERT INTO studscore (\"编号\",\"姓名\") VALUES (?,?)"),
               {QStringLiteral("x'); DELETE FROM studscore; --"), QStringLiteral("O'Brien")});
        QCOMPARE(s.column(QStringLiteral("SELECT \"姓名\" FROM studscore")).value(0).toString(),
                 QStringLiteral("O'Brien"));
    }

    void missingOrForeignFile()
    {
        QVERIFY_THROWS_EXCEPTION(StoreError, Store(dir.filePath(QStringLiteral("absent.dll"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("absent.dll"))));
        QFile junk(dir.filePath(QStringLiteral("junk.dll")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        QVERIFY_THROWS_EXCEPTION(StoreError, Store(junk.fileName()));
    }

    // The failures a user meets are described in Chinese, after the
    // engine's number; others keep the engine's text.
    void errorTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("begins");
        QTest::newRow("locked") << 5 << "5数据库gsls.dll正被另一个程序使用";
        QTest::newRow("table locked") << 6 << "6数据库gsls.dll正被另一个程序使用";
        QTest::newRow("read-only") << 8 << "8数据库gsls.dll或它所在的文件夹是只读的";
        QTest::newRow("read-only folder")
            << (8 | (6 << 8)) << "1544数据库gsls.dll或它所在的文件夹是只读的";
        QTest::newRow("disk full") << 13 << "13磁盘已满";
        QTest::newRow("cannot open") << 14 << "14无法打开数据库gsls.dll";
        QTest::newRow("not a database") << 26 << "26gsls.dll不是本程序的数据库文件";
        QTest::newRow("damaged") << 11 << "11数据库gsls.dll已损坏";
        QTest::newRow("other") << 1 << "1engine text";
    }
    void errorTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, begins);
        const StoreError e = StoreError::fromEngine(code, QStringLiteral("engine text"));
        QVERIFY2(e.text().startsWith(begins), qPrintable(e.text()));
        QCOMPARE(e.code(), code);
    }

    void foreignFileIsNamedInChinese()
    {
        QFile junk(dir.filePath(QStringLiteral("junk.dll")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        try {
            Store s(junk.fileName());
            QFAIL("a foreign file opened");
        } catch (const StoreError& e) {
            QCOMPARE(
                e.text(),
                QStringLiteral("26gsls.dll不是本程序的数据库文件，请单击“第一步创建数据库”重建。"));
        }
    }

    void shortestForms()
    {
        QCOMPARE(shortestNumber(85), QStringLiteral("85"));
        QCOMPARE(shortestNumber(85.5), QStringLiteral("85.5"));
        QCOMPARE(shortestNumber(2026001), QStringLiteral("2026001"));
        QCOMPARE(shortestSingle(double(85.1f)), QStringLiteral("85.1"));
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
