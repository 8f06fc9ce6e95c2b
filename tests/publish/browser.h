#pragma once

#include <QString>

namespace quorvel::test {

// Debian's chromium, when it is installed; empty otherwise.
QString chromiumPath();

// The document of the page at url after its scripts ran, as headless
// chromium dumps it; empty when the browser did not answer in 60 s.
QString renderedDom(const QString& url);

} // namespace quorvel::test
