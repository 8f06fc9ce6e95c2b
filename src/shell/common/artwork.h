#pragma once

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QPixmap>

namespace quorvel {

// The pictures of the main window are drawn here, so the program needs no
// image files beside it.

// The banner across the top of the window, drawn for its current size.
QPixmap bannerPixmap(const QSize& size);

// The image of a navigation item: a rounded tile in the group's colour with
// one character on it.
QIcon itemIcon(const QString& glyph, const QColor& colour);

// A label that reacts to a click like a link: the web address of the banner.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace quorvel
