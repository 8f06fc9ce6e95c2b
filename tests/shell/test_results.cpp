// The statistics panel and its grid DataGrid3, the items that open
// workbooks, and the busy cursor of the long operations.
#include "adjust/autoadjust.h"
#include "division/balanced.h"
#include "shellfixture.h"

#include "shell/results/resultspanel.h"
#include "shell/results/rowsetgrid.h"
#include "shell/window/navpanel.h"

#include "excel/template.h"
#include "stats/display.h"
#include "stats/roster.h"
#include "stats/statistics.h"

#include <QApplication>
#include <QDesktopServices>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

using namespace quorvel;
using namespace quorvel::test;

namespace {

const QString adjusted = adjustFinishedPrefix();

// Records what the desktop is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

// Answers the file requests of one test; with failing set, the desktop
// cannot be asked (the handler has no such slot).
struct FileRequests {
    UrlRecorder recorder;
    explicit FileRequests(bool failing = false)
    {
        QDesktopServices::setUrlHandler("file", &recorder, failing ? "noSuchSlot" : "open");
    }
    ~FileRequests() { QDesktopServices::unsetUrlHandler("file"); }
};

// A prompt that also notes the cursor over the windows at every message.
class CursorPrompt : public FakePrompt {
public:
    QList<Qt::CursorShape> shapes;
    void showMessage(const QString& text, const QString& title, PromptIcon icon) override
    {
        const QCursor* c = QApplication::overrideCursor();
        shapes.append(c ? c->shape() : Qt::ArrowCursor);
        FakePrompt::showMessage(text, title, icon);
    }
};

} // namespace

class TestResults : public QObject, WindowTest {
    Q_OBJECT

    // Two classes of two: averages 87.65 and 80.5.
    void placed()
    {
        makeStore(sb(), {"是否班干部"});
        addStudents(sb(),
                    parseIntake("a/男/85.1/是 b/女/90.2/否 c/男/80/否 d/女/81/否", {"是否班干部"}));
        Store store = OpenStore(sb().ctx);
        store.exec("UPDATE studscore SET \"班级\" = CASE WHEN \"编号\" < 'c' THEN 1 ELSE 2 END");
        sb().prompt.messages.clear();
    }
    QStringList row(int r)
    {
        QStringList cells;
        for (int c = 0; c < model()->columnCount(); ++c)
            cells.append(model()->index(r, c).data().toString());
        return cells;
    }
    QLineEdit* editCell(int r, int c, const QString& text)
    {
        const QModelIndex index = model()->index(r, c);
        grid()->setCurrentIndex(index);
        grid()->edit(index);
        // Closed editors linger until deleted later: the open one is shown.
        for (QLineEdit* editor : grid()->viewport()->findChildren<QLineEdit*>()) {
            if (editor->isVisible()) {
                editor->setText(text);
                return editor;
            }
        }
        qFatal("no editor");
    }
    void clickRow(int r)
    {
        const QRect cell = grid()->visualRect(model()->index(r, 0));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { fx.reset(); }

    void statisticsShowOneRowPerClass()
    {
        placed();
        form()->studentGrid()->show();
        item("fbttj");
        QVERIFY(form()->studentGrid()->isHidden());
        QVERIFY(form()->resultsPanel()->isVisible());
        QVERIFY(sb().prompt.messages.isEmpty());
        QCOMPARE(model()->rowCount(), 2);
        QStringList headers;
        for (int c = 0; c < model()->columnCount(); ++c)
            headers.append(model()->headerData(c, Qt::Horizontal).toString());
        QCOMPARE(headers,
                 (QStringList{"班级", "总分平均分", "男生数", "女生数", "是班干部", "非班干部"}));
        QCOMPARE(row(0), (QStringList{"1", "87.65", "1", "1", "1", "1"}));
        QCOMPARE(row(1), (QStringList{"2", "80.50", "1", "1", "0", "2"}));
        QVERIFY(QFileInfo::exists(statsWorkbookPath(sb().ctx)));
        // The side column stays hidden; its statistics buttons are set up.
        QVERIFY(form()->resultsPanel()->sideColumn()->isHidden());
        QVERIFY(!form()->resultsPanel()->workbookButton()->isHidden());
    }

    void statisticsWithoutClasses()
    {
        makeStore(sb(), {});
        addStudents(sb(), intake(4));
        item("fbttj");
        QCOMPARE(sb().prompt.messages, (QStringList{"Quorvel\t还有的班未分，不能统计。",
                                                    "提示\t对不起分班后才能进行统计。"}));
        QVERIFY(form()->resultsPanel()->isVisible());
        QVERIFY(!model() || model()->rowCount() == 0);
    }

    void gradeQuestionAnsweredNo()
    {
        placed();
        sb().state.GradeDivisionFlag = true;
        form()->studentGrid()->show();
        item("fbttj");
        QCOMPARE(sb().prompt.messages,
                 QStringList{"Quorvel\t不能统计品质等级。调整以总分为准，是否进行调整。"});
        QVERIFY(form()->studentGrid()->isHidden());
        QVERIFY(form()->resultsPanel()->isHidden());
        QVERIFY(!storeTables(sb()).contains("result"));
    }

    void adjustmentEndsOnTheStatistics()
    {
        placed();
        item("FlatBttn7");
        QCOMPARE(sb().prompt.messages,
                 QStringList{"提示\t" + adjustFinishedMessage(averageSpread(sb().ctx))});
        QCOMPARE(model()->rowCount(), 2);
        QVERIFY(form()->resultsPanel()->isVisible());
        QVERIFY(form()->progressBar()->isHidden());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(sb().prompt.progressCalls.last(), qMakePair(0, 0));
    }

    // A changed cell is saved when the user leaves its row, not before.
    void editSavedOnLeavingTheRow()
    {
        placed();
        item("fbttj");
        const int boys = 2;
        QLineEdit* editor = editCell(0, boys, "7");
        QTest::keyClick(editor, Qt::Key_Tab); // the next cell of the same row
        QCOMPARE(grid()->currentIndex().row(), 0);
        QCOMPARE(tableRows(sb(), "result").first().section(u'|', boys, boys), "1");
        clickRow(1);
        QCOMPARE(grid()->currentIndex().row(), 1);
        QCOMPARE(tableRows(sb(), "result").first().section(u'|', boys, boys), "7");
        QCOMPARE(row(0).at(boys), "7");
        QVERIFY(sb().prompt.messages.isEmpty());
    }

    // The same grid over the students: a refused row gets its old values.
    void refusedRowIsRestored()
    {
        placed();
        form()->resultsPanel()->show();
        grid()->bindTable(sb().ctx, "studscore");
        const QStringList before = tableRows(sb(), "studscore");
        editCell(0, 0, "b"); // 编号 of the second student
        clickRow(2);
        QCOMPARE(sb().prompt.messages, QStringList{"Quorvel\t" + RowSetGrid::refusalMessage()});
        QCOMPARE(row(0).at(0), "a");
        QCOMPARE(tableRows(sb(), "studscore"), before);
        editCell(1, 3, "2"); // 班级
        clickRow(0);
        QCOMPARE(classesOf(sb(), {"a", "b"}), "1 2");
    }

    // Another program divides again after the grid read the students: the
    // division takes them out and writes them back in another order, so
    // the row a student was read from names another one now. A name typed
    // into the grid is saved onto the student of the row's 编号 all the same.
    void editAfterAnotherDivisionSavesByNumber()
    {
        makeStore(sb(), {"是否班干部"});
        addStudents(sb(), intake(12, {"是否班干部"}));
        sb().prompt.messages.clear();
        form()->resultsPanel()->show();
        grid()->bindTable(sb().ctx, "studscore");
        const QStringList before = tableRows(sb(), "studscore");
        const int row = 1;
        QCOMPARE(this->row(row).at(0), "s001");
        const qint64 readAt = grid()->rowSetModel()->rows().rowid(row);

        Session session;
        FakePrompt prompt;
        const Context other{sb().dir.path(), session, prompt};
        DivisionRequest request;
        request.scheme = QStringLiteral("custom");
        request.classes = 3;
        request.useConditions = true;
        request.conditions = {"是否班干部"};
        QVERIFY(CustomDivision(other, request).divided);
        const QStringList after = tableRows(sb(), "studscore");
        // The row read names another student now, or none.
        QVERIFY(Store(sb().ctx.file(Store::fileName()))
                    .column("SELECT \"编号\" FROM studscore WHERE rowid=?", {readAt})
                    .value(0)
                    .toString() != "s001");

        const int name = grid()->rowSetModel()->rows().columnIndex("姓名");
        editCell(row, name, "新名");
        clickRow(row + 1);
        QVERIFY(sb().prompt.messages.isEmpty());
        QStringList expected = after;
        for (QString& line : expected) {
            QStringList cells = line.split(u'|');
            if (cells.at(0) == "s001")
                cells[name] = "新名";
            line = cells.join(u'|');
        }
        QCOMPARE(tableRows(sb(), "studscore"), expected);
        QVERIFY(after != before);
    }

    // A statistics step lets go of the rows the grid showed, saving the
    // change the user had not yet left.
    void statisticsStepSavesAndDetaches()
    {
        placed();
        form()->resultsPanel()->show();
        grid()->bindTable(sb().ctx, "studscore");
        QTest::keyClick(editCell(3, 3, "1"), Qt::Key_Return);
        item("fbttj");
        QCOMPARE(classesOf(sb(), {"d"}), "1");
        QCOMPARE(model()->rowCount(), 2);
        QCOMPARE(model()->headerData(1, Qt::Horizontal).toString(), "总分平均分");
    }

    void statisticsWorkbookOpens()
    {
        placed();
        FileRequests requests;
        item("FlatBttn2");
        QCOMPARE(requests.recorder.urls,
                 QList<QUrl>{QUrl::fromLocalFile(statsWorkbookPath(sb().ctx))});
        QVERIFY(sb().prompt.messages.isEmpty());
        QVERIFY(form()->resultsPanel()->isVisible());
    }

    // 导出到Excel表 is 输出统计信息 of the print group.
    void exportItemOpensTheStatisticsWorkbook()
    {
        placed();
        FileRequests requests;
        click(form(), "Command14");
        click(form(), "FlatBttn8");
        QCOMPARE(requests.recorder.urls,
                 QList<QUrl>{QUrl::fromLocalFile(statsWorkbookPath(sb().ctx))});
        QVERIFY(sb().prompt.messages.isEmpty());
    }

    // 按班生成Excel报表: the roster of every class, opened by the desktop or,
    // when it cannot be, its place told.
    void rosterItem_data()
    {
        QTest::addColumn<bool>("failing");
        QTest::newRow("opened") << false;
        QTest::newRow("cannot open") << true;
    }
    void rosterItem()
    {
        QFETCH(bool, failing);
        placed();
        FileRequests requests(failing);
        click(form(), "Command14");
        click(form(), "FlatBttn6");
        const QStringList books = QDir(sb().dir.path()).entryList({"花名表-*.xlsx"});
        QCOMPARE(books.size(), 1);
        const QString path = sb().ctx.file(books.first());
        QCOMPARE(sb().state.ClassCount, qint16(2));
        QVERIFY(sb().prompt.progressCalls.contains(qMakePair(2, 2)));
        QVERIFY(form()->progressBar()->isHidden());
        QCOMPARE(requests.recorder.urls,
                 failing ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(sb().prompt.messages,
                 failing ? QStringList{"Quorvel\t" + openWorkbookFailedMessage(path)}
                         : QStringList{});
    }

    void rosterItemWithAStudentUnplaced()
    {
        placed();
        OpenStore(sb().ctx).exec("UPDATE studscore SET \"班级\" = 0 WHERE \"编号\" = 'd'");
        FileRequests requests;
        click(form(), "Command14");
        click(form(), "FlatBttn6");
        QCOMPARE(sb().prompt.messages, QStringList{"Quorvel\t" + unplacedMessage()});
        QVERIFY(requests.recorder.urls.isEmpty());
        QCOMPARE(QDir(sb().dir.path()).entryList({"*.xlsx"}), QStringList{});
    }

    void statisticsWorkbookCannotOpen_data()
    {
        QTest::addColumn<bool>("classes");
        QTest::newRow("request fails") << true;
        QTest::newRow("no workbook") << false;
    }
    void statisticsWorkbookCannotOpen()
    {
        QFETCH(bool, classes);
        if (classes)
            placed();
        else
            makeStore(sb(), {});
        FileRequests requests(classes);
        item("FlatBttn2");
        const QString path = statsWorkbookPath(sb().ctx);
        QCOMPARE(sb().prompt.last(), QStringLiteral("对不起不能打开") +
                                         QDir::toNativeSeparators(path) +
                                         QStringLiteral("，请手动打开。"));
        QVERIFY(requests.recorder.urls.isEmpty());
    }

    void templateOpens()
    {
        makeStore(sb(), {"原学校"});
        FileRequests requests;
        click(form(), "openexcel");
        QCOMPARE(requests.recorder.urls,
                 QList<QUrl>{QUrl::fromLocalFile(sb().ctx.file(templateFile()))});
        QVERIFY(sb().prompt.messages.isEmpty());
        QVERIFY(form()->studentGrid()->isHidden());
        QVERIFY(form()->resultsPanel()->isHidden());
    }

    void templateCannotOpen()
    {
        FileRequests requests(true);
        click(form(), "openexcel");
        QCOMPARE(sb().prompt.messages, QStringList{"Quorvel\t" + Form1::missingTemplateMessage()});
        QCOMPARE(QDir(sb().dir.path()).entryList(QDir::Files), QStringList{});
        makeStore(sb(), {});
        click(form(), "openexcel");
        QCOMPARE(sb().prompt.last(), QStringLiteral("对不起不能打开") +
                                         QDir::toNativeSeparators(sb().ctx.file(templateFile())) +
                                         QStringLiteral("，请手动打开。"));
    }

    // The wait cursor is up while the adjustment runs and gone after it,
    // also when a store failure ends it.
    void busyCursor()
    {
        Sandbox box;
        CursorPrompt prompt;
        const Context ctx{box.dir.path(), box.state, prompt};
        makeStore(box, {});
        addStudents(box, parseIntake("a/男/80 b/女/81 c/男/70 d/女/60"));
        Store(ctx.file(Store::fileName())).exec("UPDATE studscore SET \"班级\"=rowid % 2 + 1");
        Form1 window(ctx);
        window.show();
        window.adjustAutomatically();
        QVERIFY(prompt.last().startsWith(adjusted));
        QCOMPARE(prompt.shapes.last(), Qt::WaitCursor);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(QFile::remove(ctx.file(Store::fileName())));
        window.adjustAutomatically();
        QVERIFY(prompt.last().contains("gsls.dll"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(window.progressBar()->isHidden());
    }
};

QTEST_MAIN(TestResults)
#include "test_results.moc"
