#pragma once

#include "wizarddialog.h"

class QGroupBox;
class QRadioButton;

namespace quorvel {

class Form2;
class Form7;

// 选择方案, the first dialog of the division wizard: the custom scheme
// leads to the conditions dialog Form2, the preset schemes to Form7.
class Form3 : public WizardDialog {
    Q_OBJECT
public:
    Form3(const Context& ctx, Form2* conditions, Form7* presets, QWidget* owner);

    QRadioButton* customOption() const { return m_custom; } // optzdy
    QRadioButton* presetOption() const { return m_preset; } // otpspe

public slots:
    // "下一步" (Command1_Click): the dialog of the chosen kind of scheme.
    void chooseScheme();
    // "取消" (Command2_Click): closes the dialog.
    void cancel();

protected:
    void load() override;
    QWidget* firstControl() const override;

private:
    QGroupBox* buildSchemes();
    void openConditions();

    Form2* m_conditions;
    Form7* m_presets;
    QRadioButton* m_custom = nullptr;
    QRadioButton* m_preset = nullptr;
};

} // namespace quorvel
