#include "recordtables.h"

#include "publicrecord.h"
#include "store.h"

namespace quorvel {

namespace {

// To the millisecond: the changes since a division are the versions of the
// class history recorded after its record.
const QString timeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

QString joinClasses(const QVector<int>& classes)
{
    QStringList out;
    for (int c : classes)
        out.append(QString::number(c));
    return out.join(u',');
}

QVector<int> splitClasses(const QString& text)
{
    QVector<int> out;
    for (const QString& c : text.split(u',', Qt::SkipEmptyParts))
        out.append(c.toInt());
    return out;
}

void createDrawTable(Store& store)
{
    store.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (drawn_at TEXT, seed INTEGER, "
                              "teachers TEXT, classes TEXT, assigned TEXT)")
                   .arg(quoteIdent(drawTable())));
}

void createAuditTable(Store& store)
{
    store.exec(
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (id INTEGER PRIMARY KEY, "
                       "made_at TEXT, version TEXT, scheme TEXT, parameters TEXT, "
                       "intake_sha256 TEXT, result_sha256 TEXT, result TEXT, row_order TEXT)")
            .arg(quoteIdent(auditTable())));
}

} // namespace

bool isRecordTable(const QString& table)
{
    return table.compare(drawTable(), Qt::CaseInsensitive) == 0 ||
           table.compare(auditTable(), Qt::CaseInsensitive) == 0 || isPublicTable(table);
}

QString DrawRecord::teacherOf(int cls) const
{
    const qsizetype k = classes.indexOf(cls);
    return k < 0 || k >= assigned.size() ? QString() : assigned.at(k);
}

void saveDraw(Store& store, const DrawRecord& draw)
{
    createDrawTable(store);
    store.exec(QStringLiteral("DELETE FROM ") + quoteIdent(drawTable()));
    store.exec(QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?, ?, ?)").arg(quoteIdent(drawTable())),
               {draw.when.toString(timeFormat), qint64(draw.seed), draw.teachers.join(u'\n'),
                joinClasses(draw.classes), draw.assigned.join(u'\n')});
}

std::optional<DrawRecord> loadDraw(Store& store)
{
    if (!store.tableExists(drawTable()))
        return std::nullopt;
    const QString sql = QStringLiteral("SELECT %1 FROM ") + quoteIdent(drawTable());
    const QVariantList when = store.column(sql.arg(QStringLiteral("drawn_at")));
    if (when.isEmpty())
        return std::nullopt;
    DrawRecord d;
    d.when = QDateTime::fromString(when.first().toString(), timeFormat);
    d.seed = quint32(store.column(sql.arg(QStringLiteral("seed"))).value(0).toLongLong());
    d.teachers = store.column(sql.arg(QStringLiteral("teachers"))).value(0).toString().split(u'\n');
    d.classes = splitClasses(store.column(sql.arg(QStringLiteral("classes"))).value(0).toString());
    d.assigned = store.column(sql.arg(QStringLiteral("assigned"))).value(0).toString().split(u'\n');
    return d;
}

void saveAudit(Store& store, const AuditRecord& r)
{
    createAuditTable(store);
    store.exec(QStringLiteral("INSERT INTO %1 (made_at, version, scheme, parameters, "
                              "intake_sha256, result_sha256, result, row_order) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
                   .arg(quoteIdent(auditTable())),
               {r.when.toString(timeFormat), r.version, r.scheme, r.parameters, r.intakeDigest,
                r.resultDigest, r.resultText, r.rowOrder});
}

std::optional<AuditRecord> loadLatestAudit(Store& store)
{
    if (!store.tableExists(auditTable()))
        return std::nullopt;
    const QString sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY id DESC LIMIT 1")
                            .arg(QStringLiteral("%1"), quoteIdent(auditTable()));
    const QVariantList when = store.column(sql.arg(QStringLiteral("made_at")));
    if (when.isEmpty())
        return std::nullopt;
    const auto text = [&](const char* col) {
        return store.column(sql.arg(QLatin1String(col))).value(0).toString();
    };
    AuditRecord r;
    r.when = QDateTime::fromString(when.first().toString(), timeFormat);
    r.version = text("version");
    r.scheme = text("scheme");
    r.parameters = text("parameters");
    r.intakeDigest = text("intake_sha256");
    r.resultDigest = text("result_sha256");
    r.resultText = text("result");
    r.rowOrder = text("row_order");
    return r;
}

} // namespace quorvel
