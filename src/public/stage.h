#pragma once

#include "store/publicrecord.h"

namespace quorvel {

struct Context;

// The stage of schooling: read, and set in its own transaction.
SchoolStage ReadSchoolStage(const Context& ctx);
void SetSchoolStage(const Context& ctx, SchoolStage stage);

} // namespace quorvel
