#pragma once

#include "core/context.h"

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace quorvel {

class HistoryDialog;

// 撤销, 重做 and 历史版本 of the main window: the menu 编辑, and a toolbar at
// the end of the menu bar with the three (Ctrl+Z, Ctrl+Y). Undo and redo are enabled only when
// there is something to take back or do again, and name it ("撤销 个别学生调班"); the state is read
// again after every click and key of the program and whenever the menu opens.
class HistoryActions : public QObject {
    Q_OBJECT
public:
    HistoryActions(const Context& ctx, QMainWindow* window);
    ~HistoryActions() override;

    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }
    QAction* historyAction() const { return m_history; }
    QToolBar* toolBar() const { return m_bar; }
    HistoryDialog* historyDialog() const { return m_dialog; }

    static QString undoText(const QString& operation);
    static QString redoText(const QString& operation);

public slots:
    // Reads what undo and redo would do now.
    void updateState();
    void undo();
    void redo();
    void showHistory();

signals:
    // The classes are about to be replaced: the grids save their edits.
    void aboutToChange();
    // Undo, redo or a restore replaced the classes.
    void classesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleUpdate();

    Context m_ctx;
    QMainWindow* m_window;
    QMenu* m_menu = nullptr;
    QToolBar* m_bar = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_history = nullptr;
    HistoryDialog* m_dialog = nullptr;
    bool m_updatePending = false;
};

} // namespace quorvel
