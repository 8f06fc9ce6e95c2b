// The classes side by side as the class board shows them.
#include "adjust/classcolumns.h"
#include "adjust/exchange.h"
#include "adjust/transfer.h"
#include "store/fieldlists.h"
#include "store/ruletables.h"
#include "store/store.h"
#include "support/intake.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Three classes of two: averages 90, 85.5 and 80.25 around a mean of 85.25.
const char* kIntake = "a1/男/95/1/是/是 a2/女/85/1/是/否 "
                      "b1/男/86/2/否/是 b2/男/85/2/-/否 "
                      "c1/女/80.5/3/否/否 c2/女/80/3/是/否 u1/男/70/0/否/否";

ClassColumns readBoard(Sandbox& sb, double tolerance = kDefaultTolerance)
{
    makeStore(sb, {"是否住宿", "是否班干部"});
    addStudents(sb,
                parseIntake(QString::fromUtf8(kIntake), {classColumn(), "是否住宿", "是否班干部"}));
    return ClassColumns::read(sb.ctx, tolerance);
}

QString numbers(const ClassColumns& board, const QVector<int>& cards)
{
    QStringList out;
    for (int c : cards)
        out.append(board.cards().at(c).number);
    return out.join(u' ');
}

} // namespace

class TestClassColumns : public QObject {
    Q_OBJECT
private slots:
    void columnsAndCards()
    {
        Sandbox sb;
        const ClassColumns board = readBoard(sb);
        QCOMPARE(board.columns().size(), 3);
        QCOMPARE(board.unplaced(), 1);
        // In the order of the table's columns.
        QCOMPARE(board.attributes(), QStringList({"班干部", "住宿"}));
        QCOMPARE(numbers(board, board.columns().at(2).cards), QString("c1 c2"));
        const ClassCard& b2 = board.cards().at(board.cardOf("b2"));
        QVERIFY(b2.boy);
        QCOMPARE(b2.marks.size(), 2);
        QCOMPARE(b2.marks.at(0), std::optional<bool>(false));
        QVERIFY(!b2.marks.at(1).has_value());
        QCOMPARE(board.classOf(board.cardOf("b2")), 2);
        QCOMPARE(board.cardOf("u1"), -1);
    }

    // A card names every rule that binds its student, once; a student in no
    // class has no card to mark.
    void cardsNameTheirRules()
    {
        Sandbox sb;
        readBoard(sb);
        {
            Store store = OpenStore(sb.ctx);
            Transaction tr(store);
            insertRule(store, {0, RuleKind::Together, {"a1", "b1"}, 0, {}});
            insertRule(store, {0, RuleKind::Apart, {"a1", "c1", "u1"}, 0, {}});
            insertRule(store, {0, RuleKind::Fixed, {"b2"}, 2, {}});
            tr.commit();
        }
        const ClassColumns board = ClassColumns::read(sb.ctx);
        const auto rulesOf = [&](const char* n) { return board.cards().at(board.cardOf(n)).rules; };
        QCOMPARE(rulesOf("a1"), QStringList({"同班", "分开"}));
        QCOMPARE(rulesOf("b1"), QStringList({"同班"}));
        QCOMPARE(rulesOf("b2"), QStringList({"固定2班"}));
        QCOMPARE(rulesOf("c2"), QStringList());
    }

    void header_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("high, beyond")
            << 0 << 0.3
            << QStringList{"1班  2人", "男1 女1", "总分均分 90.00", "超出（比平均 +4.75）",
                           "属性差最大：住宿 +1.0"};
        QTest::newRow("near") << 1 << 0.4
                              << QStringList{"2班  2人", "男2 女0", "总分均分 85.50",
                                             "接近（比平均 +0.25）", "属性差最大：住宿 -1.0"};
        QTest::newRow("within") << 1 << 0.6
                                << QStringList{"2班  2人", "男2 女0", "总分均分 85.50",
                                               "达标（比平均 +0.25）", "属性差最大：住宿 -1.0"};
        QTest::newRow("low, beyond")
            << 2 << 0.3
            << QStringList{"3班  2人", "男0 女2", "总分均分 80.25", "超出（比平均 -5.00）",
                           "属性差最大：班干部 -0.7"};
    }
    void header()
    {
        QFETCH(int, column);
        QFETCH(double, tolerance);
        QFETCH(QStringList, lines);
        Sandbox sb;
        const ClassColumns board = readBoard(sb, tolerance);
        QCOMPARE(board.headerLines(board.columns().at(column)), lines);
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        QTest::newRow("number") << "b1"
                                << "b1";
        QTest::newRow("number with blanks") << " c1 "
                                            << "c1";
        QTest::newRow("surname") << "王"
                                 << "a1 b1";
        QTest::newRow("whole name") << "李四"
                                    << "c1";
        QTest::newRow("part of a number finds nothing") << "b"
                                                        << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, found);
        Sandbox sb;
        makeStore(sb, {});
        QVector<Student> students =
            parseIntake("a1/男/95/1 b1/男/86/2 c1/女/80/2", {classColumn()});
        students[0].fields.insert("姓名", "王一");
        students[1].fields.insert("姓名", "王二");
        students[2].fields.insert("姓名", "李四");
        addStudents(sb, students);
        const ClassColumns board = ClassColumns::read(sb.ctx);
        QCOMPARE(numbers(board, board.search(text)), found);
    }

    // A class whose students have no 总分 has no standing, and the mean
    // is that of the classes with an average.
    void classWithoutTotals()
    {
        Sandbox sb;
        makeStore(sb, {});
        QVector<Student> students = parseIntake("a/男/90/1 b/女/80/2 c/男/0/3", {classColumn()});
        students[2].fields.insert(totalColumn(), QVariant());
        addStudents(sb, students);
        const ClassColumns board = ClassColumns::read(sb.ctx);
        QCOMPARE(*board.mean(), 85.0);
        QCOMPARE(board.columns().at(2).standing, Standing::Unknown);
        QCOMPARE(board.headerLines(board.columns().at(2)),
                 QStringList({"3班  1人", "男1 女0", "无总分"}));
    }

    // The board reads the store again after each operation: a transfer and
    // an exchange show at once in the columns and their headers.
    void afterMoves()
    {
        Sandbox sb;
        readBoard(sb);
        QVERIFY(ExchangeStudents(sb.ctx, "a1", "c2").done);
        ClassColumns board = ClassColumns::read(sb.ctx);
        QCOMPARE(numbers(board, board.columns().at(0).cards), QString("a2 c2"));
        QCOMPARE(board.headerLines(board.columns().at(0)).at(1), QString("男0 女2"));
        TransferStudent(sb.ctx, "b1", "3");
        board = ClassColumns::read(sb.ctx);
        // c1's 80.5 is the nearest to b1's 86 in class 3: it comes back.
        QCOMPARE(numbers(board, board.columns().at(1).cards), QString("b2 c1"));
        QCOMPARE(numbers(board, board.columns().at(2).cards), QString("a1 b1"));
    }
};

QTEST_GUILESS_MAIN(TestClassColumns)
#include "test_classcolumns.moc"
