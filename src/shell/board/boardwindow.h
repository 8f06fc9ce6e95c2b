#pragma once

#include "adjust/classcolumns.h"

#include <QVector>
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace quorvel {

struct Context;
class BoardColumn;

// The class board (班级看板): the classes in use side by side, each a
// column of student cards under a header of its figures. Dragging a card
// onto another class transfers the student (调班, with the partner the
// transfer chooses coming back); dropping it onto a card of another class
// exchanges the two. Every move runs the engine's operation through the
// window's prompt and reads the classes again.
class BoardWindow : public QWidget {
    Q_OBJECT
public:
    explicit BoardWindow(const Context& ctx, QWidget* parent = nullptr);

    const ClassColumns& model() const { return m_model; }
    QVector<BoardColumn*> columns() const { return m_columns; }
    BoardColumn* column(int cls) const;
    QLineEdit* searchBox() const { return m_search; }
    QLabel* statusLabel() const { return m_status; }
    // The 编号 of the card picked up from the keyboard, or empty.
    QString picked() const { return m_picked; }

    // A card dropped on a place of the column of class cls (-1: the class).
    void dropCard(const QString& number, int cls, int place);

public slots:
    // Reads the classes again (after a move here, or an undo elsewhere).
    void refresh();

signals:
    // A move changed the classes in the store.
    void classesChanged();

private:
    void rebuildColumns();
    void search(const QString& text);
    void activate(BoardColumn* column, int place);
    void leave(BoardColumn* column, int direction);
    void cancelPick();
    void showPlace(BoardColumn* column, int place);
    void markColumns();
    bool transfer(const QString& number, int cls);
    bool exchange(const QString& a, const QString& b);
    void moved(bool ok);

    const Context& m_ctx;
    ClassColumns m_model;
    QLineEdit* m_search = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_summary = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_strip = nullptr;
    QHBoxLayout* m_row = nullptr;
    QVector<BoardColumn*> m_columns;
    QString m_picked;
    QSet<QString> m_found;
};

} // namespace quorvel
