// Listing, the search by the beginning of the name and the individual transfer.
#include "adjust/transfer.h"
#include "stats/statsfixture.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "support/intake.h"

#include <QRegularExpression>
#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// The 编号 of the rows, in their order.
QString ids(const StudentRows& r)
{
    QStringList out;
    for (int i = 0; i < r.rowCount(); ++i)
        out.append(r.row(i).at(0).toString());
    return out.join(u' ');
}

// Students "id/total/class"; the name is 姓名 when given as a fourth part.
void addNamed(Sandbox& sb, const QString& text, const QString& sex = "男")
{
    QVector<Student> students;
    for (const QString& item : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList p = item.split(u'/');
        Student s{p[0], sex, p[1].toDouble(), {{classColumn(), p[2].toInt()}}};
        if (p.size() > 3)
            s.fields.insert("姓名", p[3]);
        students.append(s);
    }
    addStudents(sb, students);
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT
private slots:
    void listAllByClassThenTotal()
    {
        Sandbox sb;
        makeStore(sb, {});
        addNamed(sb, "a/80/2 b/95/1 c/70/1 d/99/2 e/50/0");
        QCOMPARE(ids(ListAllStudents(sb.ctx)), QStringLiteral("e b c d a"));
        QVERIFY(sb.prompt.messages.isEmpty());
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        QTest::newRow("王") << "王"
                            << "w1 w2 w4";
        QTest::newRow("blanks around") << "  王小 "
                                       << "w1";
        QTest::newRow("whole name") << "王二"
                                    << "w2";
        QTest::newRow("nobody") << "赵"
                                << "";
        QTest::newRow("empty box: everybody") << ""
                                              << "w1 w2 w3 w4 p1 p2 p3 p4";
        QTest::newRow("percent literally") << "%"
                                           << "p1";
        QTest::newRow("underscore literally") << "a_"
                                              << "p2";
        QTest::newRow("quote literally") << "O'"
                                         << "p3";
        QTest::newRow("backslash literally") << "x\\"
                                             << "p4";
        QTest::newRow("letter case: upper for lower") << "A_"
                                                      << "";
        QTest::newRow("letter case: lower for upper") << "o'neil"
                                                      << "";
        QTest::newRow("letter case: exact") << "O'Neil"
                                            << "p3";
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, found);
        Sandbox sb;
        makeStore(sb, {});
        addNamed(sb, "w1/1/1/王小明 w2/2/1/王二 w3/3/1/小王 w4/4/2/王 "
                     "p1/5/1/%明 p2/6/1/a_b p3/7/1/O'Neil p4/8/1/x\\y");
        const StudentRows r = SearchStudents(sb.ctx, text);
        QCOMPARE(ids(r), found);
        const int n = found.isEmpty() ? 0 : int(found.split(u' ').size());
        QCOMPARE(
            sb.prompt.messages,
            QStringList{QStringLiteral(
                            "Quorvel\t共找到%1 条记录，调班直接修改班号,修改后单击鼠标左键确认！")
                            .arg(n)});
    }

    void transfer_data()
    {
        QTest::addColumn<QString>("classFive"); // students of class 5: id/total
        QTest::addColumn<QString>("partner");
        // A is "a", class 2, total 520.
        QTest::newRow("equal total") << "p/530 q/520 r/515"
                                     << "q";
        QTest::newRow("first of equals") << "p/530 q/520 s/520"
                                         << "q";
        QTest::newRow("nearer below") << "p/530 r/515"
                                      << "r";
        QTest::newRow("equal distances: below") << "p/525 r/515"
                                                << "r";
        QTest::newRow("nearer above") << "p/522 r/515"
                                      << "p";
        QTest::newRow("only higher: the lowest") << "p/540 q/530 r/600"
                                                 << "q";
        QTest::newRow("only lower: the highest") << "p/500 q/510 r/400"
                                                 << "q";
        QTest::newRow("half a point above") << "p/520.5 q/519"
                                            << "p";
    }
    void transfer()
    {
        QFETCH(QString, classFive);
        QFETCH(QString, partner);
        Sandbox sb;
        makeStore(sb, {});
        addNamed(sb, "a/520/2 m/510/2 n/300/3");
        QString five = classFive;
        addNamed(sb, five.replace(QRegularExpression("(\\S+)"), "\\1/5"));
        const std::optional<StudentRows> r = TransferStudent(sb.ctx, " a ", "5");
        QVERIFY(r);
        QVERIFY(sb.prompt.messages.isEmpty());
        QCOMPARE(ids(*r), "a " + partner);
        QCOMPARE(classesOf(sb, {"a", partner, "m", "n"}), QStringLiteral("5 2 2 3"));
    }

    // A boy for a girl: the transfer is made and says what it changed.
    void transferAcrossSexes_data()
    {
        QTest::addColumn<QString>("partnerSex");
        QTest::addColumn<bool>("told");
        QTest::newRow("same sex") << "男" << false;
        QTest::newRow("other sex") << "女" << true;
    }
    void transferAcrossSexes()
    {
        QFETCH(QString, partnerSex);
        QFETCH(bool, told);
        Sandbox sb;
        makeStore(sb, {});
        addNamed(sb, "a/520/2");
        addNamed(sb, "g/519/5", partnerSex);
        TransferStudent(sb.ctx, "a", "5");
        QCOMPARE(classesOf(sb, {"a", "g"}), QStringLiteral("5 2"));
        QCOMPARE(sb.prompt.messages,
                 told ? QStringList{"Quorvel\t" + mixedSexMessage("a", "g")} : QStringList{});
    }

    void transferKeepsOwnClass_data()
    {
        QTest::addColumn<QString>("others");
        QTest::addColumn<QString>("shown"); // B is the first at A's total in store order
        QTest::newRow("A alone at his total") << "b/510/2 c/530/2"
                                              << "a";
        QTest::newRow("a classmate before him") << "b/520/2 c/530/2"
                                                << "b";
    }
    void transferKeepsOwnClass()
    {
        QFETCH(QString, others);
        QFETCH(QString, shown);
        Sandbox sb;
        makeStore(sb, {});
        addNamed(sb, others + " a/520/2");
        const QMap<QString, int> before = classesById(sb);
        const std::optional<StudentRows> r = TransferStudent(sb.ctx, "a", "2");
        QVERIFY(r);
        QCOMPARE(ids(*r), shown == u"a" ? shown : shown + " a");
        QCOMPARE(classesById(sb), before);
    }

    // The two boxes parsed before anything is read: the 编号 first, then
    // the target.
    void parseTransfer_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("parsed"); // "编号>class", or the refusal
        QTest::newRow("plain") << "a"
                               << "5"
                               << "a>5";
        QTest::newRow("blanks around the 编号") << " a1 "
                                                << "2"
                                                << "a1>2";
        QTest::newRow("a whole number written with a point") << "a"
                                                             << "3.0"
                                                             << "a>3";
        QTest::newRow("the highest class") << "a"
                                           << "32767"
                                           << "a>32767";
        QTest::newRow("past the highest class") << "a"
                                                << "32768" << targetNotWholeMessage();
        QTest::newRow("no 编号, no target") << "  "
                                            << "" << enterStudentMessage();
        QTest::newRow("no 编号, a target") << ""
                                           << "5" << enterStudentMessage();
        QTest::newRow("a fraction") << "a"
                                    << "2.5" << targetNotWholeMessage();
        QTest::newRow("a word") << "a"
                                << "五班" << targetNotWholeMessage();
        QTest::newRow("class 0") << "a"
                                 << "0" << targetUnplacedMessage();
        QTest::newRow("below 0") << "a"
                                 << "-2" << targetUnplacedMessage();
        // Nothing is looked up yet: an unknown student is the transfer's.
        QTest::newRow("any 编号") << "no such one"
                                  << "1"
                                  << "no such one>1";
    }
    void parseTransfer()
    {
        QFETCH(QString, number);
        QFETCH(QString, target);
        const auto request = parseTransferRequest(number, target);
        const TransferRequest* r = std::get_if<TransferRequest>(&request);
        QTEST(r ? r->number + u'>' + QString::number(r->target) : std::get<QString>(request),
              "parsed");
    }

    void transferRefused_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("no number") << " "
                                   << "5" << enterStudentMessage();
        QTest::newRow("unknown number") << "x9"
                                        << "5" << unknownStudentMessage("x9");
        QTest::newRow("number as sql") << "a' OR '1'='1"
                                       << "5" << unknownStudentMessage("a' OR '1'='1");
        QTest::newRow("no total") << "t"
                                  << "5" << studentIncompleteMessage("t");
        QTest::newRow("target a word") << "a"
                                       << "五" << targetNotWholeMessage();
        QTest::newRow("target a fraction") << "a"
                                           << "5.5" << targetNotWholeMessage();
        QTest::newRow("target empty") << "a"
                                      << "" << targetNotWholeMessage();
        QTest::newRow("target without students") << "a"
                                                 << "7" << emptyTargetMessage(7);
        // Class 0 holds the students not placed yet: nobody goes there, and
        // none of them is exchanged.
        QTest::newRow("unplaced student") << "u"
                                          << "5" << studentIncompleteMessage("u");
        QTest::newRow("into class 0") << "a"
                                      << "0" << targetUnplacedMessage();
        QTest::newRow("into a class below 0") << "a"
                                              << "-1" << targetUnplacedMessage();
    }
    void transferRefused()
    {
        QFETCH(QString, number);
        QFETCH(QString, target);
        QFETCH(QString, message);
        Sandbox sb;
        makeStore(sb, {});
        addNamed(sb, "a/520/2 b/510/5 u/519/0 v/500/0");
        addStudents(sb, {Student{"t", "女", 0, {{classColumn(), 2}, {totalColumn(), QVariant()}}}});
        const QStringList before = tableRows(sb);
        QVERIFY(!TransferStudent(sb.ctx, number, target));
        QCOMPARE(sb.prompt.messages, QStringList{"Quorvel\t" + message});
        QCOMPARE(tableRows(sb), before);
    }

    void transferIsOneTransaction()
    {
        // A cannot be written: B, written first, goes back too.
        Sandbox sb;
        makeStore(sb, {});
        addNamed(sb, "a/520/2 b/510/5");
        openStore(sb).exec("CREATE TRIGGER stop BEFORE UPDATE OF \"班级\" ON studscore "
                           "WHEN NEW.\"编号\"='a' BEGIN SELECT RAISE(ABORT, 'locked'); END");
        QVERIFY_THROWS_EXCEPTION(OperationError, TransferStudent(sb.ctx, "a", "5"));
        QCOMPARE(classesOf(sb, {"a", "b"}), QStringLiteral("2 5"));
    }

private:
    static QStringList tableRows(Sandbox& sb)
    {
        Store store = openStore(sb);
        const RowSet rs = RowSet::open(store, studentTable());
        QStringList out;
        for (int r = 0; r < rs.rowCount(); ++r) {
            QStringList cells;
            for (const QVariant& v : rs.row(r))
                cells.append(v.toString());
            out.append(cells.join(u'|'));
        }
        return out;
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "test_transfer.moc"
