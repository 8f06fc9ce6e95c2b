#pragma once

#include "schemepanel.h"

#include "core/context.h"

#include <optional>

namespace quorvel {

// frm15, the panel of the boarders and day students: step ① the number of
// boarder classes with its "确定", which divides the boarders alone; step ②
// the number of day-student classes with its "确定", which divides both
// groups and ends on the statistics; "返回".
class BoarderPanel : public SchemePanel {
    Q_OBJECT
public:
    BoarderPanel(const Context& ctx, QWidget* parent);

    QLineEdit* boarderClassesBox() const { return m_boarders; } // Text10
    QLineEdit* dayClassesBox() const { return m_day; }          // Text9

    // Shows the panel with the numbers of boarders and day students.
    void open();

public slots:
    // "确定" of step ① (FlatBttn27_Click): the boarder division.
    void divideBoarders();
    // "确定" of step ② (Fbtn24_Click): the complete division, then the
    // statistics step.
    void divideBoth();
    // "返回" (Command9_Click): hides the panel.
    void goBack();

signals:
    // Students were placed: the grid is to be refilled.
    void divided();
    // The complete division is done: the statistics step runs next.
    void statisticsWanted();

private:
    // The boxes read into a request and divided: step ① without the day
    // students' count, step ② with it. True when the students were dealt.
    bool divide(const std::optional<QString>& dayClasses);

    Context m_ctx;
    QLineEdit* m_boarders = nullptr;
    QLineEdit* m_day = nullptr;
    QLabel* m_counts = nullptr; // how many students each step concerns
};

} // namespace quorvel
