// The class board of the main window.
#include "form1.h"

#include "shell/board/boardwindow.h"
#include "shell/history/historyactions.h"
#include "studentgridview.h"

#include "store/store.h"

#include <QFileInfo>

namespace quorvel {

void Form1::showBoard()
{
    if (!QFileInfo::exists(m_ctx.file(Store::fileName()))) {
        m_ctx.prompt.message(noDatabaseMessage(), appTitle(), PromptIcon::Exclamation);
        return;
    }
    if (!m_board) {
        m_board = new BoardWindow(m_ctx, this);
        // The grid under the panels shows the classes the board moved.
        connect(m_board, &BoardWindow::classesChanged, this, [this] {
            reportErrors(m_ctx.prompt, [this] { ShowStudents(m_ctx, m_grid, countLabel()); });
            followStatistics(statisticsShown());
            m_historyActions->updateState();
        });
        // Ctrl+Z and Ctrl+Y work on the board too, and it shows what undo,
        // redo or a restore brought back.
        m_board->addAction(m_historyActions->undoAction());
        m_board->addAction(m_historyActions->redoAction());
        connect(this, &Form1::classesChanged, this, &Form1::followOnBoard);
    }
    m_board->refresh();
    m_board->show();
    m_board->raise();
    m_board->activateWindow();
}

void Form1::followOnBoard()
{
    if (m_board && m_board->isVisible())
        m_board->refresh();
}

} // namespace quorvel
