#include "subjectpanel.h"

#include "shell/common/namedcontrols.h"
#include "shell/common/qtprompt.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

constexpr int PerRow = 4;

const char* panelStyle()
{
    return "#Frame1 { background-color: rgb(250, 252, 255);"
           "  border: 1px solid rgb(150, 170, 210); border-radius: 3px; }"
           "#Label18 { color: rgb(28, 48, 108); }";
}

} // namespace

SubjectPanel::SubjectPanel(const Context& ctx, QWidget* parent) : QFrame(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("Frame1"));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QString::fromLatin1(panelStyle()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 16, 18, 16);
    column->setSpacing(14);
    auto* title = new QLabel(QStringLiteral("按单科成绩分班"), this);
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.15);
    title->setFont(f);
    column->addWidget(title);
    column->addWidget(buildButtons());
    m_note = new QLabel(QStringLiteral("方法：先按您所选的科目排序，然后再按S型分班"), this);
    m_note->setObjectName(QStringLiteral("Label18"));
    m_note->setWordWrap(true);
    column->addWidget(m_note);
    m_precise = preciseAfterDivisionBox(this);
    column->addWidget(m_precise);
    column->addStretch(1);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("FlatBttn32"));
    auto* back = new QPushButton(QStringLiteral("返回"), this);
    back->setObjectName(QStringLiteral("FlatBttn33"));
    for (QPushButton* button : {ok, back}) {
        button->setMinimumWidth(88);
        row->addWidget(button);
    }
    column->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &SubjectPanel::divideBySubject);
    connect(back, &QPushButton::clicked, this, &SubjectPanel::goBack);
}

QWidget* SubjectPanel::buildButtons()
{
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    for (int i = 0; i < SubjectButtonCount; ++i) {
        auto* button = new QRadioButton(box);
        button->setObjectName(QStringLiteral("Option6_%1").arg(i));
        button->setEnabled(false);
        grid->addWidget(button, i / PerRow, i % PerRow);
        m_buttons.at(i) = button;
    }
    for (int c = 0; c < PerRow; ++c)
        grid->setColumnStretch(c, 1);
    return box;
}

// An exclusive button can only be unchecked with its group's rule lifted.
void SubjectPanel::resetButton(QRadioButton* button)
{
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
    button->setText({});
    button->setEnabled(false);
}

void SubjectPanel::setSubjects(const QStringList& subjects)
{
    for (int i = 0; i < SubjectButtonCount; ++i) {
        QRadioButton* button = m_buttons.at(i);
        if (i >= subjects.size()) {
            resetButton(button);
            continue;
        }
        if (button->text() != subjects.at(i))
            resetButton(button);
        button->setText(subjects.at(i));
        button->setEnabled(true);
    }
}

QString SubjectPanel::chosenSubject() const
{
    for (const QRadioButton* button : m_buttons)
        if (button->isChecked() && button->isEnabled())
            return button->text();
    return {};
}

// A refused class count or a missing choice leaves the panel open.
void SubjectPanel::divideBySubject()
{
    const QString subject = chosenSubject();
    std::optional<DivisionRequest> request;
    reportErrors(m_ctx.prompt, [&] { request = singleSubjectRequest(m_ctx, subject); });
    if (request)
        emit divisionWanted(*request);
}

void SubjectPanel::goBack()
{
    hide();
}

} // namespace quorvel
