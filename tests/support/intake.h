#pragma once

// The intake of the tests above the workbooks: the store made as the create
// command makes it, and every helper of support/storeintake.h.
#include "storeintake.h"

#include <QStringList>

namespace quorvel::test {

// Builds gsls.dll in the sandbox through CreateDatabase (answering Yes),
// with the optional fields named as the create command names them
// (原学校, 品质等级, 是否…, subjects), and writes the template as it does.
// Clears the recorded messages.
void makeStore(Sandbox& sb, const QStringList& fields);

} // namespace quorvel::test
