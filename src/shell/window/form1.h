#pragma once

#include "core/context.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QProgressBar;
class QTableView;
class QToolButton;

namespace quorvel {

class BoardWindow;
class BoarderPanel;
class CreatePanel;
class FastSlowPanel;
class Form2;
class Form3;
class Form4;
class Ftiao;
class Form7;
class HistoryActions;
class LinkLabel;
class NavPanel;
class PanelMover;
class PreciseDialog;
class RulesDialog;
class ResultsPanel;
class RowSetGrid;
class SubjectPanel;
struct StatsStepResult;
struct PreciseResult;
struct BalanceReport;
struct AdjustOptions;
struct DivisionRequest;
struct Scheme;

// The main window: the banner across the top, the navigation panel on the
// left, the work area with its overlay panels and the student grid on the
// right, the progress bar at the foot. It lives for the whole run; every
// operation starts from one of its items.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(const Context& ctx, QWidget* parent = nullptr);
    ~Form1() override;

    static QString caption();
    static QString webAddress();
    static QString creditsText();

    const Context& context() const { return m_ctx; }
    NavPanel* navPanel() const { return m_nav; }
    QToolButton* item(const QString& name) const;
    QLabel* countLabel() const;                                 // Label11
    QWidget* workArea() const { return m_work; }                // Picture1
    QTableView* studentGrid() const { return m_grid; }          // Mgd1
    CreatePanel* createPanel() const { return m_create; }       // Frmcreate
    FastSlowPanel* fastSlowPanel() const { return m_fastSlow; } // Frame13
    BoarderPanel* boarderPanel() const { return m_boarder; }    // frm15
    SubjectPanel* subjectPanel() const { return m_subject; }    // Frame1
    ResultsPanel* resultsPanel() const { return m_results; }    // Frmchengji
    RowSetGrid* resultsGrid() const { return m_resultsGrid; }   // DataGrid3
    QProgressBar* progressBar() const { return m_bar; }         // gbar2
    QLabel* savedLabel() const { return m_saved; }
    // The dialogs of the division wizard, one instance each.
    Form3* schemeDialog() const { return m_form3.get(); }      // 选择方案
    Form2* conditionsDialog() const { return m_form2.get(); }  // 选择条件
    Form4* topDialog() const { return m_form4.get(); }         // 优生先分
    Ftiao* manualDialog() const { return m_ftiao.get(); }      // 手动调整
    Form7* presetDialog() const { return m_form7.get(); }      // 预设方案
    PreciseDialog* preciseDialog() const { return m_precise; } // 精确调整 report
    // 撤销, 重做 and 历史版本 (menu 编辑 and its toolbar).
    HistoryActions* historyActions() const { return m_historyActions; }
    RulesDialog* rulesDialog() const { return m_rules; } // 分班规则
    BoardWindow* board() const { return m_board; }       // 班级看板, once opened

    // Makes an overlay panel of the work area movable with the mouse; the
    // mover keeps DragStartX and DragStartY.
    void MovePanel(QWidget* panel);
    PanelMover* panelMover() const { return m_mover; }

    // The template and the message when it is missing.
    static QString missingTemplateMessage();
    static QString noDatabaseMessage();

public slots:
    // The items of the navigation panel, one handler each; the item's
    // name and the handler it had in the original form are in the comment.
    // 第一步创建数据库 (create, create_Click): the create panel.
    void showCreatePanel();
    // 第二步数据输入 (openexcel, openexcel_Click): the template in the
    // spreadsheet program.
    void openTemplate();
    // 第三步分班操作 (fb, fb_Click): the import question, then the scheme
    // dialog over the student grid.
    void startDivision();
    // 分班规则 (rules, rules_Click).
    void showRules();
    // 信息统计 (fbttj, fbttj_Click): the statistics step.
    void runStatistics();
    // 输出统计信息 (FlatBttn2, FlatBttn2_Click) and 导出到Excel表
    // (FlatBttn8, FlatBttn8_Click): the statistics step, then its workbook
    // opened.
    void exportStatistics();
    // 自动调整 (FlatBttn7, FlatBttn7_Click): the automatic adjustment.
    void adjustAutomatically();
    // 精确调整 (jingque, jingque_Click): the precise balancing, its report
    // and the statistics.
    void adjustPrecisely();
    // 按总分均衡各科成绩 of the preset dialog (subjectBalance_Click).
    void balanceSubjects();
    // 手动调整 (FlatBttn3, FlatBttn3_Click): the statistics step, then the
    // dialog of the manual adjustment.
    void openManualAdjustment();
    // 个别学生调班 (FlatBttn5, FlatBttn5_Click): the results panel with
    // every student.
    void listAllStudents();
    // 班级看板 (kanban, kanban_Click): the classes side by side as columns
    // of student cards.
    void showBoard();
    // 按班生成Excel报表 (FlatBttn6, FlatBttn6_Click): the roster workbook.
    void writeRosters();
    // 公司网站 (fbtweb, fbtweb_Click) and the banner's link (lblweb,
    // lblweb_Click).
    void openWebSite();
    // 关于本软件 (fbthelp, fbthelp_Click): the credits.
    void showCredits();
    // 从表格导入 (sourceimport, sourceImport_Click), 从表格新建数据库
    // (sourcecreate, sourceCreate_Click) and 导出分班结果 (resultexport,
    // resultExport_Click): workbooks the school receives and sends back.
    void importWorkbook();
    // 添加插班生: a workbook's new students join the stored ones with class 0.
    void addLateStudents();
    // 插班生分班: the students of class 0 placed into the classes in use.
    void placeLateStudents();
    void createFromWorkbook();
    void exportResultsWorkbook();
    // Opens the dialog of 从表格导入 on the workbook at path (a file
    // dropped on the window).
    void openSource(const QString& path, bool add = false);
    // The statistics display (FlatBttn34, FlatBttn34_Click) and the opening
    // of its workbook (FlatBttn35, FlatBttn35_Click) of the results panel's
    // side column.
    void showStatisticsTable();
    void openStatisticsWorkbook();
    // A group header (Command7, Command13, Command14 and Command15, their
    // Click handlers): opens the group and closes the results, the create
    // panel and the student grid.
    void openGroup(int group);
    // The panels the preset schemes ask for: fast and slow classes
    // (Frame13), boarders (frm15), one subject (Frame1, its buttons
    // captioned with the subjects given).
    void showFastSlowPanel();
    void showBoarderPanel();
    void showSubjectPanel(const QStringList& subjects);
    // Shows the classes as the store holds them now, after undo, redo or a
    // restore replaced them: the student grid again, then classesChanged().
    void refreshClasses();

signals:
    // The window was closed: the program ends.
    void closed();
    // Undo, redo or a restore replaced the classes: everything that shows
    // classes reads them again.
    void classesChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* buildBanner();
    QWidget* buildWorkArea();
    QWidget* buildProgressBar();
    QFrame* buildOverlay(const QString& name);
    void buildStatusBar();
    void connectItems();
    void connectHeaders();
    void buildWizard();
    void buildManualAdjustment();
    void layoutWorkArea();
    QSize startSize() const;
    bool openDocument(const QString& path);
    void showWrittenDocument(const QString& path);
    void showImported(const QString& text);
    // The statistics read again after the classes changed, when they were
    // shown (statisticsShown() before the change); false otherwise.
    bool followStatistics(bool shown);
    bool statisticsShown() const;
    void refreshStudents();
    // An open class board shows the classes an operation of the window left.
    void followOnBoard();
    void beginStatistics();
    void showStatistics(const StatsStepResult& step);
    void showPrecise(const std::function<PreciseResult(const AdjustOptions&)>& run);
    // The division of request, then what the window shows of it: onDivided
    // (the dialog or panel that asked goes), the refreshed student grid and
    // the automatic adjustment ending on the statistics. True when the
    // students were placed, whatever became of the adjustment.
    // With precise, the precise balancing follows and its report is shown.
    bool divideAndAdjust(const Scheme& scheme, const DivisionRequest& request, bool precise,
                         const std::function<void()>& onDivided);
    void showPreciseReport(const BalanceReport& report);
    void divideWithTopStudents(const DivisionRequest& request);
    void buildPresets();
    void divideBySubject(const DivisionRequest& request);
    void buildHistory();

    Context m_ctx;
    // The last class handed out by the runs of fast and slow classes; 0
    // starts a new series at class 1.
    qint16 FastSlowOffset = 0;
    QLabel* m_banner = nullptr; // Image1
    LinkLabel* m_web = nullptr; // lblweb
    NavPanel* m_nav = nullptr;  // picture2
    QWidget* m_work = nullptr;
    QTableView* m_grid = nullptr;
    CreatePanel* m_create = nullptr;
    FastSlowPanel* m_fastSlow = nullptr;
    BoarderPanel* m_boarder = nullptr;
    SubjectPanel* m_subject = nullptr;
    ResultsPanel* m_results = nullptr;
    RowSetGrid* m_resultsGrid = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_rulesState = nullptr; // what the statistics step says of the rules
    QLabel* m_saved = nullptr;      // the workbook written last
    PanelMover* m_mover = nullptr;
    std::unique_ptr<Form4> m_form4;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<Form3> m_form3;
    std::unique_ptr<Form7> m_form7;
    PreciseDialog* m_precise = nullptr;
    bool m_statisticsBeforeChange = false; // undo, redo or a restore follows them
    RulesDialog* m_rules = nullptr;
    std::unique_ptr<Ftiao> m_ftiao;
    HistoryActions* m_historyActions = nullptr;
    BoardWindow* m_board = nullptr;
};

} // namespace quorvel
