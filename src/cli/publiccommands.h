#pragma once

#include "commands.h"

namespace quorvel {

// stage [义务教育|普通高中]: the stage of schooling, shown or set.
int cmdStage(CliEnv& env, const QStringList& args);
// public freeze|unfreeze|run|package|verify: the public division.
int cmdPublic(CliEnv& env, const QStringList& args);

} // namespace quorvel
