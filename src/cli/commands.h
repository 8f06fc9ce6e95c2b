#pragma once

#include "cliprompt.h"
#include "core/context.h"

#include <QStringList>
#include <QTextStream>
#include <functional>
#include <optional>

namespace quorvel {

struct CheckedRows;
struct DivisionRequest;
struct Scheme;
struct SourceOptions;

// What a command of quorvel-cli works with.
struct CliEnv {
    Context& ctx;
    QTextStream& out;
    QTextStream& err;
    CliPrompt& prompt; // the prompt of ctx, for answers given as arguments
};

// A usage error of a command: printed on standard error, exit status 2.
struct UsageError {
    QString text;
};

// The value of --seed: decimal digits only, 0 … 4294967295; anything else
// is a usage error of command.
quint32 seedOption(const QString& command, const QString& text);

// A command that takes no arguments: any is a usage error of command.
void takeNoArguments(const QString& command, const QStringList& args);

// The value after the option args[i] (i moves onto it); a missing one is a
// usage error of command.
QString optionValue(const QString& command, const QStringList& args, int& i);

// Each command takes the arguments after its name and returns the exit status.
int cmdCreate(CliEnv& env, const QStringList& args);
int cmdDivide(CliEnv& env, const QStringList& args);
// The schemes of divide, given the arguments after the scheme's name.
int cmdDivideCustom(CliEnv& env, const QStringList& args);
int cmdDivideSubject(CliEnv& env, const QStringList& args);
int cmdDivideGrade(CliEnv& env, const QStringList& args);
int cmdDivideBalance(CliEnv& env, const QStringList& args);
// adjust --precise …: the precise balancing.
int runPreciseAdjustment(CliEnv& env, const QStringList& args);
int cmdDivideFastSlow(CliEnv& env, const QStringList& args);
int cmdDivideBoarders(CliEnv& env, const QStringList& args);
// The line every division ends on: how many students went into how many
// classes (and, for the custom scheme, how many top students were dealt).
void printDivisionSummary(CliEnv& env, bool withTopStudents = false);
// The division of request, then the summary line, then (adjust) the
// automatic adjustment, as DivideAndAdjust runs them. Status 1 when the
// division refused; 0 when it all ran; 3 when the summary or the adjustment
// failed (its message printed, then divisionKeptMessage() on standard
// error): the new division is kept all the same. A failure of the division
// itself is thrown.
// With precise, the precise balancing follows (its report, then the
// statistics once, at its end; status 3 when it did not finish).
int divideThenAdjust(CliEnv& env, const Scheme& scheme, const DivisionRequest& request,
                     bool withTopStudents, bool adjust, bool precise = false);
// The number of classes of --classes, read as the schemes' input box
// 请输入班数 reads its answer: the box and the answer are printed as the
// box prints them, a refused number with its message under 提示.
std::optional<qint16> classesOption(CliEnv& env, const QString& typed);
inline QString divisionKeptMessage()
{
    return QStringLiteral("新的分班已经保存，但之后的步骤没有完成。");
}
int cmdImport(CliEnv& env, const QStringList& args);
// import FILE and preview FILE: a workbook the user brings.
int cmdImportFile(CliEnv& env, const QStringList& args);
int cmdPreview(CliEnv& env, const QStringList& args);
// FILE [--sheet S] [--header-row R] [--map COLUMN=HEADER]... of command;
// a wrong or missing one is a usage error.
SourceOptions sourceOptions(const QString& command, const QStringList& args, QString& file);
// create --from FILE [same options].
int cmdCreateFrom(CliEnv& env, const QStringList& args);
// The problem lines of an import's report, then its three count lines.
void printReport(CliEnv& env, const CheckedRows& rows);
int cmdList(CliEnv& env, const QStringList& args);
// export FILE: the division's result as .xlsx or .csv.
int cmdExport(CliEnv& env, const QStringList& args);
int cmdSample(CliEnv& env, const QStringList& args);
int cmdStats(CliEnv& env, const QStringList& args);
int cmdAdjust(CliEnv& env, const QStringList& args);
int cmdFind(CliEnv& env, const QStringList& args);
int cmdTransfer(CliEnv& env, const QStringList& args);
int cmdRoster(CliEnv& env, const QStringList& args);
// The history of the classes: history, undo, redo, restore ID, diff ID [ID2].
int cmdHistory(CliEnv& env, const QStringList& args);
int cmdUndo(CliEnv& env, const QStringList& args);
int cmdRedo(CliEnv& env, const QStringList& args);
int cmdRestore(CliEnv& env, const QStringList& args);
int cmdDiff(CliEnv& env, const QStringList& args);
int cmdRule(CliEnv& env, const QStringList& args);
int cmdExchange(CliEnv& env, const QStringList& args);
// place-new [--moves K]: the students added late placed into the classes.
int cmdPlaceNew(CliEnv& env, const QStringList& args);
// chart paints with Qt Gui: quorvel-cli starts a QGuiApplication (offscreen)
// for it, see main.cpp.
int cmdChart(CliEnv& env, const QStringList& args);
// The file of --out at args[i] (i moves onto its value): a relative name is
// taken in the application folder; one of the program's own files is refused.
QString outputOption(CliEnv& env, const QString& command, const QStringList& args, int& i);
// A command whose only option is --out FILE: write(path) writes the file
// (an empty path: a name of its own) and returns where it went, empty when
// it did not; the path is printed. Status 0 written, 1 not.
int writeOutFile(CliEnv& env, const QString& usage, const QStringList& args,
                 const std::function<QString(const QString&)>& write);
int cmdPdf(CliEnv& env, const QStringList& args);
int cmdNotice(CliEnv& env, const QStringList& args);
int cmdDraw(CliEnv& env, const QStringList& args);
int cmdLookupPage(CliEnv& env, const QStringList& args);
int cmdAudit(CliEnv& env, const QStringList& args);

} // namespace quorvel
