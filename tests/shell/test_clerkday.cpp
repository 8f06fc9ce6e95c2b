// A clerk's day in the window: the division roads end balanced to the
// precise balancing's floor when their box is ticked.
#include "shellfixture.h"

#include "shell/results/precisedialog.h"
#include "shell/wizard/form7.h"
#include "shell/wizard/subjectpanel.h"

#include "division/balanced.h"
#include "excel/template.h"
#include "shell/history/historyactions.h"
#include "shell/intake/sourcedialog.h"
#include "shell/results/resultspanel.h"

#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <random>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// n students with scattered totals and two schools, the same every time.
QVector<Student> scattered(int n)
{
    std::mt19937 rng(11);
    QVector<Student> out;
    for (int i = 0; i < n; ++i)
        out.append({QStringLiteral("c%1").arg(i, 4, 10, QChar(u'0')),
                    i % 3 ? QStringLiteral("男") : QStringLiteral("女"),
                    double(150 + rng() % 450),
                    {{"原学校", i % 5 ? QStringLiteral("一中") : QStringLiteral("二中")},
                     {"语文", double(rng() % 100)}}});
    return out;
}

// Highest minus lowest class average of 总分, as the store holds them.
double averageSpread(Sandbox& sb)
{
    Store store(sb.ctx.file(Store::fileName()));
    const RowSet rs = RowSet::openSql(
        store, "SELECT max(a) - min(a) FROM (SELECT avg(\"总分\") AS a FROM studscore "
               "GROUP BY \"班级\")");
    return rs.row(0).at(0).toDouble();
}

// A bureau's file as CSV: a title row above the header, then rows.
QString writeBureauFile(const QString& path, const QStringList& rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QStringLiteral("2026年新生名单\n准考证号,学生姓名,性别,语文\n%1\n")
                   .arg(rows.join(u'\n'))
                   .toUtf8());
    return path;
}

void dropOn(QWidget* window, const QString& path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
}

// The custom division into k classes, as the wizard divides.
void divideInto(Sandbox& sb, int k)
{
    DivisionRequest request;
    request.scheme = customScheme().name;
    request.classes = qint16(k);
    QVERIFY(Divide(sb.ctx, customScheme(), request).divided);
}

QRect rectIn(const QWidget* w, const QWidget* ancestor)
{
    return QRect(w->mapTo(ancestor, QPoint(0, 0)), w->size());
}

void saveShot(QWidget* w, const QString& name)
{
    const QString folder = qEnvironmentVariable("QUORVEL_SHOTS");
    if (!folder.isEmpty() && QDir().mkpath(folder))
        w->grab().save(QDir(folder).filePath(name));
}

} // namespace

class TestClerkDay : public QObject, WindowTest {
    Q_OBJECT

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    // 分班后精确均衡 on the wizard and on the single-subject panel: ticked
    // (as they open) the classes end within the tolerance and the report
    // shows; unticked the design's adjustment alone runs.
    void preciseAfterDivision_data()
    {
        QTest::addColumn<bool>("wizard");
        QTest::addColumn<bool>("untick");
        QTest::newRow("wizard, ticked") << true << false;
        QTest::newRow("wizard, unticked") << true << true;
        QTest::newRow("subject panel, ticked") << false << false;
        QTest::newRow("subject panel, unticked") << false << true;
    }
    void preciseAfterDivision()
    {
        QFETCH(bool, wizard);
        QFETCH(bool, untick);
        makeStore(sb(), {"原学校", "语文"});
        addStudents(sb(), scattered(240));
        QCheckBox* box = nullptr;
        if (wizard) {
            sb().prompt.answers = {false}; // no import from the template
            click(form(), "fb");
            click(fx->form3(), "Command1");
            tick(fx->form2()->box(0));
            click(fx->form2(), "Command3");
            box = control<QCheckBox>(fx->form4(), "chkPrecise");
            QVERIFY(box->isChecked());
            saveShot(fx->form4(), "wizard-form4.png");
            if (untick)
                tick(box);
            typeKeys(fx->form4()->topStudentsBox(), "0");
            typeKeys(fx->form4()->classesBox(), "8");
            click(fx->form4(), "Command1");
        } else {
            SubjectPanel* panel = form()->subjectPanel();
            panel->setSubjects({"语文"});
            panel->show();
            box = control<QCheckBox>(panel, "chkPrecise");
            QVERIFY(box->isChecked());
            saveShot(form(), "subject-panel.png");
            if (untick)
                tick(box);
            panel->subjectButton(0)->click();
            sb().prompt.inputs = {"8"};
            click(panel, "FlatBttn32");
        }
        QVERIFY2(!classesById(sb()).values().contains(0),
                 qPrintable(sb().prompt.messages.join('|')));
        PreciseDialog* report = form()->preciseDialog();
        QCOMPARE(report && report->isVisible(), !untick);
        if (!untick)
            QVERIFY2(averageSpread(sb()) <= 0.3, qPrintable(QString::number(averageSpread(sb()))));
        else
            QVERIFY(averageSpread(sb()) > 0.3);
    }

    // A workbook imported: the grid shows the students, the status bar says
    // how many came in and how many rows were left out, and step 3 goes to
    // the schemes without asking about the template.
    void importShowsTheStudents_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("said");
        QTest::newRow("clean") << QStringList{"1,甲,男,80", "2,乙,女,70", "3,丙,男,60"}
                               << "已导入3人。";
        QTest::newRow("a row without a number")
            << QStringList{"1,甲,男,80", ",乙,女,70", "3,丙,男,60"}
            << "已导入2人（1行有问题，未导入）。";
    }
    void importShowsTheStudents()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, said);
        makeStore(sb(), {"语文"});
        QVERIFY(ExportTemplate(sb().ctx)); // as step 1 leaves it
        dropOn(form(), writeBureauFile(sb().dir.filePath("名单.csv"), rows));
        auto* dialog = control<SourceDialog>(form(), "SourceDialog");
        sb().prompt.answers = {true}; // keep the rest
        click(dialog, "sourceImport");
        QVERIFY(form()->studentGrid()->isVisible());
        QCOMPARE(classesById(sb()).size(), said.at(3).digitValue());
        QCOMPARE(control<QLabel>(form(), "lblsaved")->text(), said);
        const int boxes = sb().prompt.messages.size();
        click(form(), "fb");
        QCOMPARE(sb().prompt.messages.size(), boxes); // no template question
        QVERIFY(fx->form3()->isVisible());
    }

    // The statistics show every class, whole or by scrolling, inside the
    // work area, at the small screens' sizes.
    void statisticsShowEveryClass_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("classes");
        for (const QSize size : {QSize(1024, 700), QSize(1366, 768)})
            for (int k : {8, 40})
                QTest::addRow("%dx%d, %d classes", size.width(), size.height(), k) << size << k;
    }
    void statisticsShowEveryClass()
    {
        QFETCH(QSize, size);
        QFETCH(int, classes);
        makeStore(sb(), {"原学校", "语文"});
        addStudents(sb(), scattered(classes * 10));
        divideInto(sb(), classes);
        form()->resize(size);
        QCoreApplication::processEvents();
        click(form(), "Command13");
        click(form(), "fbttj");
        QCoreApplication::processEvents();
        RowSetGrid* table = grid();
        QCOMPARE(model()->rowCount(), classes);
        QVERIFY(form()->workArea()->rect().contains(rectIn(table, form()->workArea())));
        const QModelIndex last = model()->index(classes - 1, 0);
        const bool whole = table->viewport()->rect().contains(table->visualRect(last));
        QVERIFY(whole || table->verticalScrollBar()->isVisible());
        table->scrollTo(last);
        QVERIFY(table->viewport()->rect().contains(table->visualRect(last)));
        table->scrollToTop();
        saveShot(form(), QStringLiteral("statistics-%1x%2-%3.png")
                             .arg(size.width())
                             .arg(size.height())
                             .arg(classes));
    }

    // The statistics on the screen follow undo and redo: no click on 信息统计.
    void statisticsFollowUndo()
    {
        makeStore(sb(), {"原学校", "语文"});
        addStudents(sb(), scattered(120));
        divideInto(sb(), 8);
        divideInto(sb(), 6);
        click(form(), "Command13");
        click(form(), "fbttj");
        QCOMPARE(model()->rowCount(), 6);
        form()->historyActions()->updateState();
        form()->historyActions()->undoAction()->trigger();
        QVERIFY(form()->resultsPanel()->isVisible());
        QCOMPARE(model()->rowCount(), 8);
        form()->historyActions()->redoAction()->trigger();
        QCOMPARE(model()->rowCount(), 6);
    }

    // Students from a workbook go back in its layout: 导出分班结果 offers
    // 按原表格式 and writes the bureau's rows with their classes.
    void exportInTheBureausLayout()
    {
        makeStore(sb(), {"语文"});
        const QString bureau =
            writeBureauFile(sb().dir.filePath("名单.csv"),
                            {"1,甲,男,80", "2,乙,女,70", "3,丙,男,60", "4,丁,女,50"});
        dropOn(form(), bureau);
        click(control<SourceDialog>(form(), "SourceDialog"), "sourceImport");
        divideInto(sb(), 2);
        files().paths = {sb().dir.filePath("回表.csv")};
        sb().prompt.answers = {true}; // 按原表格式
        form()->item("resultexport")->click();
        QVERIFY(sb().prompt.messages.join(u'|').contains("按原表格式"));
        QFile out(sb().dir.filePath("回表.csv"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(out.readAll()).split("\r\n");
        QCOMPARE(lines.value(0), "2026年新生名单,,,,");
        QCOMPARE(lines.value(1), "准考证号,学生姓名,性别,语文,班级");
        const QMap<QString, int> classes = classesById(sb());
        QCOMPARE(lines.value(2), QStringLiteral("1,甲,男,80,%1").arg(classes.value("1")));
        QCOMPARE(lines.value(5), QStringLiteral("4,丁,女,50,%1").arg(classes.value("4")));
    }

    // The import dialog opens with its mapping wide enough for every box.
    void mappingShownAtOpening()
    {
        makeStore(sb(), {"语文"});
        dropOn(form(), writeBureauFile(sb().dir.filePath("名单.csv"), {"1,甲,男,80"}));
        auto* dialog = control<SourceDialog>(form(), "SourceDialog");
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        auto* pane = control<QWidget>(dialog, "sourceMapping");
        auto* box = control<QWidget>(dialog, "map_语文");
        QVERIFY(pane->isVisible());
        QVERIFY2(pane->rect().contains(QRect(box->mapTo(pane, QPoint()), box->size())),
                 qPrintable(QString::number(pane->width())));
        saveShot(dialog, "import-dialog.png");
    }

    // 从表格新建数据库 asks once, showing the header row and the mapping; in
    // an empty folder it says nothing is lost; a No changes nothing.
    void createFromWorkbookAsksOnce()
    {
        files().paths = {writeBureauFile(sb().dir.filePath("名单.csv"), {"1,甲,男,80"})};
        sb().prompt.answers = {false};
        form()->item("sourcecreate")->click();
        QVERIFY2(sb().prompt.messages.size() == 1, qPrintable(sb().prompt.messages.join("|")));
        const QString asked = sb().prompt.messages.first();
        QVERIFY2(asked.contains("表头在第2行") && asked.contains("编号←准考证号") &&
                     asked.contains("不会丢失任何数据") && !asked.contains("原有数据"),
                 qPrintable(asked));
        QVERIFY(!QFileInfo::exists(sb().ctx.file(Store::fileName())));
    }
};

QTEST_MAIN(TestClerkDay)
#include "test_clerkday.moc"
