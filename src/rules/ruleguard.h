#pragma once

#include "balance/placement.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

namespace quorvel {

struct Context;
class Store;

// The rules as the exchanges of the adjustments keep them, over the
// students of the store by rowid: an exchange may go ahead when each of its
// two moves passes PlacementMoves. Empty (everything allowed) without rules.
class RuleGuard {
public:
    static RuleGuard load(Store& store);
    bool empty() const { return m_moves.empty(); }
    bool mayExchange(qint64 rowA, int toA, qint64 rowB, int toB) const;
    // Records a move the exchange made.
    void moved(qint64 row, int to);

private:
    bool mayMove(qint64 row, int to) const;
    PlacementMoves m_moves;
    QVector<int> m_cls; // class number per student of the rules' intake
    QHash<qint64, int> m_index;
};

// The mayMove of the balancing (balancer.h) for the rules of the store, the
// students in rowid order and cls the balancing's live classes (indexes of
// the classes in use, ascending); empty without rules.
std::function<bool(int, int)> balancingRules(Store& store, const std::vector<int>& cls);

// A manual move under the rules: made before the move, it notes which rules
// hold; question(), after the move in the same transaction, is the question
// "……违反分班规则……是否仍然调动？" when one of them no longer holds.
class ManualMoveCheck {
public:
    explicit ManualMoveCheck(Store& store);
    // Empty when every rule that held still holds.
    QString question(Store& store) const;

private:
    QSet<qint64> m_held;
};

// One try of a manual move inside its write transaction: it has read what
// the move decides on and made the move, and says why it cannot go on: a
// refusal, or the question of its ManualMoveCheck; neither when it may be
// committed.
struct MoveTry {
    QString refusal;
    QString question;
};

// Runs a manual move (a transfer, an exchange, a class typed in the grid)
// in tries of one write transaction each, none open while a box waits: a
// refusal is shown after the rollback and ends it; a question is asked
// (default 否) after the rollback, and on Yes the next try commits when it
// comes to the same question (else that one is asked). true: committed.
bool runManualMove(const Context& ctx, Store& store, const std::function<MoveTry(Store&)>& attempt);

} // namespace quorvel
