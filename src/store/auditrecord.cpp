#include "auditrecord.h"

#include "fieldlists.h"
#include "rowset.h"
#include "studentgrid.h"

#include <quorvel/version.h>

#include <QCryptographicHash>
#include <algorithm>
#include <functional>

namespace quorvel {

namespace {

// The lines of the students, each from its row, in 编号 order.
QString sortedLines(const RowSet& rs, const std::function<QString(const QVariantList&)>& line)
{
    QVector<QByteArray> lines;
    lines.reserve(rs.rowCount());
    for (int r = 0; r < rs.rowCount(); ++r)
        lines.append(line(rs.row(r)).toUtf8());
    std::sort(lines.begin(), lines.end());
    qsizetype size = 0;
    for (const QByteArray& l : std::as_const(lines))
        size += l.size() + 1;
    QByteArray text;
    text.reserve(size);
    for (const QByteArray& l : std::as_const(lines)) {
        text += l;
        text += '\n';
    }
    return QString::fromUtf8(text);
}

} // namespace

QString intakeText(Store& store)
{
    const RowSet rs = RowSet::open(store, studentTable());
    const int cls = rs.columnIndex(classColumn());
    return sortedLines(rs, [&](const QVariantList& row) {
        QStringList cells;
        for (int c = 0; c < rs.columnCount(); ++c)
            if (c != cls)
                cells.append(lineField(gridCellText(row.at(c), rs.column(c).type.kind)));
        return cells.join(u'\t');
    });
}

QString resultText(Store& store)
{
    const RowSet rs =
        RowSet::openSql(store, QStringLiteral("SELECT %1, coalesce(%2, 0) FROM %3")
                                   .arg(quoteIdent(keyColumn()), quoteIdent(classColumn()),
                                        quoteIdent(studentTable())));
    return sortedLines(rs, [](const QVariantList& row) {
        return lineField(row.at(0).toString()) + u'\t' + QString::number(row.at(1).toLongLong());
    });
}

QString sha256Hex(const QString& text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

DivisionParameters customDivisionRecord(int topStudents, bool useConditions,
                                        const QStringList& conditions)
{
    return {QStringLiteral("custom"),
            {QStringLiteral("top=%1").arg(topStudents),
             QStringLiteral("conditions=") + (useConditions ? conditions.join(u',') : QString()),
             QStringLiteral("use_conditions=%1").arg(useConditions ? 1 : 0)}};
}

DivisionParameters presetDivisionRecord(const QString& field, bool grade)
{
    if (grade)
        return {QStringLiteral("grade"), {}};
    return {QStringLiteral("subject"), {QStringLiteral("subject=") + field}};
}

DivisionParameters boarderDivisionRecord(int boarderClasses, int dayClasses)
{
    return {QStringLiteral("boarders"),
            {QStringLiteral("boarder_classes=%1").arg(boarderClasses),
             QStringLiteral("day_classes=%1").arg(dayClasses)}};
}

DivisionParameters balanceDivisionRecord(quint32 seed)
{
    return {QStringLiteral("balance"), {QStringLiteral("seed=%1").arg(seed)}};
}

DivisionParameters fastSlowRecord(Store& store, int offset, int students, int classes)
{
    QStringList runs;
    const std::optional<AuditRecord> last = offset > 0 ? loadLatestAudit(store) : std::nullopt;
    if (last && last->scheme == u"fastslow")
        runs = parameterValue(last->parameters, QStringLiteral("runs")).split(u',');
    runs.append(QStringLiteral("%1:%2").arg(students).arg(classes));
    return {QStringLiteral("fastslow"), {QStringLiteral("runs=") + runs.join(u',')}};
}

QString parameterValue(const QString& parameters, const QString& key)
{
    for (const QString& line : parameters.split(u'\n'))
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    return {};
}

QString storedRowOrder(Store& store)
{
    QString out;
    for (const QVariant& key :
         store.column(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                          .arg(quoteIdent(keyColumn()), quoteIdent(studentTable()))))
        out += key.toString() + u'\n';
    return out;
}

void restoreRowOrder(Store& store, const QString& order)
{
    const QString table = quoteIdent(studentTable()), key = quoteIdent(keyColumn());
    store.exec(QStringLiteral("CREATE TEMP TABLE quorvel_order (k TEXT PRIMARY KEY, pos INTEGER)"));
    const QStringList keys = order.split(u'\n', Qt::SkipEmptyParts);
    for (int i = 0; i < keys.size(); ++i)
        store.exec(QStringLiteral("INSERT OR IGNORE INTO quorvel_order VALUES (?, ?)"),
                   {keys.at(i), i});
    store.exec(QStringLiteral("CREATE TEMP TABLE quorvel_rows AS SELECT s.*, o.pos AS quorvel_pos "
                              "FROM %1 s LEFT JOIN quorvel_order o ON o.k = s.%2")
                   .arg(table, key));
    QStringList names;
    for (const ColumnInfo& c : store.columns(studentTable()))
        names.append(quoteIdent(c.name));
    store.exec(QStringLiteral("DELETE FROM ") + table);
    store.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM quorvel_rows "
                              "ORDER BY quorvel_pos IS NULL, quorvel_pos, rowid")
                   .arg(table, names.join(u',')));
    store.exec(QStringLiteral("DROP TABLE quorvel_rows"));
    store.exec(QStringLiteral("DROP TABLE quorvel_order"));
}

void recordDivision(Store& store, const DivisionParameters& division, int classes,
                    const QString& rowOrderBefore)
{
    QStringList parameters = division.parameters;
    parameters.prepend(QStringLiteral("classes=%1").arg(classes));
    AuditRecord r;
    r.when = QDateTime::currentDateTime();
    r.version = QString::fromLatin1(ProgramVersion);
    r.scheme = division.scheme;
    r.parameters = parameters.join(u'\n');
    r.intakeDigest = sha256Hex(intakeText(store));
    r.resultText = resultText(store);
    r.resultDigest = sha256Hex(r.resultText);
    r.rowOrder = rowOrderBefore.isEmpty() ? storedRowOrder(store) : rowOrderBefore;
    saveAudit(store, r);
}

} // namespace quorvel
