#include "wizarddialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace quorvel {

namespace {

constexpr int DialogWidth = 460;

const char* dialogStyle()
{
    return "QDialog { background-color: rgb(246, 248, 252); }"
           "QGroupBox { background-color: white; border: 1px solid rgb(170, 184, 222);"
           "  border-radius: 3px; }"
           "#Label1 { font-weight: bold; color: rgb(28, 48, 108); }"
           "#Label2 { color: rgb(60, 66, 80); }";
}

} // namespace

WizardDialog::WizardDialog(const Context& ctx, const QString& name, const QString& caption,
                           QWidget* owner)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ctx(ctx), m_owner(owner)
{
    setObjectName(name);
    setWindowTitle(caption);
    setModal(false);
    setStyleSheet(QString::fromLatin1(dialogStyle()));
}

void WizardDialog::build(QWidget* controls, const QString& note, const QString& nextName,
                         const QString& cancelName)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 16, 14);
    column->setSpacing(12);
    column->addWidget(controls);
    column->addWidget(buildNote(note));
    column->addStretch(1);
    column->addLayout(buildButtons(nextName, cancelName));
    setTabOrder(m_next, m_cancel);
    const QSize hint = sizeHint();
    setFixedSize(qMax(DialogWidth, hint.width()), hint.height());
}

QGroupBox* WizardDialog::controlFrame(const QString& name, QGridLayout*& grid)
{
    auto* frame = new QGroupBox(this);
    frame->setObjectName(name);
    grid = new QGridLayout(frame);
    grid->setContentsMargins(16, 14, 16, 14);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    return frame;
}

QWidget* WizardDialog::buildNote(const QString& note)
{
    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    auto* title = new QLabel(QStringLiteral("说明："), strip);
    title->setObjectName(QStringLiteral("Label1"));
    auto* text = new QLabel(note, strip);
    text->setObjectName(QStringLiteral("Label2"));
    text->setWordWrap(true);
    row->addWidget(title, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    return strip;
}

QBoxLayout* WizardDialog::buildButtons(const QString& nextName, const QString& cancelName)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    m_next = new QPushButton(QStringLiteral("下一步"), this);
    m_next->setObjectName(nextName);
    m_next->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_cancel->setObjectName(cancelName);
    for (QPushButton* button : {m_next, m_cancel}) {
        button->setMinimumWidth(88);
        row->addWidget(button);
    }
    return row;
}

void WizardDialog::showDialog()
{
    if (isVisible()) {
        raise();
    } else {
        load();
        stayInFrontOfOwner();
        show();
        firstControl()->setFocus(Qt::OtherFocusReason);
    }
    activateWindow();
}

// The main window is the dialog's transient parent: the window system keeps
// the dialog in front of it and the dialog opens centred over it.
void WizardDialog::stayInFrontOfOwner()
{
    if (!m_owner || !m_owner->isWindow())
        return;
    m_owner->winId();
    winId();
    if (windowHandle() && m_owner->windowHandle())
        windowHandle()->setTransientParent(m_owner->windowHandle());
}

// Esc is the Cancel button, with all its consequences; closing the window
// by its title bar only hides it.
void WizardDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        m_cancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace quorvel
