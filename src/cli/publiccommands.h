#pragma once

#include "commands.h"

namespace quorvel {

// stage [义务教育|普通高中]: the stage of schooling, shown or set.
int cmdStage(CliEnv& env, const QStringList& args);
// public freeze|unfreeze|run|package|verify: the public division.
int cmdPublic(CliEnv& env, const QStringList& args);
// Whether the command changes classes and takes --reason TEXT, which a
// change after the public run needs.
bool takesChangeReason(const QString& command);

} // namespace quorvel
