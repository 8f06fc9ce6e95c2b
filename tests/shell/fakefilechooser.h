#pragma once

// The file dialogs of the windows answered from queued paths, as the fake
// prompt answers its boxes.

#include "shell/common/filechooser.h"

#include <QStringList>
#include <QVector>

namespace quorvel::test {

// Answers every file dialog with the next queued path, front first, and
// records what each dialog asked; with nothing queued it answers as a
// cancelled dialog. It stands in for Qt's dialogs while it lives.
class FakeFileChooser : public FileChooser {
public:
    struct Request {
        QString kind; // "open", "save" or "folder"
        QString caption;
        QString start; // the folder or the suggested file
        QString filter;
    };

    FakeFileChooser() { setFileChooser(this); }
    ~FakeFileChooser() override { setFileChooser(nullptr); }
    FakeFileChooser(const FakeFileChooser&) = delete;
    FakeFileChooser& operator=(const FakeFileChooser&) = delete;

    QString openFile(QWidget*, const QString& caption, const QString& start,
                     const QString& filter) override
    {
        return answer({QStringLiteral("open"), caption, start, filter});
    }
    QString saveFile(QWidget*, const QString& caption, const QString& suggested,
                     const QString& filter) override
    {
        return answer({QStringLiteral("save"), caption, suggested, filter});
    }
    QString chooseFolder(QWidget*, const QString& caption, const QString& start) override
    {
        return answer({QStringLiteral("folder"), caption, start, {}});
    }

    QStringList paths;         // the next answers, front first
    QVector<Request> requests; // every dialog asked for, in order

private:
    QString answer(Request request)
    {
        requests.append(std::move(request));
        return paths.isEmpty() ? QString() : paths.takeFirst();
    }
};

} // namespace quorvel::test
