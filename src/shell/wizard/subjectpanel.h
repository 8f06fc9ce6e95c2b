#pragma once

#include "core/context.h"
#include "division/presets.h"

#include <QFrame>
#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quorvel {

// The single-subject panel Frame1 over the work area: one option button
// per subject (Option6_0 … Option6_15, empty and disabled until the preset
// dialog fills them), the note Label18, "确定" (FlatBttn32) to divide by
// the chosen subject and "返回" (FlatBttn33) to hide the panel.
class SubjectPanel : public QFrame {
    Q_OBJECT
public:
    SubjectPanel(const Context& ctx, QWidget* parent = nullptr);

    QRadioButton* subjectButton(int index) const { return m_buttons.at(index); } // Option6
    // Buttons 0 … n−1 get the subjects as captions and are enabled; the
    // others are emptied and disabled, so no subject of an earlier database
    // stays on offer. A chosen button that stays enabled stays chosen.
    void setSubjects(const QStringList& subjects);
    // The caption of the chosen button among all sixteen; empty when none.
    QString chosenSubject() const;
    // 分班后精确均衡, ticked when the panel is built.
    QCheckBox* preciseBox() const { return m_precise; } // chkPrecise

public slots:
    // "确定" (FlatBttn32_Click): the single-subject division by the chosen
    // subject: the subject's check and the number of classes asked, then
    // divisionWanted() with its request.
    void divideBySubject();
    // "返回" (FlatBttn33_Click): hides the panel; nothing changes.
    void goBack();

signals:
    // The division the panel asks for: the main window divides, refreshes
    // its grid, adjusts the classes and, once the students are placed,
    // hides the panel.
    void divisionWanted(const quorvel::DivisionRequest& request);

private:
    QWidget* buildButtons();
    void resetButton(QRadioButton* button);

    Context m_ctx;
    std::array<QRadioButton*, SubjectButtonCount> m_buttons{};
    QLabel* m_note = nullptr;
    QCheckBox* m_precise = nullptr;
};

} // namespace quorvel
