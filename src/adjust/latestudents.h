#pragma once

#include "balance/latecomers.h"

#include <QString>
#include <QVector>

namespace quorvel {

struct Context;

// 插班生分班: every student of class 0 (added after the division) placed into
// the classes in use (see latecomers.h), in one transaction recorded in the
// history as "插班生分班（N人）".
struct PlaceNewRequest {
    int moves = 0; // exchanges allowed among the students placed before
};

struct PlacedClassLine {
    int cls = 0;
    int added = 0;                 // late students it took
    int students = 0;              // its students now
    std::optional<double> average; // of 总分
};

struct PlaceNewOutcome {
    int added = 0;
    int moved = 0;                            // students placed before who changed class
    double spreadBefore = 0, spreadAfter = 0; // points
    QVector<PlacedClassLine> classes;
};

// Throws an OperationError, nothing changed, when no student waits for a
// class, no class is in use, or a late student cannot be placed without
// breaking a placement rule (naming the students).
PlaceNewOutcome PlaceNewStudents(const Context& ctx, const PlaceNewRequest& request);

} // namespace quorvel
