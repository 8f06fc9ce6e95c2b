#pragma once

#include "public/plan.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QSpinBox;
class QStackedWidget;

namespace quorvel {

struct Context;
class PublicDisplay;
struct PublicRunOutcome;

// 阳光分班: the public division as steps of one dialog — the plan (a scheme
// of the window's with its options, the precise balancing, the teachers),
// the seal with its notice, the day on the projector, the sheet, the
// package and its check. Each step calls the operation the command line
// calls and writes in the dialog's log what it did and the full path of
// what it saved.
class PublicDialog : public QDialog {
    Q_OBJECT
public:
    PublicDialog(const Context& ctx, QWidget* parent = nullptr);

    // The plan the first step's boxes describe.
    PublicPlan plan() const;

    bool freeze();
    bool unfreeze();
    PublicDisplay* openDisplay();
    bool writeSheet();
    bool writePackage();

private:
    QWidget* planPage();
    QWidget* sealPage();
    QWidget* dayPage();
    QWidget* sheetPage();
    QWidget* packagePage();
    void schemeChanged();
    void log(const QString& line);
    void refreshState();
    void ran(const PublicRunOutcome& outcome);

    const Context& m_ctx;
    bool m_compulsory = false;
    QListWidget* m_steps;
    QStackedWidget* m_pages;
    QPlainTextEdit* m_log;
    QLabel* m_state;
    QFormLayout* m_form = nullptr;
    QComboBox* m_scheme = nullptr;
    QSpinBox* m_classes = nullptr;
    QSpinBox* m_top = nullptr;
    QListWidget* m_conditions = nullptr;
    QComboBox* m_subject = nullptr;
    QSpinBox* m_balanceSeed = nullptr;
    QSpinBox* m_students = nullptr;
    QSpinBox* m_dayClasses = nullptr;
    QCheckBox* m_precise = nullptr;
    QPlainTextEdit* m_teachers = nullptr;
    QPlainTextEdit* m_parties = nullptr;
};

} // namespace quorvel
