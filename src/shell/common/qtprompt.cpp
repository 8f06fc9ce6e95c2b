#include "qtprompt.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace quorvel {

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The buttons carry Chinese captions whether or not Qt's own translations
// are installed.
void nameButton(QMessageBox& box, QMessageBox::StandardButton which, const QString& caption)
{
    if (QAbstractButton* button = box.button(which))
        button->setText(caption);
}

// While a box waits for the user, the arrow stands in for a wait cursor an
// operation may have set; nothing changes when there is none.
class ArrowWhileAsking {
public:
    ArrowWhileAsking() : m_pushed(QApplication::overrideCursor() != nullptr)
    {
        if (m_pushed)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileAsking()
    {
        if (m_pushed)
            QApplication::restoreOverrideCursor();
    }
    ArrowWhileAsking(const ArrowWhileAsking&) = delete;
    ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

private:
    bool m_pushed;
};

// A window that stays above the others: a box of its own must too.
bool staysOnTop(const QWidget* w)
{
    return w && w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

QWidget* windowOnTop()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto it = std::find_if(windows.cbegin(), windows.cend(),
                                 [](const QWidget* w) { return staysOnTop(w); });
    return it == windows.cend() ? nullptr : *it;
}

} // namespace

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

void QtPrompt::attach(QWidget* window, QProgressBar* bar)
{
    m_window = window;
    m_bar = bar;
}

// The window the user works in owns the box (a dialog's messages open over
// that dialog); else a window that stays on top, else the main window.
QWidget* QtPrompt::owner() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible())
        return active;
    QWidget* onTop = windowOnTop();
    return onTop ? onTop : m_window.data();
}

// While a window stays on top, the boxes stay above it.
void QtPrompt::keepAbove(QWidget& dialog)
{
    if (windowOnTop())
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void QtPrompt::prepare(QMessageBox& box, const QString& text, const QString& title,
                       PromptIcon icon) const
{
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(boxIcon(icon));
    box.setTextFormat(Qt::PlainText);
    keepAbove(box);
}

void QtPrompt::showMessage(const QString& text, const QString& title, PromptIcon icon)
{
    QMessageBox box(owner());
    prepare(box, text, title, icon);
    box.setStandardButtons(QMessageBox::Ok);
    nameButton(box, QMessageBox::Ok, QStringLiteral("确定"));
    const ArrowWhileAsking arrow;
    box.exec();
}

bool QtPrompt::askQuestion(const QString& text, const QString& title, PromptIcon icon,
                           DefaultAnswer defaultAnswer)
{
    QMessageBox box(owner());
    prepare(box, text, title, icon);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(defaultAnswer == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    nameButton(box, QMessageBox::Yes, QStringLiteral("是(&Y)"));
    nameButton(box, QMessageBox::No, QStringLiteral("否(&N)"));
    const ArrowWhileAsking arrow;
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompt::askInput(const QString& text, const QString& title,
                                          const QString& initial)
{
    QInputDialog dialog(owner());
    keepAbove(dialog);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(text);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    const ArrowWhileAsking arrow;
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

// A bar that reached its end goes soon after, unless the operation
// reports progress again.
void QtPrompt::progress(int value, int maximum)
{
    if (!m_bar)
        return;
    const int call = ++*m_progressCalls;
    if (maximum <= 0) {
        m_bar->reset();
        m_bar->hide();
    } else {
        m_bar->setRange(0, maximum);
        m_bar->setValue(qBound(0, value, maximum));
        m_bar->show();
    }
    if (maximum > 0 && value >= maximum) {
        QTimer::singleShot(kFullBarMs, m_bar.data(), [bar = m_bar, calls = m_progressCalls, call] {
            if (bar && *calls == call) {
                bar->reset();
                bar->hide();
            }
        });
    }
    // The operation runs inside the click: let the window repaint the bar.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace quorvel
