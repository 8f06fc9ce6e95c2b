#include "auditrecord.h"

#include "context.h"
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
    QByteArray text;
    for (const QByteArray& l : lines)
        text += l + '\n';
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

void recordDivision(const Context& ctx, Store& store, const DivisionParameters& division)
{
    QStringList parameters = division.parameters;
    parameters.prepend(QStringLiteral("classes=%1").arg(ctx.state.ClassCount));
    AuditRecord r;
    r.when = QDateTime::currentDateTime();
    r.version = QString::fromLatin1(ProgramVersion);
    r.scheme = division.scheme;
    r.parameters = parameters.join(u'\n');
    r.intakeDigest = sha256Hex(intakeText(store));
    r.resultText = resultText(store);
    r.resultDigest = sha256Hex(r.resultText);
    saveAudit(store, r);
}

} // namespace quorvel
