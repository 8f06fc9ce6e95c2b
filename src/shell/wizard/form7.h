#pragma once

#include "wizarddialog.h"

#include "division/presets.h"

#include <array>

class QGroupBox;
class QRadioButton;

namespace quorvel {

// 预设方案, the dialog of the preset schemes that the scheme dialog opens.
// Its "下一步" checks that there are students, then either runs the chosen
// scheme at once or asks the main window for the panel of a scheme that
// needs more input, and closes. Each scheme is one branch of runScheme().
class Form7 : public WizardDialog {
    Q_OBJECT
public:
    Form7(const Context& ctx, QWidget* owner);

    // The option button of a scheme (Option1, Option2, zongfengeke, danke,
    // dengji).
    QRadioButton* option(PresetScheme scheme) const;
    // The scheme whose option is selected.
    PresetScheme chosenScheme() const;

    static QString notAvailableMessage();

public slots:
    // "下一步" (Command1_Click): the chosen scheme, when there are students.
    void runChosenScheme();
    // "取消" (Command2_Click): closes the dialog; nothing changes.
    void cancel();

signals:
    // The panels of the main window: Frame13 (fast and slow classes), frm15
    // (boarders) and Frame1 with the subject buttons' captions.
    void fastSlowPanelWanted();
    void boarderPanelWanted();
    void subjectPanelWanted(const QStringList& subjects);
    // A scheme of the dialog has divided the students: the main window
    // refreshes its grid.
    void divided();
    // 按总分均衡各科成绩: the main window runs the scheme, which shows the
    // statistics and the report.
    void subjectBalanceWanted();

protected:
    void load() override;
    QWidget* firstControl() const override;

private:
    QGroupBox* buildOptions();
    void runScheme(PresetScheme scheme);
    void subjectBalanced();
    void singleSubject();
    void gradeLevel();

    std::array<QRadioButton*, 5> m_options{};
};

} // namespace quorvel
