// What a clerk meets on the roads of the window: the import question over a
// finished division, step 3 without a database, the conditions the
// adjustment keeps, the boxes of the manual adjustment and the grade-level
// mark.
#include "shellfixture.h"

#include "adjust/autoadjust.h"
#include "division/presets.h"
#include "excel/import.h"
#include "shell/common/qtprompt.h"
#include "shell/results/ftiao.h"
#include "store/fieldlists.h"

#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <random>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QStringList conditionColumns{"原学校", "品质等级", "是否班干部", "是否住宿"};

// n students with scattered totals, five schools, four grades, some
// monitors and some boarders, the same for every seed; only the columns
// given keep their values.
QVector<Student> mixedIntake(int n, unsigned seed, const QStringList& columns = conditionColumns)
{
    std::mt19937 rng(seed);
    const QStringList grades{"优", "良", "中", "差"};
    QVector<Student> out;
    for (int i = 0; i < n; ++i) {
        Student s{QStringLiteral("m%1").arg(i, 4, 10, QChar(u'0')),
                  i % 2 ? "女" : "男",
                  double(200 + rng() % 400),
                  {}};
        s.fields.insert("原学校", QStringLiteral("第%1中学").arg(rng() % 5 + 1));
        s.fields.insert("品质等级", grades.at(int(rng() % 4)));
        s.fields.insert("是否班干部", rng() % 7 == 0 ? "是" : "否");
        s.fields.insert("是否住宿", rng() % 10 < 3 ? "是" : "否");
        for (const QString& c : conditionColumns) {
            if (!columns.contains(c))
                s.fields.remove(c);
        }
        out.append(s);
    }
    return out;
}

// The range of every condition value over the placed classes ("column=value"
// → most minus fewest per class), counted by the store.
QMap<QString, int> conditionRanges(const QString& folder)
{
    Store store(QDir(folder).filePath(Store::fileName()));
    QMap<QString, int> out;
    for (const QString& c : conditionColumns) {
        const QString sql = QStringLiteral(
            "SELECT v, max(n) - min(n) FROM (SELECT v, k.\"班级\", "
            "(SELECT count(*) FROM studscore s WHERE s.\"班级\"=k.\"班级\" AND s.%1=v) AS n "
            "FROM (SELECT DISTINCT %1 AS v FROM studscore WHERE %1 IS NOT NULL) "
            "CROSS JOIN (SELECT DISTINCT \"班级\" FROM studscore WHERE \"班级\"<>0) k) GROUP BY v");
        const RowSet rs = RowSet::openSql(store, sql.arg(quoteIdent(c)));
        for (int r = 0; r < rs.rowCount(); ++r) {
            const QString v = rs.row(r).at(0).toString();
            if (!isYesNoField(c) || v == u"是")
                out.insert(c + u'=' + v, rs.row(r).at(1).toInt());
        }
    }
    return out;
}

// Every range after is at most max(1, the range before).
void keptRanges(const QMap<QString, int>& before, const QMap<QString, int>& after)
{
    QVERIFY(!before.isEmpty());
    QCOMPARE(after.keys(), before.keys());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.value(it.key()) <= std::max(1, it.value()),
                 qPrintable(QStringLiteral("%1: %2 → %3")
                                .arg(it.key())
                                .arg(it.value())
                                .arg(after.value(it.key()))));
}

// A prompt that notes the ranges the division saved when the adjustment
// that follows it starts its first pass.
class RangeProbe : public FakePrompt {
public:
    QString folder;
    QMap<QString, int> atDivision;
    void showMessage(const QString& text, const QString& title, PromptIcon icon) override
    {
        m_divided = m_divided || text.startsWith(QStringLiteral("分班完成"));
        FakePrompt::showMessage(text, title, icon);
    }
    void progress(int value, int maximum) override
    {
        if (m_divided && atDivision.isEmpty() && value == 2 && maximum == 100)
            atDivision = conditionRanges(folder);
        FakePrompt::progress(value, maximum);
    }

private:
    bool m_divided = false;
};

// A main window whose prompt is a RangeProbe.
struct ProbedWindow {
    Sandbox sb;
    RangeProbe probe;
    Context ctx{sb.dir.path(), sb.state, probe};
    std::unique_ptr<Form1> form;

    ProbedWindow()
    {
        probe.folder = sb.dir.path();
        form = std::make_unique<Form1>(ctx);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("the main window was not shown");
    }
};

// The class of every student keeps its kind: boarders only or day students only.
QMap<int, QString> classKinds(const QString& folder)
{
    Store store(QDir(folder).filePath(Store::fileName()));
    const RowSet rs = RowSet::openSql(
        store, "SELECT \"班级\", group_concat(DISTINCT \"是否住宿\") FROM studscore GROUP BY 1");
    QMap<int, QString> out;
    for (int r = 0; r < rs.rowCount(); ++r)
        out.insert(rs.row(r).at(0).toInt(), rs.row(r).at(1).toString());
    return out;
}

} // namespace

class TestClerkRoads : public QObject, WindowTest {
    Q_OBJECT

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    // The import question of step 3 warns of the classes it clears, and
    // Enter answers No, once a student is placed.
    void importQuestionOverPlacedStudents_data()
    {
        QTest::addColumn<int>("placedClass");
        QTest::addColumn<bool>("warns");
        QTest::newRow("nobody placed") << 0 << false;
        QTest::newRow("a division done") << 3 << true;
    }
    void importQuestionOverPlacedStudents()
    {
        QFETCH(int, placedClass);
        QFETCH(bool, warns);
        makeStore(sb(), {"是否住宿"});
        addStudents(sb(), intake(12, {"是否住宿"}));
        Store(sb().ctx.file(Store::fileName()))
            .exec("UPDATE studscore SET \"班级\"=?", {placedClass});
        click(form(), "fb");
        QCOMPARE(sb().prompt.questionDefaults.last(),
                 warns ? DefaultAnswer::No : DefaultAnswer::Yes);
        const QString asked = sb().prompt.messages.first();
        QVERIFY(asked.startsWith("Quorvel\t发现Excel模板，是否从模板中导入数据。"));
        QCOMPARE(asked.contains("已分班的12名学生都将没有班级"), warns);
        QCOMPARE(classesById(sb()).values(), QList<int>(12, placedClass));
    }

    // Without a database step 3 says once where to begin and goes no further.
    void stepThreeWithoutDatabase()
    {
        click(form(), "fb");
        QCOMPARE(sb().prompt.messages, QStringList{"Quorvel\t" + Form1::noDatabaseMessage()});
        QVERIFY(fx->form3()->isHidden());
        QVERIFY(!QFileInfo::exists(sb().ctx.file(Store::fileName())));
    }

    // The custom division with every condition, then the adjustment the
    // wizard runs: no condition value spreads wider than the division left it.
    void wizardKeepsTheConditions()
    {
        ProbedWindow w;
        makeStore(w.sb, conditionColumns);
        addStudents(w.sb, mixedIntake(480, 7));
        w.probe.answers = {false};
        click(w.form.get(), "fb");
        click(w.form->schemeDialog(), "Command1");
        Form2* conditions = w.form->conditionsDialog();
        for (int i = 0; i < conditionColumns.size(); ++i)
            tick(conditions->box(i));
        click(conditions, "Command3");
        Form4* top = w.form->topDialog();
        typeKeys(top->topStudentsBox(), "0");
        typeKeys(top->classesBox(), "12");
        click(top, "Command1");
        QVERIFY2(!w.probe.atDivision.isEmpty(), qPrintable(w.probe.messages.join(u'|')));
        QVERIFY2(w.probe.last().startsWith(adjustFinishedPrefix()), qPrintable(w.probe.last()));
        keptRanges(w.probe.atDivision, conditionRanges(w.sb.dir.path()));
    }

    // Boarders and day students divided apart, then 自动调整: nobody
    // changes kind of class, and no condition spreads wider.
    void boarderClassesStayApart()
    {
        makeStore(sb(), conditionColumns);
        addStudents(sb(), mixedIntake(400, 11));
        form()->showBoarderPanel();
        QWidget* panel = control(form(), "frm15");
        typeKeys(control<QLineEdit>(panel, "Text10"), "3");
        click(panel, "FlatBttn27");
        typeKeys(control<QLineEdit>(panel, "Text9"), "7");
        click(panel, "Fbtn24");
        const QMap<int, QString> kinds = classKinds(sb().dir.path());
        QCOMPARE(kinds.size(), 10);
        for (const QString& kind : kinds)
            QVERIFY(kind == u"是" || kind == u"否");
        const QMap<QString, int> before = conditionRanges(sb().dir.path());
        fx->statsItem("FlatBttn7");
        QVERIFY(sb().prompt.last().startsWith(adjustFinishedPrefix()));
        QCOMPARE(classKinds(sb().dir.path()), kinds);
        keptRanges(before, conditionRanges(sb().dir.path()));
    }

    // Every box of 手动调整 opens above the dialog, which stays on top.
    void manualBoxesAboveTheDialog_data()
    {
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty boxes") << ""
                                     << ""
                                     << "请输入班级号";
        QTest::newRow("low class first") << "2"
                                         << "1"
                                         << "请把高分的班放在前面";
    }
    void manualBoxesAboveTheDialog()
    {
        QFETCH(QString, high);
        QFETCH(QString, low);
        QFETCH(QString, text);
        makeStore(sb(), {});
        addStudents(sb(), quarterApartIntake());
        QtPrompt boxes;
        const Context ctx{sb().dir.path(), sb().state, boxes};
        Ftiao dialog(ctx);
        dialog.showDialog();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.highBox()->setText(high);
        dialog.lowBox()->setText(low);
        QString shown;
        bool onTop = false;
        QTimer::singleShot(0, &dialog, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                box->accept();
            }
        });
        QTest::mouseClick(dialog.adjustButton(), Qt::LeftButton);
        QVERIFY2(shown.contains(text), qPrintable(shown));
        QVERIFY(onTop);
        QTest::mouseClick(dialog.returnButton(), Qt::LeftButton);
        QVERIFY(dialog.isHidden());
    }

    // After a grade-level division the custom scheme is closed and says why;
    // another scheme's division opens it again, and the adjustment asks
    // nothing more.
    void gradeMarkClearsWithTheNextScheme()
    {
        makeStore(sb(), {"品质等级", "是否住宿"});
        addStudents(sb(), mixedIntake(40, 3, {"品质等级", "是否住宿"}));
        sb().prompt.inputs = {"4"};
        QVERIFY(fennbandj(sb().ctx));
        QVERIFY(sb().state.GradeDivisionFlag);
        sb().prompt.answers = {false};
        click(form(), "fb");
        QRadioButton* custom = control<QRadioButton>(fx->form3(), "optzdy");
        QVERIFY(!custom->isEnabled());
        QVERIFY(custom->toolTip().contains("成绩等级"));
        click(fx->form3(), "Command2");
        form()->showBoarderPanel();
        QWidget* panel = control(form(), "frm15");
        typeKeys(control<QLineEdit>(panel, "Text10"), "1");
        click(panel, "FlatBttn27");
        typeKeys(control<QLineEdit>(panel, "Text9"), "3");
        click(panel, "Fbtn24");
        QVERIFY(!sb().state.GradeDivisionFlag);
        sb().prompt.messages.clear();
        fx->statsItem("FlatBttn7");
        QVERIFY(!sb().prompt.saw(gradeQuestion()));
        sb().prompt.answers = {false};
        click(form(), "fb");
        QVERIFY(custom->isEnabled());
        QVERIFY(custom->toolTip().isEmpty());
    }

    // One 自动调整 after a grade-level division asks its question once.
    void gradeQuestionOncePerAdjustment()
    {
        makeStore(sb(), {});
        addStudents(sb(), quarterApartIntake());
        sb().state.GradeDivisionFlag = true;
        sb().prompt.answers = {true};
        fx->statsItem("FlatBttn7");
        QCOMPARE(sb().prompt.messages.count("Quorvel\t" + gradeQuestion()), 1);
        QVERIFY(sb().prompt.last().startsWith(adjustFinishedPrefix()));
    }
};

QTEST_MAIN(TestClerkRoads)
#include "test_clerkroads.moc"
