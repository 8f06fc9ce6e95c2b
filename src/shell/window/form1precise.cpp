// The precise balancing on the main window: the item 精确调整 and the
// subject-balancing preset, both ending on the statistics and the report.
#include "form1.h"

#include "shell/common/qtprompt.h"
#include "shell/results/precisedialog.h"

#include "adjust/precise.h"
#include "adjust/subjectbalance.h"

#include <QTableView>
#include <QToolButton>

namespace quorvel {

// Runs one balancing with progress; the statistics panel shows each of
// its statistics steps; the report follows when it balanced.
void Form1::showPrecise(const std::function<PreciseResult(const AdjustOptions&)>& run)
{
    std::optional<BalanceReport> report;
    {
        const BusyCursor busy;
        beginStatistics();
        AdjustOptions options;
        options.onStatistics = [this](const StatsStepResult& step) { showStatistics(step); };
        reportErrors(m_ctx.prompt, [&] { report = run(options).report; });
        m_ctx.prompt.progress(0, 0);
    }
    if (report)
        showPreciseReport(*report);
}

void Form1::showPreciseReport(const BalanceReport& report)
{
    if (!m_precise) {
        m_precise = new PreciseDialog(this);
        m_precise->setModal(false);
    }
    m_precise->showReport(report);
    m_precise->show();
    m_precise->raise();
}

void Form1::adjustPrecisely()
{
    showPrecise([this](const AdjustOptions& options) { return PreciseAdjust(m_ctx, {}, options); });
}

void Form1::balanceSubjects()
{
    showPrecise(
        [this](const AdjustOptions& options) { return SubjectBalancedDivide(m_ctx, {}, options); });
    refreshStudents();
    m_grid->hide(); // the statistics stay in front
}

} // namespace quorvel
