#pragma once

#include <QString>

class QWidget;

namespace quorvel {

// Where the windows ask the user for a file or a folder. Every window asks
// fileChooser(), never QFileDialog itself: the program shows Qt's file
// dialogs, a test installs a chooser that answers from queued paths. Each
// call gives an empty text when the user cancels.
class FileChooser {
public:
    virtual ~FileChooser() = default;

    // A file to read, starting in the folder (or at the file) start.
    virtual QString openFile(QWidget* parent, const QString& caption, const QString& start,
                             const QString& filter) = 0;
    // A file to write, suggested is offered; an existing file is confirmed
    // by the dialog before it is returned.
    virtual QString saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                             const QString& filter) = 0;
    // A folder, starting in start.
    virtual QString chooseFolder(QWidget* parent, const QString& caption, const QString& start) = 0;
};

// Qt's modal file dialogs.
class QtFileChooser : public FileChooser {
public:
    QString openFile(QWidget* parent, const QString& caption, const QString& start,
                     const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                     const QString& filter) override;
    QString chooseFolder(QWidget* parent, const QString& caption, const QString& start) override;
};

// The chooser the windows ask: Qt's dialogs unless another is installed.
FileChooser& fileChooser();

// Installs chooser for every window (not owned; it must outlive its use);
// nullptr puts Qt's dialogs back.
void setFileChooser(FileChooser* chooser);

} // namespace quorvel
