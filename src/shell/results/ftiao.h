#pragma once

#include "core/context.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel {

struct StatsStepResult;

// 手动调整: the two class numbers of one pair and the button that adjusts
// them. A window of its own that does not block the main window and stays
// above every other window; closing it ("返   回" or the close box) unloads
// it, so it opens again with empty boxes.
class Ftiao : public QDialog {
    Q_OBJECT
public:
    explicit Ftiao(const Context& ctx);

    QLineEdit* highBox() const { return m_high; }          // Text14
    QLineEdit* lowBox() const { return m_low; }            // Text15
    QPushButton* adjustButton() const { return m_adjust; } // Command1
    QPushButton* returnButton() const { return m_return; } // Command2

    // Opens the dialog with empty boxes, or brings an open one to the front.
    void showDialog();

public slots:
    // "调   整" (Command1_Click): adjusts the two classes typed.
    void adjustPair();
    // "返   回" (Command2_Click): closes the dialog.
    void goBack();

signals:
    // The adjustment is about to change the store: the main window saves
    // and lets go of its data grid.
    void adjusting();
    // It has ended; step is the statistics step that followed it, or null
    // when it stopped before any change.
    void adjusted(const quorvel::StatsStepResult* step);

private:
    QWidget* buildFrame();

    Context m_ctx;
    QLineEdit* m_high = nullptr;
    QLineEdit* m_low = nullptr;
    QPushButton* m_adjust = nullptr;
    QPushButton* m_return = nullptr;
};

} // namespace quorvel
