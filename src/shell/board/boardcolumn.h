#pragma once

#include <QSet>
#include <QWidget>

class QMimeData;

namespace quorvel {

class ClassColumns;

// One class of the class board, painted as a header over its student
// cards. A card is dragged onto another column (a transfer) or onto a card
// of another class (an exchange). From the keyboard the column has a
// current place, the header (-1) or a card (0 …): Up and Down move it,
// Left and Right ask for the neighbouring column, Enter picks or drops.
class BoardColumn : public QWidget {
    Q_OBJECT
public:
    BoardColumn(const ClassColumns& model, int column, QWidget* parent = nullptr);

    // The data a dragged card carries: its 编号.
    static QMimeData* cardMime(const QString& number);
    static QString cardNumber(const QMimeData* mime);

    int classNumber() const;
    int cardCount() const;
    // The 编号 of the card at a place; empty for the header.
    QString numberAt(int place) const;
    // The place under a point of the column: a card, or -1.
    int placeAt(const QPoint& point) const;
    // Where a card (or the header, -1: at the top of the visible part) is
    // painted.
    QRect placeRect(int place) const;

    int current() const { return m_current; }
    void setCurrent(int place);
    // The model was read again (the column may stand for another class now).
    void reset(int column);
    // The cards a search found and the card picked up from the keyboard.
    void setMarks(const QSet<QString>& found, const QString& picked);

    QSize sizeHint() const override;

    static constexpr int Width = 196;

signals:
    // A card dropped on a place of this column (-1: on the class itself).
    void dropped(const QString& number, int place);
    // Enter on the current place.
    void activated(int place);
    // Left (-1) or Right (+1) from the current place.
    void leave(int direction);
    // The current place moved (Up, Down, Home, End, a click).
    void currentChanged(int place);
    // Escape.
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int headerHeight() const;
    int headerTop() const;
    int cardHeight() const;
    void paintHeader(QPainter& p) const;
    void paintCard(QPainter& p, int place) const;
    QString cardText(int place) const;
    void describe();

    const ClassColumns& m_model;
    int m_column = 0;
    int m_current = -1;
    int m_dropPlace = -2; // -2: nothing is being dragged over the column
    QPoint m_pressAt;
    int m_pressPlace = -1;
    QSet<QString> m_found;
    QString m_picked;
};

} // namespace quorvel
