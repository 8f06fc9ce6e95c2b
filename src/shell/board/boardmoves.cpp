// The moves of the class board: a card dropped with the mouse, or picked
// and dropped from the keyboard, runs the engine's transfer or exchange.
#include "boardwindow.h"

#include "boardcolumn.h"

#include "adjust/exchange.h"
#include "adjust/transfer.h"
#include "core/context.h"
#include "store/fieldlists.h"

#include <QLabel>
#include <QScrollArea>

namespace quorvel {

void BoardWindow::dropCard(const QString& number, int cls, int place)
{
    const int card = m_model.cardOf(number);
    BoardColumn* target = column(cls);
    if (card < 0 || !target)
        return;
    const QString onto = target->numberAt(place);
    if (m_model.classOf(card) == cls) {
        m_status->setText(QStringLiteral("学生已在%1班，没有调班。").arg(cls));
        return;
    }
    moved(onto.isEmpty() ? transfer(number, cls) : exchange(number, onto));
}

bool BoardWindow::transfer(const QString& number, int cls)
{
    bool done = false;
    reportErrors(m_ctx.prompt, [&] {
        const std::optional<StudentRows> rows =
            TransferStudent(m_ctx, number, QString::number(cls));
        done = rows.has_value();
        if (!done)
            return;
        QStringList moves;
        for (int r = 0; r < rows->rowCount(); ++r)
            moves.append(QStringLiteral("%1 到%2班")
                             .arg(rows->row(r).value(rows->columnIndex(keyColumn())).toString())
                             .arg(rows->row(r).value(rows->columnIndex(classColumn())).toInt()));
        m_status->setText(QStringLiteral("已调班：") + moves.join(QStringLiteral("，")) + u'。');
    });
    return done;
}

bool BoardWindow::exchange(const QString& a, const QString& b)
{
    bool done = false;
    reportErrors(m_ctx.prompt, [&] {
        const ExchangeResult r = ExchangeStudents(m_ctx, a, b);
        done = r.done;
        if (done)
            m_status->setText(exchangedMessage(a.trimmed(), r.classA, b.trimmed(), r.classB));
    });
    return done;
}

void BoardWindow::moved(bool ok)
{
    m_picked.clear();
    refresh();
    if (ok)
        emit classesChanged();
}

// Enter on a place: pick up the card there, or drop the picked card.
void BoardWindow::activate(BoardColumn* c, int place)
{
    if (m_picked.isEmpty()) {
        if (place < 0)
            return;
        m_picked = c->numberAt(place);
        markColumns();
        m_status->setText(
            QStringLiteral("已选中编号 %1。用方向键选择要调到的班（班头）或要对换的学生，"
                           "按回车放下，按 Esc 取消。")
                .arg(m_picked));
        return;
    }
    if (c->numberAt(place) == m_picked) {
        cancelPick();
        return;
    }
    // A drop on the picked card's own class leaves it picked.
    dropCard(m_picked, c->classNumber(), place);
    markColumns();
}

void BoardWindow::leave(BoardColumn* c, int direction)
{
    const int i = int(m_columns.indexOf(c)) + direction;
    if (i < 0 || i >= m_columns.size())
        return;
    BoardColumn* next = m_columns.at(i);
    next->setCurrent(c->current());
    next->setFocus(Qt::OtherFocusReason);
    showPlace(next, next->current());
}

void BoardWindow::showPlace(BoardColumn* c, int place)
{
    // A card clears the header that stays over the top of the view.
    const int margin = place < 0 ? 0 : c->placeRect(-1).height() + c->placeRect(place).height();
    m_scroll->ensureVisible(c->x() + c->width() / 2, c->placeRect(place).center().y(),
                            c->width() / 2 + 8, margin);
}

void BoardWindow::cancelPick()
{
    if (m_picked.isEmpty())
        return;
    m_picked.clear();
    markColumns();
    m_status->setText(QStringLiteral("已取消。"));
}

} // namespace quorvel
