#pragma once

#include <QFrame>
#include <QHash>
#include <QVector>

class QLabel;
class QPushButton;
class QToolButton;

namespace quorvel {

// The navigation panel on the left of the main window (picture2): an
// accordion of four group frames, each a header button over a column of
// image buttons with their captions under the images. A group frame stands
// either in its top slot, directly under the headers of the groups before
// it, or in its bottom slot, in the stack of closed headers at the foot of
// the panel. Later frames lie above earlier ones, so a group standing lower
// covers the lower part of the groups above it.
class NavPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int GroupCount = 4;
    // A frame whose top is at most this far below its top slot stands in it
    // (100 twips, at 15 twips per pixel).
    static constexpr double TopSlotTolerance = 100.0 / 15.0;
    // The stack of closed headers ends this far above the panel's lower edge
    // (50 twips).
    static constexpr int FootGap = 3;

    explicit NavPanel(QWidget* parent = nullptr);

    QPushButton* header(int group) const { return m_headers.at(group); }
    QFrame* groupFrame(int group) const { return m_frames.at(group); }
    // An item by its control name ("create", "fbttj", ...); null when unknown.
    QToolButton* item(const QString& name) const { return m_items.value(name); }
    QStringList itemNames() const { return m_itemOrder; }
    // The label under "第三步分班操作" that counts the students.
    QLabel* countLabel() const { return m_count; }

    int topSlot(int group) const;
    int bottomSlot(int group) const;
    bool inTopSlot(int group) const;
    // The open group: the last of the frames standing in their top slots.
    int openGroup() const;
    // Groups 1 … group in their top slots, the others in their bottom slots.
    void setOpenGroup(int group);
    // What a click on a group's header does to the frames.
    void headerClicked(int group);

    // Whether an image button shows its hover border.
    static bool hasHoverBorder(const QToolButton* item);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* buildGroup(int index);
    QToolButton* buildItem(const QString& name, const QString& caption, const QString& glyph,
                           const QColor& colour, QWidget* parent);
    void moveToTop(int group);
    void moveToBottom(int group);
    void showOpenItems();
    void setHoverBorder(QToolButton* item, bool on);
    int groupOf(const QObject* watched) const;

    QVector<QFrame*> m_frames;
    QVector<QPushButton*> m_headers;
    QVector<QWidget*> m_bodies;
    QVector<QVector<QToolButton*>> m_groupItems;
    QHash<QString, QToolButton*> m_items;
    QStringList m_itemOrder;
    QLabel* m_count = nullptr;
};

} // namespace quorvel
