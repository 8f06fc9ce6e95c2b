#pragma once

#include <QString>
#include <QUrl>

namespace quorvel {

class Prompt;

// Opens a file or a web address with the program the desktop has for it.
// False when the desktop has none: on X11 and Wayland xdg-open is asked and
// waited for a moment, so that "no method available" is noticed; elsewhere
// (and in the headless tests) the answer of QDesktopServices counts.
bool openWithDesktop(const QUrl& url);

// After a file was saved: says its full path (after lead, when given) and
// offers to open the folder that holds it with the desktop's file manager.
void reportSaved(Prompt& prompt, const QString& path, const QString& lead = {});

} // namespace quorvel
