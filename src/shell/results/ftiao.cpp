#include "ftiao.h"

#include "shell/common/namedcontrols.h"

#include "shell/common/qtprompt.h"

#include "adjust/manualadjust.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

const char* dialogStyle()
{
    return "QDialog { background-color: rgb(246, 248, 252); }"
           "#Frame1 { background-color: white; border: 1px solid rgb(170, 184, 222);"
           "  border-radius: 3px; }"
           "#Label13 { color: rgb(60, 66, 80); }";
}

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setMinimumWidth(88);
    return b;
}

} // namespace

Ftiao::Ftiao(const Context& ctx)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                           Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      m_ctx(ctx)
{
    setObjectName(QStringLiteral("Ftiao"));
    setWindowTitle(QStringLiteral("手动调整"));
    setModal(false);
    setStyleSheet(QString::fromLatin1(dialogStyle()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 16, 14);
    column->addWidget(buildFrame());
    setFixedSize(qMax(380, sizeHint().width()), sizeHint().height());
    connect(m_adjust, &QPushButton::clicked, this, &Ftiao::adjustPair);
    connect(m_return, &QPushButton::clicked, this, &Ftiao::goBack);
}

QWidget* Ftiao::buildFrame()
{
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(18, 16, 18, 16);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(12);
    m_high = numberBox(QStringLiteral("Text14"), 90, frame);
    m_low = numberBox(QStringLiteral("Text15"), 90, frame);
    m_adjust = button(QStringLiteral("调   整"), QStringLiteral("Command1"), frame);
    m_adjust->setDefault(true);
    m_return = button(QStringLiteral("返   回"), QStringLiteral("Command2"), frame);
    auto* note = caption(QStringLiteral("    请输入高分班号和低分班的班号,然后单击开始调整"),
                         QStringLiteral("Label13"), frame);
    note->setWordWrap(true);
    grid->addWidget(caption(QStringLiteral("高分班班号"), QStringLiteral("Label10"), frame), 0, 0);
    grid->addWidget(m_high, 0, 1);
    grid->addWidget(m_adjust, 0, 2);
    grid->addWidget(caption(QStringLiteral("低分班班号"), QStringLiteral("Label12"), frame), 1, 0);
    grid->addWidget(m_low, 1, 1);
    grid->addWidget(m_return, 1, 2);
    grid->addWidget(note, 2, 0, 1, 3);
    setTabOrder(m_high, m_low);
    setTabOrder(m_low, m_adjust);
    setTabOrder(m_adjust, m_return);
    return frame;
}

void Ftiao::showDialog()
{
    if (!isVisible()) {
        m_high->clear();
        m_low->clear();
        show();
        m_high->setFocus(Qt::OtherFocusReason);
    }
    raise();
    activateWindow();
}

void Ftiao::adjustPair()
{
    emit adjusting();
    ManualResult result;
    {
        const BusyCursor busy;
        reportErrors(m_ctx.prompt, [&] {
            const ManualEntry entry = manualRequest(m_ctx, m_high->text(), m_low->text());
            if (entry.request)
                result = ManualAdjust(m_ctx, *entry.request);
        });
    }
    emit adjusted(result.statistics ? &*result.statistics : nullptr);
}

void Ftiao::goBack()
{
    close();
}

} // namespace quorvel
