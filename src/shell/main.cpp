#include "shell/common/qtprompt.h"
#include "shell/common/qttexts.h"
#include "shell/window/form1.h"

#include "core/context.h"
#include "core/session.h"

#include <quorvel/version.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <cstring>

using namespace quorvel;

namespace {

// The folder given by --dir, or empty for the default one.
QString folderOption(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quorvel 分班软件"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("应用程序文件夹（数据库和字段文件所在的文件夹）"),
                                 QStringLiteral("DIR"));
    parser.addOption(dir);
    parser.process(app);
    return parser.value(dir);
}

// Whether the options print a text and end the program (--version, --help):
// those are answered without reaching the window system, so they also work
// without a display.
bool answeredWithoutWindow(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"--version", "-v", "--help", "-h", "-?", "--help-all"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QString::fromLatin1(ProgramVersion));
    if (answeredWithoutWindow(argc, argv)) {
        QCoreApplication app(argc, argv);
        folderOption(app); // prints the text and ends the program
        return 0;
    }
    QApplication app(argc, argv);
    installChineseQtTexts(app);
    QApplication::setDesktopFileName(QStringLiteral("example.quorvel.Quorvel"));

    QtPrompt prompt;
    const QString option = folderOption(app);
    const QString folder = resolveAppFolder(option);
    if (folder.isEmpty()) {
        prompt.message(QStringLiteral("无法建立应用程序文件夹") +
                           (option.isEmpty() ? QString() : QStringLiteral("：") + option),
                       appTitle(), PromptIcon::Critical);
        return 1;
    }
    // Two exports address their workbooks by bare name.
    QDir::setCurrent(folder);

    Session state;
    const Context ctx{folder, state, prompt};
    Form1 window(ctx);
    prompt.attach(&window, window.progressBar());
    QObject::connect(&window, &Form1::closed, &app, &QCoreApplication::quit);
    window.show();
    return app.exec();
}
