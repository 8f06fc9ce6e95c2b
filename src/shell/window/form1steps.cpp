// The items of the main window that start the work of the engine: the
// template, the division wizard, the statistics and the adjustment.
#include "form1.h"

#include "shell/common/desktopopen.h"

#include "navpanel.h"
#include "shell/common/qtprompt.h"
#include "shell/results/ftiao.h"
#include "shell/results/resultspanel.h"
#include "shell/results/rowsetgrid.h"
#include "shell/wizard/form2.h"
#include "shell/wizard/form3.h"
#include "shell/wizard/form4.h"
#include "shell/wizard/form7.h"
#include "studentgridview.h"

#include "adjust/autoadjust.h"
#include "adjust/manualadjust.h"
#include "adjust/transfer.h"
#include "excel/import.h"
#include "excel/template.h"
#include "sources/templateimport.h"
#include "stats/display.h"
#include "stats/roster.h"
#include "store/store.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTableView>
#include <QToolButton>
#include <QUrl>

namespace quorvel {

Form1::~Form1() = default;

// The dialogs are windows of their own, not children of the main window:
// each has controls named like controls of the main window.
void Form1::buildWizard()
{
    m_form4 = std::make_unique<Form4>(m_ctx, this);
    m_form2 = std::make_unique<Form2>(m_ctx, m_form4.get(), this);
    m_form7 = std::make_unique<Form7>(m_ctx, this);
    m_form3 = std::make_unique<Form3>(m_ctx, m_form2.get(), m_form7.get(), this);
    connect(m_form2.get(), &Form2::cancelled, m_grid, &QWidget::hide);
    connect(m_form4.get(), &Form4::cancelled, m_grid, &QWidget::hide);
    connect(m_form4.get(), &Form4::divided, this, &Form1::divisionFinished);
    buildPresets();
}

QString Form1::noDatabaseMessage()
{
    return QStringLiteral("还没有学生数据库，请先单击“第一步创建数据库”。");
}

QString Form1::missingTemplateMessage()
{
    return QStringLiteral("找不到Excel模板") + templateFile() +
           QStringLiteral("，请先单击“第一步创建数据库”。");
}

// Asks the desktop to open a workbook with its application; false when the
// workbook is missing or nothing could open it.
bool Form1::openDocument(const QString& path)
{
    return QFileInfo::exists(path) && openWithDesktop(QUrl::fromLocalFile(path));
}

// A workbook the program wrote: the status bar says where it is, and when
// nothing opens it the user is told to open it by hand.
void Form1::showWrittenDocument(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    m_saved->setText(QStringLiteral("已保存：") + native);
    if (!openDocument(path))
        m_ctx.prompt.message(openWorkbookFailedMessage(native), appTitle());
}

// Step 2: the user edits the template in the spreadsheet program.
void Form1::openexcel_Click()
{
    const QString path = m_ctx.file(templateFile());
    if (!QFileInfo::exists(path)) {
        m_ctx.prompt.message(missingTemplateMessage(), appTitle(), PromptIcon::Exclamation);
        return;
    }
    if (!openDocument(path))
        m_ctx.prompt.message(openWorkbookFailedMessage(QDir::toNativeSeparators(path)), appTitle(),
                             PromptIcon::Exclamation);
}

void Form1::refreshStudents()
{
    reportErrors(m_ctx.prompt, [this] { ShowStudents(m_ctx, m_grid, countLabel()); });
    followOnBoard();
}

// Step 3: the import question, then, whatever became of it, the scheme
// dialog and the student grid. Without a database there is nothing to
// divide: the user is sent to step 1.
void Form1::fb_Click()
{
    if (!QFileInfo::exists(m_ctx.file(Store::fileName()))) {
        m_ctx.prompt.message(noDatabaseMessage(), appTitle(), PromptIcon::Exclamation);
        return;
    }
    {
        const BusyCursor busy;
        reportErrors(m_ctx.prompt, [this] { AskAndImport(m_ctx); });
    }
    m_form3->showDialog();
    m_grid->raise();
    m_grid->show();
    refreshStudents();
}

// What every statistics step does first: the data grid lets its rows go and
// the student grid makes room.
void Form1::beginStatistics()
{
    m_resultsGrid->detach();
    m_grid->hide();
}

void Form1::showStatistics(const StatsStepResult& step)
{
    if (step.declined)
        return;
    m_results->showForStatistics();
    item(QStringLiteral("FlatBttn2"))->setEnabled(true);
    reportErrors(m_ctx.prompt, [&] { m_results->showStatistics(m_ctx, step.display); });
    // The first line of the rules' check, every rule not held under it.
    m_rulesState->setText(step.display.rules.value(0));
    m_rulesState->setToolTip(step.display.rules.join(u'\n'));
    followOnBoard();
}

void Form1::fbttj_Click()
{
    const BusyCursor busy;
    beginStatistics();
    reportErrors(m_ctx.prompt, [this] { showStatistics(quorvel::runStatisticsStep(m_ctx)); });
}

void Form1::FlatBttn2_Click()
{
    fbttj_Click();
    FlatBttn35_Click();
}

// The adjustment shows the statistics after each of its steps; the bar
// goes when it ends, however it ends.
void Form1::FlatBttn7_Click()
{
    const BusyCursor busy;
    beginStatistics();
    AdjustOptions options;
    options.onStatistics = [this](const StatsStepResult& step) { showStatistics(step); };
    reportErrors(m_ctx.prompt, [&] { quorvel::runAutomaticAdjustment(m_ctx, options); });
    m_ctx.prompt.progress(0, 0);
}

void Form1::FlatBttn34_Click()
{
    const BusyCursor busy;
    m_resultsGrid->detach();
    reportErrors(m_ctx.prompt, [this] { m_results->showStatistics(m_ctx, StatsDisplay(m_ctx)); });
}

void Form1::FlatBttn35_Click()
{
    showWrittenDocument(statsWorkbookPath(m_ctx));
}

void Form1::buildManualAdjustment()
{
    m_ftiao = std::make_unique<Ftiao>(m_ctx);
    // The data grid lets its rows go before the exchanges; afterwards it
    // shows the statistics, or what it showed before when nothing changed.
    connect(m_ftiao.get(), &Ftiao::adjusting, this, [this] { m_resultsGrid->commitEdits(); });
    connect(m_ftiao.get(), &Ftiao::adjusted, this, [this](const StatsStepResult* step) {
        if (step) {
            beginStatistics();
            showStatistics(*step);
        }
    });
}

// The statistics step; the dialog opens only when every student is placed.
void Form1::FlatBttn3_Click()
{
    bool open = false;
    {
        const BusyCursor busy;
        beginStatistics();
        reportErrors(m_ctx.prompt, [&] {
            StatsStepResult step;
            open = ManualAdjustStart(m_ctx, step);
            showStatistics(step);
        });
    }
    if (open)
        m_ftiao->showDialog();
}

// The results panel with every student, by class and total.
void Form1::FlatBttn5_Click()
{
    m_grid->hide();
    m_results->raise();
    m_results->show();
    m_resultsGrid->commitEdits();
    reportErrors(m_ctx.prompt, [this] {
        StudentRows all = ListAllStudents(m_ctx);
        m_resultsGrid->bindRows(m_ctx, std::move(all.store), std::move(all.rows));
    });
}

// 导出到Excel表: the statistics workbook, as 输出统计信息 gives it.
void Form1::FlatBttn8_Click()
{
    FlatBttn2_Click();
}

// 按班生成Excel报表: the statistics build, then the roster of every class,
// opened in the spreadsheet program; the user is told where it is.
void Form1::FlatBttn6_Click()
{
    RosterResult roster;
    {
        const BusyCursor busy;
        reportErrors(m_ctx.prompt, [&] { roster = RosterByClass(m_ctx); });
        m_ctx.prompt.progress(0, 0);
    }
    if (roster.outcome == RosterOutcome::Written)
        showWrittenDocument(roster.path);
}

// The last dialog has placed the students: the grid shows their classes,
// then the automatic adjustment runs and ends on the statistics.
void Form1::divisionFinished()
{
    refreshStudents();
    FlatBttn7_Click();
}

} // namespace quorvel
