#include "form1.h"

#include "shell/history/historyactions.h"
#include "shell/results/rowsetgrid.h"

#include <QTableView>
#include <utility>

namespace quorvel {

void Form1::buildHistory()
{
    m_historyActions = new HistoryActions(m_ctx, this);
    // The data grid saves an edit and lets its rows go: what it showed was
    // read before the classes were replaced.
    connect(m_historyActions, &HistoryActions::aboutToChange, this, [this] {
        m_statisticsBeforeChange = statisticsShown();
        m_resultsGrid->detach();
    });
    connect(m_historyActions, &HistoryActions::classesChanged, this, &Form1::refreshClasses);
}

void Form1::refreshClasses()
{
    refreshStudents();
    if (!followStatistics(std::exchange(m_statisticsBeforeChange, false))) {
        m_grid->raise();
        m_grid->show();
    }
    emit classesChanged();
}

} // namespace quorvel
