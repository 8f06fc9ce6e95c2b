#pragma once

#include "core/context.h"
#include "store/schema.h"

#include <QFrame>
#include <array>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace quorvel {

// The panel of step 1, "第一步创建数据库": the user picks the optional
// columns and the subjects, names up to two custom yes/no columns and
// rebuilds gsls.dll with "创建数据库". The panel lies over the work area of
// the main window and is hidden until the item "create" shows it.
class CreatePanel : public QFrame {
    Q_OBJECT
public:
    explicit CreatePanel(const Context& ctx, QWidget* parent = nullptr);

    // The choices the boxes hold now.
    CreateOptions options() const;

public slots:
    // "创建数据库" (FlatBttn1_Click): asks, rebuilds the database and hides
    // the panel.
    void createDatabase();
    // "取消" (FlatBttn4_Click): hides the panel and does nothing else.
    void cancel();

signals:
    // The database was rebuilt from the panel's choices.
    void databaseCreated();

private:
    QWidget* buildRequired();
    QWidget* buildOptional();
    QWidget* buildSubjects();
    QWidget* buildButtons();
    QCheckBox* addBox(QWidget* parent, const QString& name, const QString& caption);
    QLineEdit* addNameBox(QWidget* parent, const QString& name, QCheckBox* owner);
    void checkCustomName(QLineEdit* box, const QString& text);

    Context m_ctx;
    QCheckBox* m_school = nullptr;           // Check10
    QCheckBox* m_grade = nullptr;            // Check3
    QCheckBox* m_migrant = nullptr;          // Check5
    QCheckBox* m_cadre = nullptr;            // Check2
    QCheckBox* m_custom1 = nullptr;          // Check4
    QCheckBox* m_custom2 = nullptr;          // Check11
    QLineEdit* m_name1 = nullptr;            // txtzdy1
    QLineEdit* m_name2 = nullptr;            // txtzdy2
    std::array<QCheckBox*, 13> m_subjects{}; // Check1_0 .. Check1_12
};

} // namespace quorvel
