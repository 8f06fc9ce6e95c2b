#include "classlists.h"

#include "core/context.h"
#include "stats/display.h"
#include "stats/roster.h"
#include "stats/statistics.h"
#include "store/classnumbers.h"
#include "store/errors.h"
#include "store/fieldlists.h"
#include "store/publicrecord.h"
#include "store/recordtables.h"
#include "store/rowset.h"
#include "store/studentgrid.h"
#include "store/studentrows.h"

#include <algorithm>

namespace quorvel {

QStringList defaultListColumns()
{
    return {serialColumn(), keyColumn(), QStringLiteral("姓名"), sexColumn()};
}

QString listTitleFor(const QString& title, int cls)
{
    QString out = title;
    return out.replace(u'N', QString::number(cls));
}

QVector<QStringList> ClassLists::project(const ClassList& list, const QStringList& chosen) const
{
    QVector<QStringList> out;
    out.reserve(list.rows.size());
    for (int r = 0; r < list.rows.size(); ++r) {
        QStringList line;
        for (const QString& c : chosen)
            line.append(c == serialColumn() ? QString::number(r + 1)
                                            : list.rows.at(r).value(columnIndex(c)));
        out.append(line);
    }
    return out;
}

QString unknownColumnMessage(const QString& column)
{
    return QStringLiteral("没有这一列：") + column;
}

void requireListColumns(const ClassLists& lists, const QStringList& chosen)
{
    for (const QString& c : chosen)
        if (c != serialColumn() && lists.columnIndex(c) < 0)
            throw OperationError(unknownColumnMessage(c));
}

namespace {

QStringList rowText(const RowSet& rs, int r)
{
    QStringList cells;
    for (int c = 0; c < rs.columnCount(); ++c)
        cells.append(gridCellText(rs.row(r).at(c), rs.column(c).type.kind));
    return cells;
}

void sortByKey(ClassList& list, int key)
{
    std::stable_sort(list.rows.begin(), list.rows.end(),
                     [key](const QStringList& a, const QStringList& b) {
                         return a.value(key).toUtf8() < b.value(key).toUtf8();
                     });
}

} // namespace

namespace {

QString groupsOfFour(const QString& hex)
{
    QStringList groups;
    for (qsizetype i = 0; i < hex.size(); i += 4)
        groups.append(hex.mid(i, 4));
    return groups.join(u' ');
}

} // namespace

QString publicRunFooter(const ClassLists& lists)
{
    if (lists.publicFingerprint.isEmpty())
        return {};
    return QStringLiteral("阳光分班名单指纹：%1；分班结果摘要：%2")
        .arg(groupsOfFour(lists.publicFingerprint), groupsOfFour(lists.publicDigest));
}

ClassLists ReadClassLists(Store& store)
{
    const RowSet rs = placedStudentsByClass(store);
    ClassLists out;
    out.columns = rs.columnNames();
    const int cls = rs.columnIndex(classColumn());
    for (int r = 0; r < rs.rowCount(); ++r) {
        const int c = rs.row(r).at(cls).toInt();
        if (out.classes.isEmpty() || out.classes.last().cls != c)
            out.classes.append(ClassList{c, {}, {}});
        out.classes.last().rows.append(rowText(rs, r));
    }
    out.statistics = ReadStatsView(store);
    if (const std::optional<PublicState> run = loadPublicState(store); run && run->ran()) {
        out.publicFingerprint = run->fingerprint;
        out.publicDigest = run->resultDigest;
    }
    // A draw made for other classes (before a division into more or fewer)
    // names no teacher.
    std::optional<DrawRecord> draw = loadDraw(store);
    QVector<int> inUse;
    for (const ClassList& list : std::as_const(out.classes))
        inUse.append(list.cls);
    if (draw && draw->classes != inUse)
        draw.reset();
    for (ClassList& list : out.classes) {
        sortByKey(list, out.columnIndex(keyColumn()));
        if (draw)
            list.teacher = draw->teacherOf(list.cls);
    }
    return out;
}

std::optional<ClassLists> ReadClassLists(const Context& ctx)
{
    std::optional<ClassLists> read;
    {
        Store store = OpenStore(ctx);
        const ReadTransaction tr(store);
        if (!hasUnplacedStudent(store)) {
            read = ReadClassLists(store);
            ctx.readingDone();
        }
    }
    if (!read) {
        ctx.prompt.message(unplacedMessage());
        return std::nullopt;
    }
    ClassLists lists = std::move(*read);
    if (lists.classes.isEmpty()) {
        ctx.prompt.message(rosterNoRecordsMessage());
        return std::nullopt;
    }
    return lists;
}

} // namespace quorvel
