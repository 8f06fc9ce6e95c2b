// A new database made from a workbook's header row.
#include "sources/sourcecreate.h"
#include "store/errors.h"
#include "support/intake.h"

#include <QFile>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

SheetRow headerOf(const QStringList& texts)
{
    SheetRow row{3, {}};
    for (const QString& t : texts)
        row.cells.append(t.isEmpty() ? QVariant() : QVariant(t));
    return row;
}

// A database holding one student, and a workbook beside it.
QString storeAndCsv(Sandbox& sb, const QByteArray& csv)
{
    makeStore(sb, {"数学"});
    addStudents(sb, parseIntake("old/男/150"));
    sb.prompt.messages.clear();
    sb.prompt.questionDefaults.clear();
    const QString path = sb.dir.filePath("intake.csv");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(csv) != csv.size())
        return {};
    return path;
}

} // namespace

class TestSourceCreate : public QObject {
    Q_OBJECT

private slots:
    void fields_data()
    {
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<QStringList>("byHand");
        QTest::addColumn<QStringList>("conditions");
        QTest::addColumn<QStringList>("scores");
        QTest::newRow("usual names")
            << QStringList{"准考证号", "学生姓名", "性别",  "毕业学校", "品德等级",
                           "语文成绩", "数学分数", "英 语", "总成绩"}
            << QStringList{} << QStringList{"原学校", "品质等级"}
            << QStringList{"语文", "数学", "英语", "总分"};
        QTest::newRow("two yes/no fields at most, in the row's order")
            << QStringList{"考号",     "姓名",     "是否走读", "是否班干部",
                           "是否住宿", "是否午餐", "是否走读"}
            << QStringList{} << QStringList{"是否班干部", "是否走读", "是否住宿"}
            << QStringList{"总分"};
        QTest::newRow("unknown headers choose nothing")
            << QStringList{"学号", "姓名", "家长电话", "", "备注", "12"} << QStringList{}
            << QStringList{} << QStringList{"总分"};
        QTest::newRow("a hand mapping chooses its column")
            << QStringList{"学号", "姓名", "理科"} << QStringList{"物理=理科", "化学="}
            << QStringList{} << QStringList{"物理", "总分"};
    }
    void fields()
    {
        QFETCH(QStringList, header);
        QFETCH(QStringList, byHand);
        QFETCH(QStringList, conditions);
        QFETCH(QStringList, scores);
        QList<HandMapping> hands;
        for (const QString& h : byHand)
            hands.append(parseHandMapping(h));
        const CreateOptions o = fieldsFromHeader(headerOf(header), hands);
        QCOMPARE(o.conditionFields(), conditions);
        QCOMPARE(o.scoreFields(), scores);
    }

    // Rebuilt and imported in one go after one question, which says what
    // the import would lose; nothing changes before it is answered Yes.
    void createsAndImports()
    {
        Sandbox sb;
        const QString csv = storeAndCsv(
            sb, "名单\n考号,姓名,性别,毕业学校,语文\n1,甲,男,一中,80\n2,乙,女,二中,八十\n");
        sb.prompt.answers = {true};
        int previewed = 0;
        QVERIFY(CreateFromSource(sb.ctx, csv, {}, [&](const SourcePreview& p) {
            previewed = int(p.checked.values.size());
            QCOMPARE(p.headerRow, 2);
        }));
        QCOMPARE(previewed, 2);
        QCOMPARE(storedIds(sb), (QStringList{"1", "2"}));
        QCOMPARE(sb.prompt.questionDefaults.size(), 1);
        QVERIFY(sb.prompt.messages.last().contains("有1个值没有导入"));
        QVERIFY(sb.prompt.messages.last().contains("导入其余2行"));
    }

    // Every way a rebuild from a workbook stops leaves every file of the
    // folder as it was: the old students, classes, history and draw.
    void refusalsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("throws");
        QTest::addColumn<int>("questions");
        const QByteArray lossy = "考号,姓名,性别,语文\n1,甲,男,80\n2,乙,女,八十\n";
        QTest::newRow("No to the one question, data lost") << lossy << false << false << 1;
        QTest::newRow("No to the one question, nothing lost")
            << QByteArray("考号,姓名,性别\n1,甲,男\n") << false << false << 1;
        QTest::newRow("no column gives 编号")
            << QByteArray("姓名,性别,语文\n甲,男,80\n") << true << true << 0;
        QTest::newRow("every row left out")
            << QByteArray("考号,姓名,性别\n,甲,男\n,乙,女\n") << true << true << 0;
        QTest::newRow("a custom field the lists cannot hold")
            << QByteArray("考号,姓名,\"是否,住宿\"\n1,甲,是\n") << true << false << 0;
    }
    void refusalsChangeNothing()
    {
        QFETCH(QByteArray, csv);
        QFETCH(bool, answer);
        QFETCH(bool, throws);
        QFETCH(int, questions);
        Sandbox sb;
        const QString path = storeAndCsv(sb, csv);
        recordVersion(sb, "导入模板数据");
        const QMap<QString, QByteArray> before = folderFiles(sb.dir.path());
        sb.prompt.defaultAnswer = answer;
        bool created = true;
        try {
            created = CreateFromSource(sb.ctx, path, {});
            QVERIFY(!throws);
        } catch (const OperationError&) {
            QVERIFY(throws);
            created = false;
        }
        QVERIFY(!created);
        QCOMPARE(sb.prompt.questionDefaults.size(), questions);
        QCOMPARE(folderFiles(sb.dir.path()), before);
    }

    void noHeaderChangesNothing()
    {
        Sandbox sb;
        const QString csv = storeAndCsv(sb, "a,b\n1,2\n");
        sb.prompt.defaultAnswer = true;
        QVERIFY_THROWS_EXCEPTION(OperationError, CreateFromSource(sb.ctx, csv, {}));
        QCOMPARE(storedIds(sb), QStringList{"old"});
    }
};

QTEST_GUILESS_MAIN(TestSourceCreate)
#include "test_sourcecreate.moc"
