#include "form1.h"
#include "qtprompt.h"

#include "store/context.h"
#include "store/runstate.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

using namespace quorvel;

namespace {

// The folder given by --dir, or empty for the default one.
QString folderOption(const QApplication& app)
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

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral("3.2"));

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

    RunState state;
    const Context ctx{folder, state, prompt};
    Form1 window(ctx);
    prompt.attach(&window, window.progressBar());
    QObject::connect(&window, &Form1::closed, &app, &QCoreApplication::quit);
    window.show();
    return app.exec();
}
