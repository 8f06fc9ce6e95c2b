#pragma once

#include "core/context.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTableWidget;

namespace quorvel {

// 分班规则: the placement rules with their students, the entry of a new
// rule (students found by 编号 or by the beginning of the name), removal,
// the check and the import from a workbook.
class RulesDialog : public QDialog {
    Q_OBJECT
public:
    RulesDialog(const Context& ctx, QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }       // ruleTable
    QComboBox* kindBox() const { return m_kind; }         // ruleKind
    QLineEdit* findBox() const { return m_find; }         // ruleFind
    QListWidget* foundList() const { return m_found; }    // ruleFound
    QListWidget* memberList() const { return m_members; } // ruleMembers
    QSpinBox* classBox() const { return m_class; }        // ruleClass
    QLineEdit* noteBox() const { return m_note; }         // ruleNote
    QLabel* checkLabel() const { return m_check; }        // ruleCheck

public slots:
    void refresh();
    void findStudents();
    void takeFound();
    void addRule();
    void removeRule();
    void checkRules();
    void importRules();

private:
    QWidget* buildEntry();
    QWidget* buildButtons();

    Context m_ctx;
    QTableWidget* m_table = nullptr;
    QComboBox* m_kind = nullptr;
    QLineEdit* m_find = nullptr;
    QListWidget* m_found = nullptr;
    QListWidget* m_members = nullptr;
    QSpinBox* m_class = nullptr;
    QLineEdit* m_note = nullptr;
    QLabel* m_check = nullptr;
};

} // namespace quorvel
