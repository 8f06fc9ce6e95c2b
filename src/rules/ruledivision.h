#pragma once

#include <QPair>
#include <QString>
#include <QVector>

namespace quorvel {

class Store;

// Where a division lets the repair of the rules exchange students: bands
// of classes [first, last]; exchanges stay within one band (the fast
// classes of one run, the boarders' classes), classes in no band stay as
// they are. Empty: every class in use is one band.
struct RuleScope {
    QVector<QPair<int, int>> bands;
    // Whether the division's shape is checked against the rules first.
    bool startChecks = true;
};

// Called by every scheme once it has dealt, inside its transaction. Without
// rules it does nothing. Otherwise, with startChecks, the rules are checked
// against the classes the scheme made: a 同班 group larger than the largest
// class, a 固定 class beyond the last class, a 分开 group larger than the
// number of classes, or more students bound to a class (固定, with their
// 同班 groups) than it holds, refuse the division (OperationError naming
// the rule; the caller's rollback leaves everything as before). Then the
// repair makes the rules hold by exchanges (see repairPlacement) and writes
// the classes that changed. Returns the rules it could not hold within the
// scheme as the text of one message (shown under "提示" once the division
// is over), each with why; empty when every rule holds.
QString HoldPlacementRules(Store& store, const RuleScope& scope = {});

} // namespace quorvel
