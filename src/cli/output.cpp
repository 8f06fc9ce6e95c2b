// What the commands print: the statistics grid and the data grid as text.
#include "statsoutput.h"

#include "adjust/transfer.h"
#include "stats/display.h"
#include "store/studentgrid.h"

namespace quorvel {

void printStatistics(CliEnv& env, const StatsDisplayResult& display)
{
    if (!display.view)
        return;
    const StatsView& view = *display.view;
    if (!display.heading.isEmpty())
        env.out << display.heading << '\n';
    QStringList header;
    for (const ColumnInfo& c : view.columns)
        header.append(c.name);
    env.out << header.join(u'\t') << '\n';
    for (const QVariantList& row : view.rows) {
        QStringList fields;
        for (int c = 0; c < view.columns.size(); ++c)
            fields.append(statsCellText(row.value(c), view.columns.at(c).type));
        env.out << fields.join(u'\t') << '\n';
    }
    if (!view.workbook.isEmpty())
        env.out << view.workbook << '\n';
    for (const QString& line : display.rules)
        env.out << line << '\n';
    env.out.flush();
}

// The data grid as text: the column names, then one line per row, the
// values separated by tabs (numbers in their shortest form, no value empty).
void printStudentRows(CliEnv& env, const StudentRows& found)
{
    const StudentRows& rs = found;
    env.out << rs.columnNames().join(u'\t') << '\n';
    for (int r = 0; r < rs.rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < rs.columnCount(); ++c)
            fields.append(lineField(statsCellText(rs.row(r).at(c), rs.column(c).type)));
        env.out << fields.join(u'\t') << '\n';
    }
    env.out.flush();
}

} // namespace quorvel
