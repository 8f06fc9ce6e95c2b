#include "qtprompt.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

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

void QtPrompt::prepare(QMessageBox& box, const QString& text, const QString& title,
                       PromptIcon icon) const
{
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(boxIcon(icon));
    box.setTextFormat(Qt::PlainText);
}

void QtPrompt::message(const QString& text, const QString& title, PromptIcon icon)
{
    QMessageBox box(m_window);
    prepare(box, text, title, icon);
    box.setStandardButtons(QMessageBox::Ok);
    nameButton(box, QMessageBox::Ok, QStringLiteral("确定"));
    const ArrowWhileAsking arrow;
    box.exec();
}

bool QtPrompt::question(const QString& text, const QString& title, PromptIcon icon,
                        DefaultAnswer defaultAnswer)
{
    QMessageBox box(m_window);
    prepare(box, text, title, icon);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(defaultAnswer == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    nameButton(box, QMessageBox::Yes, QStringLiteral("是(&Y)"));
    nameButton(box, QMessageBox::No, QStringLiteral("否(&N)"));
    const ArrowWhileAsking arrow;
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompt::input(const QString& text, const QString& title,
                                       const QString& initial)
{
    QInputDialog dialog(m_window);
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

void QtPrompt::progress(int value, int maximum)
{
    if (!m_bar)
        return;
    if (maximum <= 0) {
        m_bar->reset();
        m_bar->hide();
    } else {
        m_bar->setRange(0, maximum);
        m_bar->setValue(qBound(0, value, maximum));
        m_bar->show();
    }
    // The operation runs inside the click: let the window repaint the bar.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace quorvel
