#include "cli.h"

#include "cliprompt.h"
#include "commands.h"
#include "store/errors.h"

#include <quorvel/version.h>

#include <QDir>
#include <QRegularExpression>
#include <functional>
#include <map>

namespace quorvel {

namespace {

using Command = std::function<int(CliEnv&, const QStringList&)>;

const std::map<QString, Command>& commands()
{
    static const std::map<QString, Command> table = {
        {QStringLiteral("create"), cmdCreate},
        {QStringLiteral("divide"), cmdDivide},
        {QStringLiteral("import"), cmdImport},
        {QStringLiteral("list"), cmdList},
        {QStringLiteral("preview"), cmdPreview},
        {QStringLiteral("sample"), cmdSample},
        {QStringLiteral("stats"), cmdStats},
        {QStringLiteral("adjust"), cmdAdjust},
        {QStringLiteral("find"), cmdFind},
        {QStringLiteral("transfer"), cmdTransfer},
        {QStringLiteral("roster"), cmdRoster},
    };
    return table;
}

QString usage()
{
    return QStringLiteral("用法: quorvel-cli [--dir DIR] [--yes] <命令> [参数 ...]\n"
                          "      quorvel-cli --version | --help\n"
                          "命令: create [FIELD ...]\n"
                          "      divide custom --classes N [--top T] [--conditions F1,F2,...] [--no-adjust]\n"
                          "      divide subject --subject S --classes N [--no-adjust]\n"
                          "      divide grade --classes N\n"
                          "      divide balance --classes N [--seed S] [--tolerance T]\n"
                          "      divide fastslow --students S --classes K [--students S --classes K ...]\n"
                          "      divide boarders --boarder-classes NB [--day-classes ND]\n"
                          "      import [FILE [--sheet S] [--header-row R] [--map COLUMN=HEADER]...]\n"
                          "      preview FILE [--sheet S] [--header-row R] [--map COLUMN=HEADER]...\n"
                          "      list\n"
                          "      sample --students N [--seed S]\n"
                          "      stats\n"
                          "      adjust [--high H --low L]\n"
                          "      adjust --precise [--subjects] [--seed S] [--tolerance T]\n"
                          "      find PREFIX | find --all\n"
                          "      transfer NUMBER CLASS\n"
                          "      roster [--out FILE]\n");
}

int runCommand(CliEnv& env, const Command& command, const QStringList& args)
{
    try {
        return command(env, args);
    } catch (const UsageError& e) {
        env.err << e.text << '\n' << usage();
        return 2;
    } catch (const OperationError& e) {
        env.prompt.message(e.text(), appTitle(), PromptIcon::None);
        return 1;
    }
}

// Output that did not reach its file (a full disk, a closed pipe) is no
// success: said on standard error, status 1.
bool checkOutput(QTextStream& out, QTextStream& err)
{
    out.flush();
    if (out.status() == QTextStream::Ok)
        return true;
    err << QStringLiteral("写入标准输出失败（磁盘已满，或输出的文件或管道已关闭），输出不完整。")
        << '\n';
    err.flush();
    return false;
}

} // namespace

quint32 seedOption(const QString& command, const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    bool ok = digits.match(text).hasMatch();
    const qulonglong v = ok ? text.toULongLong(&ok) : 0;
    if (!ok || v > 0xffffffffu)
        throw UsageError{command +
                         QStringLiteral(": --seed 的取值必须是0到4294967295之间的整数：") + text};
    return quint32(v);
}

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString dir;
    bool yes = false;
    int i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == u"--dir" && i + 1 < args.size())
            dir = args[++i];
        else if (args[i] == u"--yes")
            yes = true;
        else if (args[i] == u"--help" || args[i] == u"-h") {
            out << usage();
            return 0;
        } else if (args[i] == u"--version") {
            out << "quorvel-cli " << ProgramVersion << '\n';
            return 0;
        } else
            break;
    }
    if (i >= args.size() || commands().count(args[i]) == 0) {
        err << (i < args.size() ? QStringLiteral("未知命令：") + args[i] + u'\n' : QString()) << usage();
        return 2;
    }
    const QString folder = resolveAppFolder(dir);
    if (folder.isEmpty()) {
        err << QStringLiteral("无法使用应用程序文件夹：") << dir << '\n';
        return 2;
    }
    QDir::setCurrent(folder);
    RunState state;
    CliPrompt prompt(out, yes);
    Context ctx{folder, state, prompt};
    CliEnv env{ctx, out, err, prompt};
    const int status = runCommand(env, commands().at(args[i]), args.mid(i + 1));
    return checkOutput(out, err) ? status : 1;
}

} // namespace quorvel
