// Field lists in GBK and the yes/no check.
#include "core/textfile.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/store.h"
#include "support/fakeprompt.h"

#include <QFile>
#include <QStringEncoder>
#include <QTest>

using namespace quorvel;
using quorvel::test::Sandbox;

namespace {

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray gbk(const QString& s)
{
    return QStringEncoder("GBK").encode(s);
}

// A store with one yes/no column per name in yesNo, and one row per entry of
// values (each row a list of the yes/no values, null for no value).
void makeStore(Sandbox& sb, const QStringList& yesNo, const QVector<QVariantList>& values)
{
    Store s = Store::create(sb.ctx.file(Store::fileName()));
    QString cols;
    for (const QString& n : yesNo)
        cols += u',' + quoteIdent(n) + QStringLiteral(" TEXT(2)");
    s.exec(QStringLiteral(
               "CREATE TABLE studscore (\"编号\" TEXT(15) PRIMARY KEY NOT NULL,\"姓名\" TEXT(30),"
               "\"性别\" TEXT(2),\"班级\" INTEGER%1,\"总分\" SINGLE)")
               .arg(cols));
    for (int r = 0; r < values.size(); ++r) {
        QVariantList binds{QString::number(r + 1), r + 3};
        QString marks;
        for (const QVariant& v : values[r]) {
            binds.append(v);
            marks += QStringLiteral(",?");
        }
        QString names;
        for (const QString& n : yesNo)
            names += u',' + quoteIdent(n);
        s.exec(QStringLiteral("INSERT INTO studscore (\"编号\",\"班级\"%1) VALUES (?,?%2)")
                   .arg(names, marks),
               binds);
    }
}

int classSum(Sandbox& sb)
{
    Store s(sb.ctx.file(Store::fileName()));
    return s.column(QStringLiteral("SELECT total(\"班级\") FROM studscore")).value(0).toInt();
}

} // namespace

class TestFieldLists : public QObject {
    Q_OBJECT
private slots:
    void freeFormat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("lines") << "原学校\r\n是否住宿\r\n" << QStringList{"原学校", "是否住宿"};
        QTest::newRow("blanks trimmed") << "  语文  \r\n总分" << QStringList{"语文", "总分"};
        QTest::newRow("comma splits") << "是否a,是否b\r\n" << QStringList{"是否a", "是否b"};
        QTest::newRow("quoted keeps comma") << "\"是否a,b\"\r\n" << QStringList{"是否a,b"};
        QTest::newRow("blank lines skipped") << "\r\n  \r\n总分\r\n\r\n" << QStringList{"总分"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("full-width comma kept") << "是否甲，乙\r\n" << QStringList{"是否甲，乙"};
    }
    void freeFormat()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QCOMPARE(splitFreeFormat(text), items);
    }

    void gbkLinesWithCrLf()
    {
        Sandbox sb;
        writeGbkLines(sb.ctx.file(QStringLiteral("ziduan3.txt")),
                      {QStringLiteral("语文"), QStringLiteral("总分")});
        QFile f(sb.ctx.file(QStringLiteral("ziduan3.txt")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), gbk(QStringLiteral("语文\r\n总分\r\n")));
    }

    void emptyConditionListKeepsCallersList()
    {
        Sandbox sb;
        writeRaw(sb.ctx.file(conditionListFile()), {});
        QStringList list{QStringLiteral("旧的")};
        readConditionList(sb.ctx, list);
        QCOMPARE(list, QStringList{QStringLiteral("旧的")});
        QVERIFY(sb.state.FieldListEmpty);
        QVERIFY(!sb.state.UseConditions);

        // Lines after an empty read: the flag is cleared again, the list
        // overwritten from index 0.
        writeRaw(sb.ctx.file(conditionListFile()), gbk(QStringLiteral("原学校\r\n是否住宿\r\n")));
        readConditionList(sb.ctx, list);
        QCOMPARE(list, (QStringList{QStringLiteral("原学校"), QStringLiteral("是否住宿")}));
        QVERIFY(!sb.state.FieldListEmpty);
        QVERIFY(!sb.state.UseConditions); // only the wizard sets it again

        // A shorter file leaves exactly its own items.
        writeRaw(sb.ctx.file(conditionListFile()), gbk(QStringLiteral("是否住宿\r\n")));
        readConditionList(sb.ctx, list);
        QCOMPARE(list, QStringList{QStringLiteral("是否住宿")});
    }

    void scoreList()
    {
        Sandbox sb;
        writeRaw(sb.ctx.file(scoreListFile()), gbk(QStringLiteral("语文\r\n数学\r\n总分\r\n")));
        QStringList list;
        readScoreList(sb.ctx, list);
        QCOMPARE(list.size(), 3);
        QCOMPARE(list.at(2), QStringLiteral("总分"));
    }

    void missingListIsReported()
    {
        Sandbox sb;
        QStringList list;
        QVERIFY_THROWS_EXCEPTION(OperationError, readConditionList(sb.ctx, list));
    }

    void yesNoCheck_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QVector<QVariantList>>("rows");
        QTest::addColumn<QString>("badField"); // empty: the check passes
        const QString a = QStringLiteral("是否住宿"), b = QStringLiteral("是否班干部");
        const QVariant yes = QStringLiteral("是"), no = QStringLiteral("否");
        QTest::newRow("yes, no and no value pass")
            << QStringList{a} << QVector<QVariantList>{{yes}, {no}, {QVariant()}} << QString();
        QTest::newRow("Y fails") << QStringList{a}
                                 << QVector<QVariantList>{{yes}, {QStringLiteral("Y")}} << a;
        QTest::newRow("empty text fails")
            << QStringList{a} << QVector<QVariantList>{{QString(u""_qs)}} << a;
        QTest::newRow("only the first bad field")
            << QStringList{b, a}
            << QVector<QVariantList>{{QStringLiteral("x"), QStringLiteral("y")}} << b;
        QTest::newRow("no yes/no column")
            << QStringList{} << QVector<QVariantList>{{}, {}} << QString();
    }
    void yesNoCheck()
    {
        QFETCH(QStringList, fields);
        QFETCH(QVector<QVariantList>, rows);
        QFETCH(QString, badField);
        Sandbox sb;
        makeStore(sb, fields, rows);
        const bool ok = CheckYesNoFields(sb.ctx);
        QCOMPARE(ok, badField.isEmpty());
        QCOMPARE(sb.state.YesNoInvalid, !badField.isEmpty());
        if (badField.isEmpty()) {
            QVERIFY(sb.prompt.messages.isEmpty());
        } else {
            QCOMPARE(sb.prompt.messages.size(), 1);
            QCOMPARE(
                sb.prompt.messages.first(),
                QStringLiteral("Quorvel\t") + badField +
                    QStringLiteral(
                        "  字段中的内容必须为：是、否 ，请单击 第二步在excel中输入 修改后再试。"));
        }
        // The check only reads: the division clears the classes itself.
        QCOMPARE(classSum(sb), rows.size() * (rows.size() + 5) / 2);
    }
};

QTEST_GUILESS_MAIN(TestFieldLists)
#include "test_fieldlists.moc"
