#pragma once

#include "stats/display.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

struct Context;
class Store;

// The column of a printed list that counts its rows: 1, 2, … within a class.
inline QString serialColumn()
{
    return QStringLiteral("序号");
}
// The columns of a class list unless the user chooses others.
QStringList defaultListColumns();
// The title of a class list unless the user sets another; N stands for the
// class number.
inline QString defaultListTitle()
{
    return QStringLiteral("N班学生名单");
}
// A title with every N replaced by the class number.
QString listTitleFor(const QString& title, int cls);

// The students of one class by 编号 (the order of its UTF-8 bytes), every
// column of studscore as the grid shows it.
struct ClassList {
    int cls = 0;
    QString teacher; // from the head-teacher draw; empty when none was drawn
                     // for the classes in use now
    QVector<QStringList> rows;
};

struct ClassLists {
    QStringList columns; // the columns of studscore, in table order
    QVector<ClassList> classes;
    std::optional<StatsView> statistics; // the table result, when there is one
    // After a public run (阳光分班): its roster fingerprint and result digest,
    // which the notice and the lookup page show at their foot.
    QString publicFingerprint, publicDigest;

    int columnIndex(const QString& name) const { return int(columns.indexOf(name)); }
    // The rows of one class reduced to the chosen columns (序号 counts them).
    QVector<QStringList> project(const ClassList& list, const QStringList& chosen) const;
};

// The foot of the notice and the lookup page after a public run:
// "阳光分班名单指纹：…；分班结果摘要：…" (each digest in groups of four
// digits); empty without a run.
QString publicRunFooter(const ClassLists& lists);

// "没有这一列：C" when a chosen column is neither 序号 nor a column of studscore.
QString unknownColumnMessage(const QString& column);
// Throws OperationError with unknownColumnMessage() for a column not known.
void requireListColumns(const ClassLists& lists, const QStringList& chosen);

// Every placed student by class, read in one read transaction with the draw
// and the statistics.
// A student without a class is reported with the statistics' message and an
// intake without students with "对不起，没有记录。"; both give nullopt.
std::optional<ClassLists> ReadClassLists(const Context& ctx);
ClassLists ReadClassLists(Store& store);

} // namespace quorvel
