#include "form4.h"

#include "shell/common/namedcontrols.h"

#include "shell/common/qtprompt.h"

#include "division/wizard.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvel {

namespace {

constexpr int NumberBoxWidth = 120;

} // namespace

Form4::Form4(const Context& ctx, QWidget* owner)
    : WizardDialog(ctx, QStringLiteral("Form4"), QStringLiteral("优生先分"), owner)
{
    build(buildBoxes(),
          QStringLiteral("请输入优生数和要分的班级数，以便优等生在各班分布的更均匀。"),
          QStringLiteral("Command1"), QStringLiteral("Command2"));
    connect(nextButton(), &QPushButton::clicked, this, &Form4::divide);
    connect(cancelButton(), &QPushButton::clicked, this, &Form4::cancel);
    // Only the class number updates the hint.
    connect(m_classes, &QLineEdit::textChanged, this, &Form4::txtbanshu_Change);
}

QGroupBox* Form4::buildBoxes()
{
    QGridLayout* grid = nullptr;
    QGroupBox* frame = controlFrame(QStringLiteral("Frame1"), grid);
    m_top = numberBox(QStringLiteral("txtyou"), NumberBoxWidth, frame);
    m_classes = numberBox(QStringLiteral("txtbanshu"), NumberBoxWidth, frame);
    m_hint = caption(QString(), QStringLiteral("lbltish"), frame);
    m_hint->setStyleSheet(QStringLiteral("color: rgb(30, 110, 60);"));
    grid->addWidget(caption(QStringLiteral("优等生人数"), QStringLiteral("Label3"), frame), 0, 0);
    grid->addWidget(m_top, 0, 1);
    grid->addWidget(caption(QStringLiteral("输入班数"), QStringLiteral("lblclass"), frame), 1, 0);
    grid->addWidget(m_classes, 1, 1);
    grid->addWidget(m_hint, 1, 2);
    m_precise = preciseAfterDivisionBox(frame);
    grid->addWidget(m_precise, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    return frame;
}

void Form4::load()
{
    m_top->clear();
    m_classes->clear();
    m_hint->clear();
}

QWidget* Form4::firstControl() const
{
    return m_top;
}

void Form4::txtbanshu_Change()
{
    if (const auto hint = TopStudentHint(m_top->text(), m_classes->text()))
        m_hint->setText(*hint);
}

// On a refusal the box it names is emptied and takes the focus; the dialog
// stays open for the correction.
void Form4::divide()
{
    TopStudentsEntry result;
    {
        const BusyCursor busy;
        const bool ran = reportErrors(m_ctx.prompt, [&] {
            result = topStudentsRequest(m_ctx, m_top->text(), m_classes->text());
        });
        if (!ran)
            return;
    }
    if (result.request) {
        emit divisionWanted(*result.request);
        return;
    }
    using Box = TopStudentsEntry::Box;
    QLineEdit* box = result.refused == Box::TopStudents ? m_top
                     : result.refused == Box::Classes   ? m_classes
                                                        : nullptr;
    if (box) {
        box->clear();
        box->setFocus(Qt::OtherFocusReason);
    }
}

void Form4::cancel()
{
    close();
    emit cancelled();
}

} // namespace quorvel
