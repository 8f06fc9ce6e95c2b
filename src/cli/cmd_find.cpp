#include "commands.h"

#include "adjust/transfer.h"
#include "stats/display.h"
#include "store/studentgrid.h"

namespace quorvel {

namespace {

// The data grid as text: the column names, then one line per row, the
// values separated by tabs (numbers in their shortest form, no value empty).
void printRows(CliEnv& env, const StudentRows& found)
{
    const RowSet& rs = found.rows;
    env.out << rs.columnNames().join(u'\t') << '\n';
    for (int r = 0; r < rs.rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < rs.columnCount(); ++c)
            fields.append(lineField(statsCellText(rs.row(r).at(c), rs.column(c).type)));
        env.out << fields.join(u'\t') << '\n';
    }
    env.out.flush();
}

} // namespace

// find PREFIX: the search; find --all: every student by class and total.
int cmdFind(CliEnv& env, const QStringList& args)
{
    if (args.size() != 1)
        throw UsageError{QStringLiteral("find: 需要一个参数：PREFIX 或 --all")};
    printRows(env, args[0] == u"--all" ? ListAllStudents(env.ctx) : SearchStudents(env.ctx, args[0]));
    return 0;
}

// transfer NUMBER CLASS: the individual transfer, then the two students.
int cmdTransfer(CliEnv& env, const QStringList& args)
{
    if (args.size() != 2)
        throw UsageError{QStringLiteral("transfer: 需要两个参数：NUMBER CLASS")};
    const StudentRows moved = TransferStudent(env.ctx, args[0], args[1]);
    if (!moved.store)
        return 1;
    printRows(env, moved);
    return 0;
}

} // namespace quorvel
