#pragma once

#include "wizarddialog.h"

#include "division/scheme.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace quorvel {

// 优生先分, the last dialog of the division wizard: the number of top
// students and the number of classes. Its Next reads them into the
// division's request; the main window divides, closes the dialog, refreshes
// its student grid and adjusts the classes.
class Form4 : public WizardDialog {
    Q_OBJECT
public:
    Form4(const Context& ctx, QWidget* owner);

    QLineEdit* topStudentsBox() const { return m_top; } // txtyou
    QLineEdit* classesBox() const { return m_classes; } // txtbanshu
    QLabel* hintLabel() const { return m_hint; }        // lbltish
    // 分班后精确均衡: the precise balancing after the adjustment; ticked
    // when the dialog is built, kept as the user leaves it.
    QCheckBox* preciseBox() const { return m_precise; } // chkPrecise

public slots:
    // "下一步" (Command1_Click): the division with the numbers typed.
    void divide();
    // "取消" (Command2_Click): closes and hides the student grid of the main
    // window.
    void cancel();

signals:
    // The boxes hold a division: the main window divides (and closes the
    // dialog once the students are placed), then adjusts the classes.
    void divisionWanted(const quorvel::DivisionRequest& request);
    // Cancel: the main window hides its student grid.
    void cancelled();

protected:
    void load() override;
    QWidget* firstControl() const override;

private:
    QGroupBox* buildBoxes();
    void txtbanshu_Change();

    QLineEdit* m_top = nullptr;
    QLineEdit* m_classes = nullptr;
    QLabel* m_hint = nullptr;
    QCheckBox* m_precise = nullptr;
};

} // namespace quorvel
