// The statistics and the adjustments on the main window: the statistics
// step and its workbook, the automatic and the manual adjustment, the list
// of every student and the roster workbook.
#include "form1.h"

#include "shell/common/qtprompt.h"
#include "shell/results/ftiao.h"
#include "shell/results/resultspanel.h"
#include "shell/results/rowsetgrid.h"

#include "adjust/autoadjust.h"
#include "adjust/manualadjust.h"
#include "adjust/transfer.h"
#include "stats/display.h"
#include "stats/roster.h"

#include <QLabel>
#include <QTableView>
#include <QToolButton>

namespace quorvel {

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
    // Students without 性别 first, then the first line of the rules' check,
    // every rule not held under it.
    QStringList state = step.display.rules;
    if (!step.display.heading.isEmpty())
        state.prepend(step.display.heading);
    m_rulesState->setText(state.value(0));
    m_rulesState->setToolTip(state.join(u'\n'));
    followOnBoard();
}

void Form1::runStatistics()
{
    const BusyCursor busy;
    beginStatistics();
    reportErrors(m_ctx.prompt, [this] { showStatistics(quorvel::runStatisticsStep(m_ctx)); });
}

void Form1::exportStatistics()
{
    runStatistics();
    openStatisticsWorkbook();
}

// The adjustment shows the statistics after each of its steps; the bar
// goes when it ends, however it ends.
void Form1::adjustAutomatically()
{
    const BusyCursor busy;
    beginStatistics();
    AdjustOptions options;
    options.onStatistics = [this](const StatsStepResult& step) { showStatistics(step); };
    reportErrors(m_ctx.prompt, [&] { quorvel::runAutomaticAdjustment(m_ctx, options); });
    m_ctx.prompt.progress(0, 0);
}

void Form1::showStatisticsTable()
{
    const BusyCursor busy;
    m_resultsGrid->detach();
    reportErrors(m_ctx.prompt, [this] { m_results->showStatistics(m_ctx, StatsDisplay(m_ctx)); });
}

// Statistics on the screen follow every change of the classes: read again
// without a word (a student without a class leaves them as they were).
bool Form1::statisticsShown() const
{
    return m_results->isVisible() && m_results->showsStatistics();
}

bool Form1::followStatistics(bool shown)
{
    if (!shown)
        return false;
    QuietPrompt quiet;
    const Context aside{m_ctx.folder, m_ctx.state, quiet};
    m_resultsGrid->detach();
    reportErrors(m_ctx.prompt, [&] { m_results->showStatistics(aside, StatsDisplay(aside)); });
    return true;
}

void Form1::openStatisticsWorkbook()
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
void Form1::openManualAdjustment()
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
void Form1::listAllStudents()
{
    m_grid->hide();
    m_results->raise();
    m_results->show();
    m_resultsGrid->commitEdits();
    reportErrors(m_ctx.prompt, [this] { m_resultsGrid->bindRows(m_ctx, ListAllStudents(m_ctx)); });
}

// 按班生成Excel报表: the statistics build, then the roster of every class,
// opened in the spreadsheet program; the user is told where it is.
void Form1::writeRosters()
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

} // namespace quorvel
