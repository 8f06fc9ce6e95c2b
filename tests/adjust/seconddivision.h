#pragma once

#include "support/interleaving.h"

namespace quorvel::test {

// The other program of the races: the single-subject division by 数学
// into 6 classes, run on the folder with a session and a prompt of its own.
Interleaving::Run secondDivision();

} // namespace quorvel::test
