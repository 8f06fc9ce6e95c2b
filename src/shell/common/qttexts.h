#pragma once

class QCoreApplication;

namespace quorvel {

// Installs Qt's own Chinese texts (Debian's qt6-translations-l10n) into the
// application, whatever the locale: the standard buttons (确定, 取消, 关闭,
// 是, 否), the file and print dialogs speak Chinese as the program does;
// the default locale becomes Chinese (China), numbers without group
// separators.
// False when the translations are not installed (Qt's English stays).
bool installChineseQtTexts(QCoreApplication& app);

} // namespace quorvel
