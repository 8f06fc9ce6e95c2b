#pragma once

#include <QUrl>

namespace quorvel {

// Opens a file or a web address with the program the desktop has for it.
// False when the desktop has none: on X11 and Wayland xdg-open is asked and
// waited for a moment, so that "no method available" is noticed; elsewhere
// (and in the headless tests) the answer of QDesktopServices counts.
bool openWithDesktop(const QUrl& url);

} // namespace quorvel
