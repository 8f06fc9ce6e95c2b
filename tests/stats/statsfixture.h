#pragma once

// Helpers the statistics, adjustment and command-line tests share: the
// table result as text, and tongji.xls read back through FreeXL.

#include "stats/display.h"
#include "stats/statistics.h"
#include "store/rowset.h"
#include "store/store.h"
#include "support/fakeprompt.h"

#include <QFile>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <freexl.h>

namespace quorvel::test {

inline Store openStore(const Sandbox& sb)
{
    return Store(sb.ctx.file(Store::fileName()));
}

// The columns of result as "name TYPE"; empty when there is no table.
inline QStringList resultLayout(const Sandbox& sb)
{
    Store store = openStore(sb);
    QStringList out;
    for (const ColumnInfo& c : store.columns(resultTable()))
        out.append(c.name + u' ' + c.type.declared());
    return out;
}

// The rows of result, each as its values joined by tabs (as the command
// line prints them); empty when there is no table.
inline QStringList resultLines(const Sandbox& sb)
{
    Store store = openStore(sb);
    const std::optional<StatsView> view = ReadStatsView(store);
    QStringList out;
    if (!view)
        return out;
    for (const QVariantList& row : view->rows) {
        QStringList fields;
        for (int c = 0; c < view->columns.size(); ++c)
            fields.append(statsCellText(row.value(c), view->columns.at(c).type));
        out.append(fields.join(u'\t'));
    }
    return out;
}

// One cell of a workbook read back: "n:85.12" for a number, "t:12" for a
// text, "" for an empty cell.
struct Workbook {
    bool ok = false;
    QString sheet;
    QVector<QStringList> cells;
};

inline QString cellText(const FreeXL_CellValue& v)
{
    switch (v.type) {
    case FREEXL_CELL_INT:
        return QStringLiteral("n:") + QString::number(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return QStringLiteral("n:") + shortestNumber(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return QStringLiteral("t:") + QString::fromUtf8(v.value.text_value);
    default:
        return {};
    }
}

inline Workbook readWorkbook(const QString& path)
{
    Workbook wb;
    const void* h = nullptr;
    if (freexl_open(QFile::encodeName(path).constData(), &h) != FREEXL_OK)
        return wb;
    const char* name = nullptr;
    unsigned rows = 0;
    unsigned short columns = 0;
    if (freexl_get_worksheet_name(h, 0, &name) == FREEXL_OK && name &&
        freexl_select_active_worksheet(h, 0) == FREEXL_OK &&
        freexl_worksheet_dimensions(h, &rows, &columns) == FREEXL_OK) {
        wb.ok = true;
        wb.sheet = QString::fromUtf8(name);
        for (unsigned r = 0; r < rows; ++r) {
            QStringList line;
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue v;
                line.append(freexl_get_cell_value(h, r, c, &v) == FREEXL_OK ? cellText(v)
                                                                            : QString());
            }
            wb.cells.append(line);
        }
    }
    freexl_close(h);
    return wb;
}

} // namespace quorvel::test
