#include "form3.h"

#include "form2.h"
#include "form7.h"

#include "adjust/schemeregistry.h"
#include "division/balanced.h"
#include "division/wizard.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quorvel {

Form3::Form3(const Context& ctx, Form2* conditions, Form7* presets, QWidget* owner)
    : WizardDialog(ctx, QStringLiteral("Form3"), QStringLiteral("选择方案"), owner),
      m_conditions(conditions), m_presets(presets)
{
    build(buildSchemes(), QStringLiteral("自定义分班可以均衡总分、性别、原学校、户口性质、住宿等"),
          QStringLiteral("Command1"), QStringLiteral("Command2"));
    connect(nextButton(), &QPushButton::clicked, this, &Form3::chooseScheme);
    connect(cancelButton(), &QPushButton::clicked, this, &Form3::cancel);
}

QGroupBox* Form3::buildSchemes()
{
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("frmfangan"));
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(16, 14, 16, 14);
    column->setSpacing(12);
    // The schemes the wizard offers itself, in the registry's order, then
    // one option for all those of the preset dialog.
    bool presets = false;
    for (const Scheme* scheme : schemeRegistry()) {
        presets = presets || scheme->preset.has_value();
        if (scheme->wizardOption.isEmpty())
            continue;
        auto* button = new QRadioButton(scheme->wizardCaption, frame);
        button->setObjectName(scheme->wizardOption);
        column->addWidget(button);
        if (scheme == &customScheme())
            m_custom = button;
    }
    if (presets) {
        m_preset =
            new QRadioButton(QStringLiteral("预设方案（均衡各科成绩，分快慢班等特殊方式）"), frame);
        m_preset->setObjectName(QStringLiteral("otpspe"));
        column->addWidget(m_preset);
    }
    return frame;
}

// The custom scheme is chosen at load, unless a grade-level division has run:
// then only the preset schemes are open, and the custom one says why.
void Form3::load()
{
    const bool grade = m_ctx.state.GradeDivisionFlag;
    m_custom->setEnabled(!grade);
    m_custom->setToolTip(grade ? QStringLiteral("已按成绩等级分班，只能选择预设方案；"
                                                "用预设方案的其他方式分班后，自定义方案可再选。")
                               : QString());
    (grade ? m_preset : m_custom)->setChecked(true);
}

QWidget* Form3::firstControl() const
{
    return m_custom->isChecked() ? m_custom : m_preset;
}

void Form3::chooseScheme()
{
    if (m_preset->isChecked()) {
        close();
        m_presets->showDialog();
        return;
    }
    openConditions();
}

// The conditions dialog opens with a box for every condition field before
// this one closes. A failed yes/no check has shown its message and ends the
// wizard; a store failure ends only this step.
void Form3::openConditions()
{
    QStringList captions;
    bool clean = true;
    if (!reportErrors(m_ctx.prompt, [&] { clean = SchemeNext(m_ctx, captions); }))
        return;
    if (clean) {
        m_conditions->showDialog();
        m_conditions->setConditions(captions);
    } else {
        m_conditions->close();
    }
    close();
}

void Form3::cancel()
{
    close();
}

} // namespace quorvel
