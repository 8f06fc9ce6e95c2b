#include "studentgrid.h"

#include "core/context.h"
#include "fieldlists.h"
#include "rowset.h"
#include "store.h"

namespace quorvel {

QString gridCellText(const QVariant& v, ColumnType::Kind kind)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Double:
        return kind == ColumnType::Single ? shortestSingle(v.toDouble())
                                          : shortestNumber(v.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QString::number(v.toLongLong());
    default:
        return v.isNull() ? QString() : v.toString();
    }
}

namespace {

void setHeaders(const Context& ctx, StudentGrid& grid)
{
    QStringList conditions, scores;
    readConditionList(ctx, conditions);
    readScoreList(ctx, scores);
    if (ctx.state.FieldListEmpty) {
        ctx.state.UseConditions = false;
        conditions.clear();
    }
    grid.headers = {QStringLiteral("学号"), QStringLiteral("姓名"), QStringLiteral("性别"),
                    QStringLiteral("班级")};
    grid.headers += conditions;
    grid.conditionCount = int(conditions.size());
    grid.headers += scores;
}

} // namespace

StudentGrid ReadStudentGrid(const Context& ctx)
{
    StudentGrid grid;
    Store store = OpenStore(ctx);
    const RowSet rs = RowSet::open(store, studentTable());
    setHeaders(ctx, grid);
    grid.studentCount = rs.rowCount();
    grid.label = QStringLiteral("共有") + QString::number(rs.rowCount()) + QStringLiteral("人");

    // Columns of the table beyond the grid's are not shown; grid columns
    // beyond the table's stay empty.
    const int columns = grid.columnCount();
    const int shown = qMin(columns, rs.columnCount());
    QVector<ColumnType::Kind> kinds(shown);
    for (int k = 0; k < shown; ++k)
        kinds[k] = rs.column(k).type.kind;
    grid.cells.resize(qsizetype(grid.studentCount) * columns);
    QString* out = grid.cells.data();
    for (int r = 0; r < rs.rowCount(); ++r, out += columns) {
        const QVariantList& row = rs.row(r);
        if (shown > 0)
            out[0] = u' ' + gridCellText(row.at(0), kinds[0]);
        for (int k = 1; k < shown; ++k)
            out[k] = gridCellText(row.at(k), kinds[k]);
    }
    return grid;
}

QString lineField(const QString& cell)
{
    QString out;
    out.reserve(cell.size());
    for (const QChar c : cell) {
        if (c.category() != QChar::Other_Control)
            out += c;
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else // the control characters are all below U+0100
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
    }
    return out;
}

QStringList studentGridLines(const StudentGrid& grid)
{
    QStringList lines;
    lines.reserve(grid.studentCount + 2);
    lines.append(grid.headers.join(u'\t'));
    for (int r = 0; r < grid.studentCount; ++r) {
        QString line;
        for (int c = 0; c < grid.columnCount(); ++c) {
            if (c > 0)
                line += u'\t';
            line += lineField(grid.cells.at(qsizetype(r) * grid.columnCount() + c));
        }
        lines.append(line);
    }
    lines.append(grid.label);
    return lines;
}

} // namespace quorvel
