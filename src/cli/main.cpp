#include "cli.h"

#include <QGuiApplication>
#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    // The printed pages need fonts, hence a GUI application; it never shows a
    // window, so it needs no display either.
    std::unique_ptr<QCoreApplication> app;
    if (quorvel::cliPaints(args)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int status = quorvel::runCli(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}
