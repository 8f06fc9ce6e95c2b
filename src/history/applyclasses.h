#pragma once

#include "history.h"

namespace quorvel {

class Store;

// Gives every student of the intake the class it has in snapshot (0 for a
// student not in it), inside the caller's transaction. Returns the keys of
// the snapshot's students no longer in the intake and of the students new
// since it.
RestoreReport applyClasses(Store& store, const ClassSnapshot& snapshot);

// The students whose class differs between two snapshots, as CompareVersions
// orders them.
QVector<ClassDifference> differences(const ClassSnapshot& first, const ClassSnapshot& second);

} // namespace quorvel
