#include "filechooser.h"

#include <QFileDialog>

namespace quorvel {

namespace {

FileChooser* installed = nullptr;

// Qt's own dialog, not the desktop's: it speaks the program's Chinese even
// where the desktop's dialog would follow an English session.
constexpr QFileDialog::Options ownDialog = QFileDialog::DontUseNativeDialog;

} // namespace

QString QtFileChooser::openFile(QWidget* parent, const QString& caption, const QString& start,
                                const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, start, filter, nullptr, ownDialog);
}

QString QtFileChooser::saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                                const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter, nullptr, ownDialog);
}

QString QtFileChooser::chooseFolder(QWidget* parent, const QString& caption, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, caption, start,
                                             ownDialog | QFileDialog::ShowDirsOnly);
}

FileChooser& fileChooser()
{
    static QtFileChooser qt;
    return installed ? *installed : qt;
}

void setFileChooser(FileChooser* chooser)
{
    installed = chooser;
}

} // namespace quorvel
