#pragma once

#include <QIcon>
#include <QString>

class QMainWindow;
class QMessageBox;
class QWidget;

namespace quorvel {

// The program's icon: the installed one of the icon theme, else the drawn
// tile the window has always had.
QIcon programIcon();

// The text of the About box: the program, its version, what it does, its
// licence and web address.
QString aboutText();

// The About box, not yet shown; the caller shows it and owns it.
QMessageBox* createAboutBox(QWidget* parent);

// The window's menu 帮助 with 关于 Quorvel and 关于 Qt.
void addHelpMenu(QMainWindow* window);

} // namespace quorvel
