#pragma once

#include "excel/biffwriter.h"
#include "statistics.h"
#include "store/store.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace quorvel {

struct Context;

inline QString statsWorkbookFile()
{
    return QStringLiteral("tongji.xls");
}
inline QString statsSheetName()
{
    return QStringLiteral("sheet1");
}
inline QString noClassesMessage()
{
    return QStringLiteral("对不起分班后才能进行统计。");
}

// The statistics workbook in the application folder.
QString statsWorkbookPath(const Context& ctx);

// The message for a workbook the desktop could not be asked to open:
// "对不起不能打开" + path + "，请手动打开。". The window shows it (OK button,
// application title) when QDesktopServices::openUrl fails.
QString openWorkbookFailedMessage(const QString& path);

// What the statistics grid shows: the table result as the store holds it,
// one row per class in table order.
struct StatsView {
    QVector<ColumnInfo> columns; // name and declared type, in table order
    // The values: SINGLE columns as double (the single's value), INTEGER as
    // int, TEXT as QString, a null QVariant where there is no value.
    QVector<QVariantList> rows;
    // The workbook this display wrote, or empty when it could not be
    // replaced (the old one, if any, is then still there).
    QString workbook;
};

// The outcome of one statistics display.
struct StatsDisplayResult {
    StatsOutcome build = StatsOutcome::Built; // how the build before it ended
    // What to show in the grid; nullopt when there is nothing to show (no
    // class at all, or no table result yet). After a refused build this is
    // the result of the last complete build.
    std::optional<StatsView> view;
    // What the placement rules' check says when there are rules and a view
    // (see ruleReportLines): "分班规则N条，全部满足" or the rules not held.
    QStringList rules;
    // The heading above the table while some student has no 性别
    // (withoutSexHeading); empty otherwise.
    QString heading;
};

// "有N名学生没有性别，按女生统计": the statistics count them as girls.
QString withoutSexHeading(int students);

// The statistics display: runs tongji; when ClassCount is then 0 shows
// noClassesMessage() under the title "提示" and returns nothing to show;
// otherwise reads result (when it exists) and rewrites tongji.xls from it.
// A workbook that cannot be written (tongji.xls is a folder or read-only, the
// folder is read-only) leaves the old one and is reported under "提示".
// Store failures are thrown (StoreError).
StatsDisplayResult StatsDisplay(const Context& ctx);

// result as it is now; nullopt when the table does not exist.
std::optional<StatsView> ReadStatsView(Store& store);

// The worksheet of the workbook: the column names, then one row per class.
// Numbers stay numbers (a single as its shortest decimal, 85.12), the yes
// and no counts stay texts, missing values are empty cells.
SheetRows statsSheet(const StatsView& view);

// Replaces the workbook at path with the view; false when it could not,
// with the reason in *error when given.
bool WriteStatsWorkbook(const QString& path, const StatsView& view, QString* error = nullptr);

// A value of the view as text: singles in their shortest form, integers in
// decimal, texts as they are, an empty text for no value.
QString statsCellText(const QVariant& v, const ColumnType& type);

} // namespace quorvel
