#include "filechooser.h"

#include <QFileDialog>

namespace quorvel {

namespace {

FileChooser* installed = nullptr;

} // namespace

QString QtFileChooser::openFile(QWidget* parent, const QString& caption, const QString& start,
                                const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, start, filter);
}

QString QtFileChooser::saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                                const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

QString QtFileChooser::chooseFolder(QWidget* parent, const QString& caption, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, caption, start);
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
