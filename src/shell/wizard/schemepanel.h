#pragma once

#include <QFrame>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel {

// What the panels of the preset schemes on the work area share: a framed
// panel with its title on top, a grid of labels, boxes and buttons under it,
// and its note at the foot. The panel lies over the student grid and is
// hidden until a scheme shows it; its "返回" only hides it.
class SchemePanel : public QFrame {
    Q_OBJECT
public:
    // Shows the panel in front of the grid.
    void showPanel();

protected:
    SchemePanel(const QString& name, const QString& title, QWidget* parent);

    QGridLayout* grid() const { return m_grid; }
    QLabel* addLabel(const QString& name, const QString& text, int row, int column, int span = 1);
    QLineEdit* addBox(const QString& name, int row, int column);
    QPushButton* addButton(const QString& name, const QString& caption, int row, int column);
    // The note at the foot of the panel, under the grid.
    QLabel* addNote(const QString& name, const QString& text);

private:
    QGridLayout* m_grid = nullptr;
};

} // namespace quorvel
