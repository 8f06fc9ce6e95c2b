#pragma once

#include "division/scheme.h"

#include <QStringList>
#include <QVector>

namespace quorvel {

// Every division scheme, registered once, in the order the preset dialog
// offers them (the custom scheme first: the wizard's own). The command
// line's divide subcommands, the audit's re-run, the preset dialog and the
// wizard are made from it. A new scheme is its Scheme (its name, options
// and dealing, see division/scheme.h) and one line here.
const QVector<const Scheme*>& schemeRegistry();

// The scheme of that name; nullptr for a name not registered.
const Scheme* findScheme(const QString& name);

// The names of the schemes, sorted (as usage messages list them).
QStringList schemeNames();

} // namespace quorvel
