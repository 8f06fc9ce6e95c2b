#include "form2.h"

#include "form4.h"

#include "division/wizard.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>

namespace quorvel {

namespace {

constexpr int PerRow = 3;
constexpr int BoxWidth = 124;

// The caption of a box no condition field has been written to.
QString unusedCaption()
{
    return QStringLiteral("tj");
}

} // namespace

Form2::Form2(const Context& ctx, Form4* topStudents, QWidget* owner)
    : WizardDialog(ctx, QStringLiteral("Form2"), QStringLiteral("选择条件"), owner),
      m_topStudents(topStudents)
{
    build(buildBoxes(), QStringLiteral("系统默认分班条件为：总分、性别，如需增加条件请选择。"),
          QStringLiteral("Command3"), QStringLiteral("Command4"));
    connect(nextButton(), &QPushButton::clicked, this, &Form2::takeConditions);
    connect(cancelButton(), &QPushButton::clicked, this, &Form2::cancel);
    load();
}

// Three boxes to a row; a hidden box keeps its place, so every box stands
// where it belongs whichever of them are shown.
QGroupBox* Form2::buildBoxes()
{
    QGridLayout* grid = nullptr;
    QGroupBox* frame = controlFrame(QStringLiteral("Frame1"), grid);
    for (int i = 0; i < BoxCount; ++i) {
        auto* box = new QCheckBox(unusedCaption(), frame);
        box->setObjectName(QStringLiteral("chktj_%1").arg(i));
        box->setMinimumWidth(BoxWidth);
        QSizePolicy keep = box->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        box->setSizePolicy(keep);
        grid->addWidget(box, i / PerRow, i % PerRow);
        m_boxes[i] = box;
    }
    for (int c = 0; c < PerRow; ++c)
        grid->setColumnStretch(c, 1);
    return frame;
}

void Form2::resetBox(int index)
{
    QCheckBox* box = m_boxes.at(index);
    box->setChecked(false);
    box->setText(unusedCaption());
    box->setToolTip({});
    box->hide();
}

void Form2::load()
{
    for (int i = 0; i < BoxCount; ++i)
        resetBox(i);
}

QWidget* Form2::firstControl() const
{
    return m_boxes.front()->isHidden() ? static_cast<QWidget*>(nextButton()) : m_boxes.front();
}

void Form2::setConditions(const QStringList& captions)
{
    for (int i = 0; i < BoxCount; ++i) {
        if (i >= captions.size()) {
            resetBox(i);
            continue;
        }
        QCheckBox* box = m_boxes.at(i);
        box->setText(captions.at(i));
        box->setToolTip(captions.at(i)); // a long custom name may be cut off
        box->show();
    }
    firstControl()->setFocus(Qt::OtherFocusReason);
}

QStringList Form2::tickedCaptions() const
{
    QStringList ticked;
    for (const QCheckBox* box : m_boxes)
        if (box->isChecked() && !box->isHidden())
            ticked.append(box->text());
    return ticked;
}

// The classes are cleared and the conditions taken; a store failure ends
// the step with the dialog open.
void Form2::takeConditions()
{
    const QStringList ticked = tickedCaptions();
    if (!reportErrors(m_ctx.prompt, [&] { ConditionsNext(m_ctx, ticked); }))
        return;
    close();
    m_topStudents->showDialog();
}

void Form2::cancel()
{
    emit cancelled();
    close();
}

} // namespace quorvel
