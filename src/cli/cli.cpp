#include "cli.h"

#include "cliprompt.h"
#include "commands.h"
#include "publiccommands.h"
#include "store/errors.h"
#include "store/publicrecord.h"

#include <quorvel/version.h>

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <functional>
#include <vector>

namespace quorvel {

namespace {

using Command = std::function<int(CliEnv&, const QStringList&)>;

// One command of quorvel-cli: its name, what runs it and its lines of the
// usage text, in the order the usage shows them.
struct CommandEntry {
    QString name;
    Command run;
    QStringList synopsis;
    bool paints = false; // it may write a PDF
};

const std::vector<CommandEntry>& commands()
{
    static const std::vector<CommandEntry> table = {
        {QStringLiteral("create"),
         cmdCreate,
         {QStringLiteral("create [FIELD ...]"),
          QStringLiteral("create --from FILE [--sheet S] [--header-row R] [--map COLUMN=HEADER]... "
                         "[--number] [--keep-total]")}},
        {QStringLiteral("divide"),
         cmdDivide,
         {QStringLiteral(
              "divide custom --classes N [--top T] [--conditions F1,F2,...] [--no-adjust] "
              "[--precise]"),
          QStringLiteral("divide subject --subject S --classes N [--no-adjust] [--precise]"),
          QStringLiteral("divide grade --classes N [--precise]"),
          QStringLiteral("divide balance --classes N [--seed S] [--tolerance T]"),
          QStringLiteral("divide fastslow --students S --classes K [--students S --classes K ...]"),
          QStringLiteral("divide boarders --boarder-classes NB [--day-classes ND]")}},
        {QStringLiteral("import"),
         cmdImport,
         {QStringLiteral("import [FILE [--sheet S] [--header-row R] [--map COLUMN=HEADER]... "
                         "[--number] [--keep-total]] [--add]")}},
        {QStringLiteral("export"),
         cmdExport,
         {QStringLiteral("export FILE"),
          QStringLiteral("export FILE --like SOURCE [--sheet S] [--header-row R]")}},
        {QStringLiteral("list"), cmdList, {QStringLiteral("list")}},
        {QStringLiteral("preview"),
         cmdPreview,
         {QStringLiteral("preview FILE [--sheet S] [--header-row R] [--map COLUMN=HEADER]... "
                         "[--number] [--keep-total] [--add]")}},
        {QStringLiteral("sample"), cmdSample, {QStringLiteral("sample --students N [--seed S]")}},
        {QStringLiteral("stats"), cmdStats, {QStringLiteral("stats")}},
        {QStringLiteral("adjust"),
         cmdAdjust,
         {QStringLiteral("adjust [--high H --low L]"),
          QStringLiteral("adjust --precise [--subjects] [--seed S] [--tolerance T]")}},
        {QStringLiteral("find"), cmdFind, {QStringLiteral("find PREFIX | find --all")}},
        {QStringLiteral("transfer"), cmdTransfer, {QStringLiteral("transfer NUMBER CLASS")}},
        {QStringLiteral("exchange"), cmdExchange, {QStringLiteral("exchange NUMBER NUMBER")}},
        {QStringLiteral("place-new"), cmdPlaceNew, {QStringLiteral("place-new [--moves K]")}},
        {QStringLiteral("roster"), cmdRoster, {QStringLiteral("roster [--out FILE]")}},
        {QStringLiteral("history"), cmdHistory, {QStringLiteral("history")}},
        {QStringLiteral("undo"), cmdUndo, {QStringLiteral("undo")}},
        {QStringLiteral("redo"), cmdRedo, {QStringLiteral("redo")}},
        {QStringLiteral("restore"), cmdRestore, {QStringLiteral("restore ID [--yes]")}},
        {QStringLiteral("diff"), cmdDiff, {QStringLiteral("diff ID [ID2]")}},
        {QStringLiteral("rule"),
         cmdRule,
         {QStringLiteral("rule together N1 N2 [N...] [--note T]"),
          QStringLiteral("rule apart N1 N2 [N...] [--note T]"),
          QStringLiteral("rule lock N CLASS [--note T]"),
          QStringLiteral("rule list | rule check | rule remove ID | rule clear"),
          QStringLiteral("rule import FILE [--sheet S]"),
          QStringLiteral("rule same-names [--sound]")}},
        {QStringLiteral("chart"),
         cmdChart,
         {QStringLiteral("chart --out FILE.png [--subject S]")},
         true},
        {QStringLiteral("pdf"),
         cmdPdf,
         {QStringLiteral("pdf [--out FILE] [--columns C1,C2,...] [--title T]")},
         true},
        {QStringLiteral("notice"),
         cmdNotice,
         {QStringLiteral("notice [--out FILE.pdf|FILE.html]")},
         true},
        {QStringLiteral("draw"),
         cmdDraw,
         {QStringLiteral("draw --teachers T1,T2,... --seed S"), QStringLiteral("draw --show")}},
        {QStringLiteral("lookup-page"),
         cmdLookupPage,
         {QStringLiteral("lookup-page [--out FILE.html]")}},
        {QStringLiteral("audit"),
         cmdAudit,
         {QStringLiteral("audit [verify | --out FILE.pdf]")},
         true},
        {QStringLiteral("stage"), cmdStage, {QStringLiteral("stage [义务教育|普通高中]")}},
        {QStringLiteral("public"),
         cmdPublic,
         {QStringLiteral("public freeze SCHEME [divide SCHEME 的选项] [--precise] "
                         "[--teachers T1,T2,...] [--out FILE.pdf]"),
          QStringLiteral("public unfreeze --reason TEXT"),
          QStringLiteral("public run --seed-part P [--seed-part P ...]"),
          QStringLiteral("public sheet [--out FILE.pdf]"),
          QStringLiteral("public package [--out FILE.zip] | public verify FILE.zip"),
          QStringLiteral("（阳光分班之后，transfer、exchange、adjust、undo、redo、restore、"
                         "import --add、place-new 须加 --reason TEXT）")},
         true},
    };
    return table;
}

const CommandEntry* findCommand(const QString& name)
{
    const auto& table = commands();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [&](const CommandEntry& c) { return c.name == name; });
    return it == table.end() ? nullptr : &*it;
}

// The usage text: the general form, then every synopsis of the table, the
// first behind "命令: ", the others lined up under it.
QString usage()
{
    QString text = QStringLiteral("用法: quorvel-cli [--dir DIR] [--yes] <命令> [参数 ...]\n"
                                  "      quorvel-cli --version | --help\n");
    QString lead = QStringLiteral("命令: ");
    for (const CommandEntry& c : commands()) {
        for (const QString& line : c.synopsis) {
            text += lead + line + u'\n';
            lead = QStringLiteral("      ");
        }
    }
    return text;
}

// The usage of one command: its lines of the usage text behind "用法: ".
QString commandUsage(const CommandEntry& command)
{
    QString text;
    QString lead = QStringLiteral("用法: quorvel-cli [--dir DIR] [--yes] ");
    for (const QString& line : command.synopsis) {
        text += lead + line + u'\n';
        lead = QString(lead.size(), u' ');
    }
    return text;
}

int runCommand(CliEnv& env, const CommandEntry& entry, const QStringList& args)
{
    if (args.contains(QStringLiteral("--help"))) {
        env.out << commandUsage(entry);
        return 0;
    }
    const Command& command = entry.run;
    try {
        QStringList rest = args;
        QString reason;
        if (const qsizetype r = rest.indexOf(QStringLiteral("--reason"));
            r >= 0 && takesChangeReason(entry.name)) {
            int i = int(r);
            reason = optionValue(entry.name, rest, i);
            rest.remove(r, 2);
        }
        const ChangeReason held(reason.trimmed());
        return command(env, rest);
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

QString optionValue(const QString& command, const QStringList& args, int& i)
{
    if (i + 1 >= args.size())
        throw UsageError{command + QStringLiteral(": %1 缺少取值").arg(args.at(i))};
    return args.at(++i);
}

bool cliPaints(const QStringList& args)
{
    int i = 0;
    while (i < args.size() && (args[i] == u"--dir" || args[i] == u"--yes"))
        i += args[i] == u"--dir" ? 2 : 1;
    const CommandEntry* c = i < args.size() ? findCommand(args[i]) : nullptr;
    return c && c->paints;
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
    const CommandEntry* command = i < args.size() ? findCommand(args[i]) : nullptr;
    if (!command) {
        err << (i < args.size() ? QStringLiteral("未知命令：") + args[i] + u'\n' : QString())
            << usage();
        return 2;
    }
    const QString folder = resolveAppFolder(dir);
    if (folder.isEmpty()) {
        err << QStringLiteral("无法使用应用程序文件夹：") << dir << '\n';
        return 2;
    }
    QDir::setCurrent(folder);
    Session state;
    CliPrompt prompt(out, yes);
    Context ctx{folder, state, prompt};
    CliEnv env{ctx, out, err, prompt};
    const int status = runCommand(env, *command, args.mid(i + 1));
    return checkOutput(out, err) ? status : 1;
}

} // namespace quorvel
