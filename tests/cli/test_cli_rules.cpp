// Placement rules in every scheme, from the command line: with no rule each
// scheme gives the classes it always gave (golden), with rules each holds
// them and keeps the classes' sizes, boys and girls and students.
#include "store/ruletables.h"
#include "support/clirun.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

CliRun cli(Sandbox& sb, const QStringList& args)
{
    return runCliIn(sb, args);
}

// 96 sample students of seed 11, 编号 2026001 … 2026096.
void prepare(Sandbox& sb)
{
    QCOMPARE(cli(sb, {"--yes", "create", "原学校", "品质等级", "是否班干部", "是否住宿", "语文",
                      "数学", "英语"})
                 .status,
             0);
    QCOMPARE(cli(sb, {"sample", "--students", "96", "--seed", "11"}).status, 0);
    QCOMPARE(cli(sb, {"import"}).status, 0);
}

// The class of every student by 编号, one digit each (four classes).
QString fingerprint(Sandbox& sb)
{
    QString out;
    for (const int c : classesById(sb))
        out += QString::number(c);
    return out;
}

// Per class: size, boys; in class order.
QString shape(Sandbox& sb)
{
    QStringList out;
    for (int c = 1; c <= 4; ++c)
        out.append(QStringLiteral("%1:%2/%3")
                       .arg(c)
                       .arg(countWhere(sb, QStringLiteral("班级=%1").arg(c)))
                       .arg(countWhere(sb, QStringLiteral("班级=%1 AND 性别='男'").arg(c))));
    return out.join(u' ');
}

void addRules(Sandbox& sb)
{
    for (const QStringList& rule : {QStringList{"together", "2026001", "2026002"},
                                    {"together", "2026010", "2026011", "2026012"},
                                    {"apart", "2026003", "2026004", "2026005"},
                                    {"apart", "2026020", "2026021"},
                                    {"lock", "2026030", "2"},
                                    {"lock", "2026031", "4"},
                                    {"together", "2026040", "2026041"},
                                    {"apart", "2026041", "2026050"}})
        QCOMPARE(cli(sb, QStringList{"rule"} + rule).status, 0);
}

// Each scheme in turn on one intake, and the classes it gave before there
// were rules (after the division before it: the custom division rewrites
// the rows, so their order carries over). Empty scheme: the precise
// balancing after an unadjusted custom division.
struct Scheme {
    const char* name;
    QStringList args;
    QString classes;
};

const QVector<Scheme>& schemes()
{
    static const QVector<Scheme> table{
        {"custom",
         {"custom", "--classes", "4", "--top", "8", "--conditions", "原学校,是否班干部"},
         QStringLiteral("121433112323134423121412113423214443432341324112"
                        "341324123213134313114122443242433223114224423244")},
        {"custom unadjusted",
         {"custom", "--classes", "4", "--no-adjust"},
         QStringLiteral("123232314324142211143113142324244413343432233314"
                        "412211223133411413313244244214131122414423222343")},
        {"subject",
         {"subject", "--subject", "数学", "--classes", "4"},
         QStringLiteral("412214124323244243243142223112333331432134112321"
                        "334111431132142343221142434141142442331144322243")},
        {"grade",
         {"grade", "--classes", "4"},
         QStringLiteral("241414331223214111213333323224412334423423143423"
                        "442413111321411322132321341412144132244312442234")},
        {"fast and slow",
         {"fastslow", "--students", "24", "--classes", "1", "--students", "72", "--classes", "3"},
         QStringLiteral("223443314441231321423231132431131323134321114214"
                        "133322434124322124214332412142413213224344244141")},
        {"boarders",
         {"boarders", "--boarder-classes", "2", "--day-classes", "2"},
         QStringLiteral("344332334244444112343344312231423341241433443333"
                        "333414423142342314313444134413343333314444434242")},
        {"subject-balanced",
         {"balance", "--classes", "4"},
         QStringLiteral("142332423241123234121241433441212142412133324211"
                        "322144214432133314413243322313344433231244111412")},
        {"precise",
         {},
         QStringLiteral("113212134124211222232312331343344422143432233343"
                        "243421123414414414342324311244114122314413232113")},
    };
    return table;
}

} // namespace

class TestCliRules : public QObject {
    Q_OBJECT
private slots:
    void schemesWithoutRules();
    void schemesHoldRules_data();
    void schemesHoldRules();
    void listAndCheck();
    void notesWrittenOut_data();
    void notesWrittenOut();
    void transferThatBreaksARuleAsks();
    void schemesHoldSubsetsAndWishes_data();
    void schemesHoldSubsetsAndWishes();
    void subsetsAndWishesListed();
    void conflictNamed_data();
    void conflictNamed();
    void avoidTeacherInTheDraw();
};

void TestCliRules::schemesWithoutRules()
{
    Sandbox sb;
    prepare(sb);
    for (const Scheme& s : schemes()) {
        if (s.args.isEmpty()) {
            QCOMPARE(cli(sb, {"divide", "custom", "--classes", "4", "--no-adjust"}).status, 0);
            QCOMPARE(cli(sb, {"adjust", "--precise", "--seed", "3"}).status, 0);
        } else {
            QCOMPARE(cli(sb, QStringList{"divide"} + s.args).status, 0);
        }
        QVERIFY2(fingerprint(sb) == s.classes, s.name);
    }
}

void TestCliRules::schemesHoldRules_data()
{
    QTest::addColumn<QStringList>("scheme");
    for (const Scheme& s : schemes())
        QTest::newRow(s.name) << s.args;
}

void TestCliRules::schemesHoldRules()
{
    QFETCH(QStringList, scheme);
    Sandbox sb;
    prepare(sb);
    const QStringList start = scheme.isEmpty()
                                  ? QStringList{"divide", "custom", "--classes", "4", "--no-adjust"}
                                  : QStringList{"divide"} + scheme;
    QCOMPARE(cli(sb, start).status, 0);
    const QString before = shape(sb);
    const QStringList ids = storedIds(sb);
    addRules(sb);
    if (scheme.isEmpty()) // the precise balancing keeps the rules the division made hold
        QCOMPARE(cli(sb, start).status, 0);
    const CliRun run = scheme.isEmpty() ? cli(sb, {"adjust", "--precise", "--seed", "3"})
                                        : cli(sb, QStringList{"divide"} + scheme);
    QCOMPARE(run.status, 0);
    QCOMPARE(storedIds(sb), ids);
    const CliRun check = cli(sb, {"rule", "check"});
    // Fast and slow classes and boarders keep their bands: the rules that
    // cross a band are listed by the division and by the check.
    if (scheme.contains("fastslow") || scheme.contains("boarders")) {
        QVERIFY(run.out.contains("以下分班规则在本次分班中无法满足"));
        QVERIFY(!check.out.endsWith("违反0条\n"));
        return;
    }
    QCOMPARE(shape(sb), before);
    QCOMPARE(check.out, QStringLiteral("违反0条\n"));
    if (!scheme.contains("--no-adjust") && !scheme.contains("grade"))
        QVERIFY2(run.out.contains("分班规则8条，全部满足"), qPrintable(run.out));
}

void TestCliRules::listAndCheck()
{
    Sandbox sb;
    prepare(sb);
    QCOMPARE(cli(sb, {"rule", "together", "2026001", "2026002", "--note", "双胞胎"}).status, 0);
    QCOMPARE(cli(sb, {"rule", "lock", "2026003", "5"}).status, 0);
    QCOMPARE(cli(sb, {"rule", "together", "2026002", "2026009"}).status, 0); // merges into 1
    QCOMPARE(cli(sb, {"rule", "list"}).out,
             QStringLiteral("1\t同班\t2026001,2026002,2026009\t\t双胞胎\n"
                            "2\t固定\t2026003\t5\t\n"));
    const QString listed = cli(sb, {"rule", "list"}).out;
    QCOMPARE(cli(sb, {"import"}).status, 0); // rules stay across imports
    QCOMPARE(cli(sb, {"rule", "list"}).out, listed);
    const CliRun check = cli(sb, {"rule", "check"});
    QCOMPARE(check.status, 0);
    QVERIFY(check.out.startsWith("1\t同班\t2026001,2026002,2026009\t"));
    QVERIFY(check.out.endsWith("违反2条\n"));
    QCOMPARE(cli(sb, {"rule", "remove", "7"}).status, 1);
    QCOMPARE(cli(sb, {"rule", "remove", "x"}).status, 2);
    QCOMPARE(cli(sb, {"rule", "clear"}).status, 1); // the question answered No
    QCOMPARE(cli(sb, {"rule", "remove", "1"}).status, 0);
    QCOMPARE(cli(sb, {"--yes", "rule", "clear"}).status, 0);
    QCOMPARE(cli(sb, {"rule", "list"}).out, QString());
    QCOMPARE(cli(sb, {"rule", "lock", "2026003", "5"}).status, 0);
    QCOMPARE(cli(sb, {"--yes", "create", "语文"}).status, 0); // create empties them
    QCOMPARE(cli(sb, {"rule", "list"}).out, QString());
}

// A control character in a note is written out as list writes the cells:
// one rule stays one line, and no second line passes for a rule.
void TestCliRules::notesWrittenOut_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a line that passes for a rule")
        << "家长要求\n2\t分开\t2026003,2026004\t\t备注"
        << "家长要求\\n2\\t分开\\t2026003,2026004\\t\\t备注";
    QTest::newRow("a carriage return") << "甲\r乙"
                                       << "甲\\r乙";
    QTest::newRow("other control characters") << "甲\x01乙\x7f"
                                              << "甲\\x01乙\\x7f";
}

void TestCliRules::notesWrittenOut()
{
    QFETCH(QString, note);
    QFETCH(QString, shown);
    Sandbox sb;
    prepare(sb);
    QCOMPARE(cli(sb, {"rule", "apart", "2026001", "2026002", "--note", note}).status, 0);
    QCOMPARE(cli(sb, {"rule", "list"}).out, "1\t分开\t2026001,2026002\t\t" + shown + "\n");
}

void TestCliRules::transferThatBreaksARuleAsks()
{
    Sandbox sb;
    prepare(sb);
    QCOMPARE(cli(sb, {"rule", "together", "2026001", "2026002"}).status, 0);
    QCOMPARE(cli(sb, {"divide", "custom", "--classes", "4"}).status, 0);
    const QString before = fingerprint(sb);
    const int own = classesById(sb).value("2026001");
    const QString other = QString::number(own % 4 + 1);
    const CliRun no = cli(sb, {"transfer", "2026001", other});
    QCOMPARE(no.status, 1);
    QVERIFY(no.out.contains("违反分班规则"));
    QVERIFY(no.out.contains("是否仍然调动？\n> 否"));
    QCOMPARE(fingerprint(sb), before);
    QCOMPARE(cli(sb, {"--yes", "transfer", "2026001", other}).status, 0);
    QVERIFY(fingerprint(sb) != before);
}

void TestCliRules::schemesHoldSubsetsAndWishes_data()
{
    schemesHoldRules_data();
}

// Every scheme (within its bands) holds 指定班级 rules beside the others,
// keeps its sizes and sexes, and meets wishes after them.
void TestCliRules::schemesHoldSubsetsAndWishes()
{
    QFETCH(QStringList, scheme);
    Sandbox sb;
    prepare(sb);
    const QStringList start = scheme.isEmpty()
                                  ? QStringList{"divide", "custom", "--classes", "4", "--no-adjust"}
                                  : QStringList{"divide"} + scheme;
    QCOMPARE(cli(sb, start).status, 0);
    const QString before = shape(sb);
    addRules(sb);
    for (const QStringList& rule : {QStringList{"classes", "2026060", "1,3"},
                                    {"classes", "2026061", "2-4"},
                                    {"classes", "2026010", "3-4"},
                                    {"prefer", "2026070", "2026071", "2026072", "2026073"},
                                    {"prefer", "2026080", "2026081"},
                                    {"prefer", "2026090", "2026091", "2026092"}})
        QCOMPARE(cli(sb, QStringList{"rule"} + rule).status, 0);
    if (scheme.isEmpty())
        QCOMPARE(cli(sb, start).status, 0);
    const CliRun run = scheme.isEmpty() ? cli(sb, {"adjust", "--precise", "--seed", "3"})
                                        : cli(sb, QStringList{"divide"} + scheme);
    QCOMPARE(run.status, 0);
    const CliRun check = cli(sb, {"rule", "check"});
    QVERIFY2(check.out.contains("希望同班3条，满足"), qPrintable(check.out));
    if (scheme.contains("fastslow") || scheme.contains("boarders"))
        return;
    QCOMPARE(shape(sb), before);
    QVERIFY2(check.out.startsWith("违反0条\n"), qPrintable(check.out));
    if (!scheme.contains("--no-adjust") && !scheme.contains("grade"))
        QVERIFY2(run.out.contains("分班规则11条，全部满足"), qPrintable(run.out));
}

void TestCliRules::subsetsAndWishesListed()
{
    Sandbox sb;
    prepare(sb);
    QCOMPARE(cli(sb, {"rule", "classes", "2026009", "4，1-2、7"}).status, 0);
    QCOMPARE(cli(sb, {"rule", "classes", "2026002", "3"}).status, 0); // one class: 固定
    QCOMPARE(cli(sb, {"rule", "prefer", "2026003", "2026004", "2026005", "--note", "同学"}).status,
             0);
    QCOMPARE(cli(sb, {"rule", "classes", "2026001", "1,3"}).status, 0);
    QCOMPARE(cli(sb, {"rule", "prefer", "2026003"}).status, 2);
    QCOMPARE(cli(sb, {"rule", "classes", "2026008"}).status, 2);
    QCOMPARE(cli(sb, {"rule", "list"}).out,
             QStringLiteral("1\t指定班级\t2026009\t1,2,4,7\t\n"
                            "2\t固定\t2026002\t3\t\n"
                            "3\t希望同班\t2026003,2026004,2026005\t\t同学\n"
                            "4\t指定班级\t2026001\t1,3\t\n"));
    QCOMPARE(cli(sb, {"divide", "custom", "--classes", "4"}).status, 0);
    QVERIFY(cli(sb, {"rule", "check"}).out.startsWith("违反0条\n希望同班1条，满足1条\n"));
    const int own = classesById(sb).value("2026001");
    QVERIFY(own == 1 || own == 3);
    const CliRun no = cli(sb, {"transfer", "2026001", "2"});
    QCOMPARE(no.status, 1);
    QVERIFY(no.out.contains("在2班，不在1,3班"));
    QCOMPARE(cli(sb, {"transfer", "2026001", QString::number(4 - own)}).status, 0);
}

// Rules that can each hold but not together are named, the smallest set
// found, by rule check --classes N and when a division starts; a rule
// that takes no part is left out.
void TestCliRules::conflictNamed_data()
{
    QTest::addColumn<QList<QStringList>>("rules");
    QTest::addColumn<int>("classes");
    QTest::addColumn<QString>("named");
    const QStringList noise{"together", "2026050", "2026051"};
    const QList<QStringList> triangle{noise,
                                      {"apart", "2026001", "2026002"},
                                      {"apart", "2026002", "2026003"},
                                      {"apart", "2026001", "2026003"}};
    QTest::newRow("three apart pairs in two classes") << triangle << 2 << "规则2、3、4不能同时满足";
    QTest::newRow("three apart pairs in three classes") << triangle << 3 << QString();
    QTest::newRow("subsets and a lock")
        << QList<QStringList>{noise,
                              {"classes", "2026001", "1,2"},
                              {"classes", "2026002", "1-2"},
                              {"lock", "2026003", "2"},
                              {"apart", "2026001", "2026002", "2026003"}}
        << 3 << "规则2、3、4、5不能同时满足";
    QTest::newRow("a group's subset between two locked partners")
        << QList<QStringList>{{"together", "2026001", "2026002"},
                              {"classes", "2026001", "1-2"},
                              noise,
                              {"apart", "2026002", "2026003"},
                              {"lock", "2026003", "1"},
                              {"apart", "2026002", "2026004"},
                              {"lock", "2026004", "2"}}
        << 3 << "规则1、2、4、5、6、7不能同时满足";
}

void TestCliRules::conflictNamed()
{
    QFETCH(QList<QStringList>, rules);
    QFETCH(int, classes);
    QFETCH(QString, named);
    Sandbox sb;
    prepare(sb);
    for (const QStringList& rule : rules)
        QCOMPARE(cli(sb, QStringList{"rule"} + rule).status, 0);
    const QString n = QString::number(classes);
    const CliRun check = cli(sb, {"rule", "check", "--classes", n});
    const QString before = fingerprint(sb);
    const CliRun divide = cli(sb, {"divide", "custom", "--classes", n});
    if (named.isEmpty()) {
        QCOMPARE(check.status, 0);
        QCOMPARE(divide.status, 0);
        return;
    }
    QCOMPARE(check.status, 1);
    QVERIFY2(check.out.startsWith(named), qPrintable(check.out));
    QCOMPARE(divide.status, 1);
    QVERIFY2(divide.out.contains(named), qPrintable(divide.out));
    QCOMPARE(fingerprint(sb), before);
}

// A 回避教师 rule is checked against the stored draw, kept by every draw
// after it, and a draw no order can keep is refused naming the rules.
void TestCliRules::avoidTeacherInTheDraw()
{
    Sandbox sb;
    prepare(sb);
    QCOMPARE(cli(sb, {"divide", "custom", "--classes", "4"}).status, 0);
    const QStringList draw{"draw", "--teachers", "甲,乙,丙,丁", "--seed", "5"};
    QCOMPARE(cli(sb, draw).status, 0);
    const QMap<QString, int> classes = classesById(sb);
    const QString shown = cli(sb, {"draw", "--show"}).out;
    // The teacher drawn to the class of 2026001.
    const QString line = shown.section(QStringLiteral("%1班\t").arg(classes.value("2026001")), 1);
    const QString teacher = line.section(u'\n', 0, 0);
    QCOMPARE(cli(sb, {"rule", "avoid-teacher", "2026001", teacher}).status, 0);
    QVERIFY(cli(sb, {"rule", "check"}).out.contains("班主任是" + teacher));
    QCOMPARE(cli(sb, draw).status, 0);
    QVERIFY(cli(sb, {"rule", "check"}).out.startsWith("违反0条"));
    // Students of every class but one (not that of 2026001) avoid 甲: 甲
    // goes to that class.
    const int open = classes.value("2026001") % 4 + 1;
    QSet<int> avoiding;
    for (auto it = classes.cbegin(); it != classes.cend(); ++it)
        if (it.value() != open && !avoiding.contains(it.value())) {
            avoiding.insert(it.value());
            QCOMPARE(cli(sb, {"rule", "avoid-teacher", it.key(), "甲"}).status, 0);
        }
    QCOMPARE(cli(sb, draw).status, 0);
    QVERIFY(cli(sb, {"draw", "--show"}).out.contains(QStringLiteral("%1班\t甲").arg(open)));
    QVERIFY(cli(sb, {"rule", "check"}).out.startsWith("违反0条"));
    // 甲 avoided in that class too: no draw can keep them.
    const QString before = cli(sb, {"draw", "--show"}).out;
    QCOMPARE(cli(sb, {"rule", "avoid-teacher", classes.key(open), "甲"}).status, 0);
    const CliRun refused = cli(sb, draw);
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.out.contains("回避教师规则无法在抽签中同时满足"), qPrintable(refused.out));
    QCOMPARE(cli(sb, {"draw", "--show"}).out, before);
}

QTEST_GUILESS_MAIN(TestCliRules)
#include "test_cli_rules.moc"
