#pragma once

#include <QString>

namespace quorvel {

// The script of the lookup page: a SHA-256 of its own (so the page works
// from a file in any current browser, without Web Crypto's secure context),
// the lookup of the typed name and number among the page's digests, and the
// answer. It reads the page's data from window.LOOKUP and, when the address
// ends in #name=…&number=…, looks those up at once.
QString lookupScript();

} // namespace quorvel
