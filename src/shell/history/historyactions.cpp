#include "historyactions.h"

#include "historydialog.h"

#include "history/history.h"
#include "store/errors.h"
#include "store/store.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

namespace quorvel {

HistoryActions::HistoryActions(const Context& ctx, QMainWindow* window)
    : QObject(window), m_ctx(ctx), m_window(window)
{
    m_menu = window->menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    m_menu->setObjectName(QStringLiteral("editMenu"));
    m_undo = m_menu->addAction(undoText({}), this, &HistoryActions::undo);
    m_undo->setObjectName(QStringLiteral("undoAction"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = m_menu->addAction(redoText({}), this, &HistoryActions::redo);
    m_redo->setObjectName(QStringLiteral("redoAction"));
    m_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    m_menu->addSeparator();
    m_history = m_menu->addAction(QStringLiteral("历史版本…"), this, &HistoryActions::showHistory);
    m_history->setObjectName(QStringLiteral("historyAction"));
    connect(m_menu, &QMenu::aboutToShow, this, &HistoryActions::updateState);

    // The toolbar sits at the end of the menu bar: the work area keeps the
    // height it was laid out for.
    m_bar = new QToolBar(QStringLiteral("编辑"), window);
    m_bar->setObjectName(QStringLiteral("editToolBar"));
    m_bar->setMovable(false);
    window->menuBar()->setCornerWidget(m_bar, Qt::TopRightCorner);
    m_bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_bar->addAction(m_undo);
    m_bar->addAction(m_redo);
    m_bar->addAction(m_history);

    qApp->installEventFilter(this);
    updateState();
}

HistoryActions::~HistoryActions()
{
    qApp->removeEventFilter(this);
}

QString HistoryActions::undoText(const QString& operation)
{
    return operation.isEmpty() ? QStringLiteral("撤销") : QStringLiteral("撤销 ") + operation;
}

QString HistoryActions::redoText(const QString& operation)
{
    return operation.isEmpty() ? QStringLiteral("重做") : QStringLiteral("重做 ") + operation;
}

void HistoryActions::updateState()
{
    m_updatePending = false;
    UndoState state;
    if (QFileInfo::exists(m_ctx.file(Store::fileName()))) {
        try {
            state = undoState(m_ctx);
        } catch (const OperationError&) {
            // No usable database: nothing to undo.
        }
    }
    m_undo->setEnabled(state.undo.has_value());
    m_undo->setText(undoText(state.undo.value_or(QString())));
    m_redo->setEnabled(state.redo.has_value());
    m_redo->setText(redoText(state.redo.value_or(QString())));
}

void HistoryActions::undo()
{
    emit aboutToChange();
    bool changed = false;
    reportErrors(m_ctx.prompt, [&] { changed = UndoChange(m_ctx).has_value(); });
    updateState();
    if (changed)
        emit classesChanged();
}

void HistoryActions::redo()
{
    emit aboutToChange();
    bool changed = false;
    reportErrors(m_ctx.prompt, [&] { changed = RedoChange(m_ctx).has_value(); });
    updateState();
    if (changed)
        emit classesChanged();
}

void HistoryActions::showHistory()
{
    if (!m_dialog) {
        m_dialog = new HistoryDialog(m_ctx, m_window);
        connect(m_dialog, &HistoryDialog::aboutToRestore, this, &HistoryActions::aboutToChange);
        connect(m_dialog, &HistoryDialog::restored, this, [this] {
            updateState();
            emit classesChanged();
        });
    }
    m_dialog->showDialog();
}

// Every operation is a click or a key; once it has run, undo and redo may
// have changed.
bool HistoryActions::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::WindowActivate:
        scheduleUpdate();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void HistoryActions::scheduleUpdate()
{
    if (m_updatePending)
        return;
    m_updatePending = true;
    QTimer::singleShot(0, this, &HistoryActions::updateState);
}

} // namespace quorvel
