#pragma once

#include "wizarddialog.h"

#include <array>

class QCheckBox;
class QGroupBox;

namespace quorvel {

class Form4;

// 选择条件, the second dialog of the division wizard: one check box for each
// condition field, ticked for the conditions the division is to balance
// besides the total score and the sex.
class Form2 : public WizardDialog {
    Q_OBJECT
public:
    static constexpr int BoxCount = 7;

    Form2(const Context& ctx, Form4* topStudents, QWidget* owner);

    // The box chktj_index.
    QCheckBox* box(int index) const { return m_boxes.at(index); }
    // The scheme dialog writes the captions of the boxes it uses and makes
    // them visible, from box 0 on; the other boxes are hidden.
    void setConditions(const QStringList& captions);
    // The captions of the ticked boxes, in box order.
    QStringList tickedCaptions() const;

public slots:
    // "下一步" (Command3_Click): clears the classes, takes the ticked
    // conditions and opens 优生先分.
    void takeConditions();
    // "取消" (Command4_Click): hides the student grid of the main window and
    // closes.
    void cancel();

signals:
    // Cancel: the main window hides its student grid.
    void cancelled();

protected:
    void load() override;
    QWidget* firstControl() const override;

private:
    QGroupBox* buildBoxes();
    void resetBox(int index);

    Form4* m_topStudents;
    std::array<QCheckBox*, BoxCount> m_boxes{};
};

} // namespace quorvel
