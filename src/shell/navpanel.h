#pragma once

#include <QFrame>
#include <QHash>
#include <QVector>

class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace quorvel {

// The navigation panel on the left of the main window: four groups, each a
// header button over a column of image buttons with their captions under
// the images. One group is open and shows its items; the headers of the
// groups before it stand above it, those after it at the foot of the panel.
class NavPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int GroupCount = 4;

    explicit NavPanel(QWidget* parent = nullptr);

    QPushButton* header(int group) const { return m_headers.at(group); }
    QFrame* groupFrame(int group) const { return m_frames.at(group); }
    // An item by its control name ("create", "fbttj", ...); null when unknown.
    QToolButton* item(const QString& name) const { return m_items.value(name); }
    QStringList itemNames() const { return m_itemOrder; }
    // The label under "第三步分班操作" that counts the students.
    QLabel* countLabel() const { return m_count; }

    int openGroup() const { return m_open; }
    void setOpenGroup(int group);

private:
    QFrame* buildGroup(int index);
    QToolButton* buildItem(const QString& name, const QString& caption, const QString& glyph,
                           const QColor& colour, QWidget* parent);

    QVBoxLayout* m_layout = nullptr;
    QVector<QFrame*> m_frames;
    QVector<QPushButton*> m_headers;
    QVector<QWidget*> m_bodies;
    QHash<QString, QToolButton*> m_items;
    QStringList m_itemOrder;
    QLabel* m_count = nullptr;
    int m_open = 0;
};

} // namespace quorvel
