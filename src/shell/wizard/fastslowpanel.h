#pragma once

#include "schemepanel.h"

#include "core/context.h"

namespace quorvel {

// Frame13, the panel of the fast and slow classes: the number of students
// and of classes of one run, the count of students still without a class,
// "分班" and "返回". Each run's classes are numbered on from the last class
// of the series, which the main window keeps (FastSlowOffset).
class FastSlowPanel : public SchemePanel {
    Q_OBJECT
public:
    FastSlowPanel(const Context& ctx, qint16& FastSlowOffset, QWidget* parent);

    QLineEdit* studentsBox() const { return m_students; }  // Text12
    QLineEdit* classesBox() const { return m_classes; }    // Text13
    QLabel* unplacedLabel() const { return m_unplaced; }   // labweifen
    QPushButton* divideButton() const { return m_divide; } // FlatBttn17

    static QString newSeriesQuestion(qint16 lastClass);

public slots:
    // Shows the panel for the preset scheme. When earlier runs have handed
    // out classes it asks whether to start again at class 1; Yes begins a
    // new series (its first run clears every class) and enables "分班".
    void open();
    // "分班" (FlatBttn17_Click): one run.
    void divideOneRun();
    // "返回" (FlatBttn11_Click): hides the panel.
    void goBack();

signals:
    // A run has placed the last students: the grid is to be refilled.
    void finished();

private:
    void showRemaining(int remaining);

    Context m_ctx;
    qint16& m_offset;
    QLineEdit* m_students = nullptr;
    QLineEdit* m_classes = nullptr;
    QLabel* m_unplaced = nullptr;
    QPushButton* m_divide = nullptr;
};

} // namespace quorvel
