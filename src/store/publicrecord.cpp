#include "publicrecord.h"

#include "auditrecord.h"
#include "core/errors.h"
#include "fieldlists.h"
#include "rowset.h"
#include "ruletables.h"
#include "store.h"
#include "studentgrid.h"
#include "students.h"
#include "versions.h"

#include <algorithm>

namespace quorvel {

namespace {

const QString timeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

thread_local int permits = 0;
thread_local QString reasonNow;

void createTables(Store& store)
{
    store.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (k TEXT PRIMARY KEY, v TEXT)")
                   .arg(quoteIdent(publicTable())));
    store.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (id INTEGER PRIMARY KEY, "
                              "made_at TEXT, what TEXT, reason TEXT, fingerprint TEXT, "
                              "students TEXT)")
                   .arg(quoteIdent(publicChangeTable())));
    // A table made before late students were recorded gains their columns.
    QStringList names;
    for (const ColumnInfo& c : store.columns(publicChangeTable()))
        names.append(c.name);
    for (const char* column : {"added_rows", "added_rows_sha256"})
        if (!names.contains(QString::fromLatin1(column)))
            store.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 TEXT")
                           .arg(quoteIdent(publicChangeTable()), QString::fromLatin1(column)));
}

QHash<QString, QString> readValues(Store& store)
{
    QHash<QString, QString> out;
    if (!store.tableExists(publicTable()))
        return out;
    const QVariantList keys =
        store.column(QStringLiteral("SELECT k FROM %1 ORDER BY k").arg(quoteIdent(publicTable())));
    const QVariantList values =
        store.column(QStringLiteral("SELECT v FROM %1 ORDER BY k").arg(quoteIdent(publicTable())));
    for (qsizetype i = 0; i < keys.size(); ++i)
        out.insert(keys.at(i).toString(), values.value(i).toString());
    return out;
}

void writeValue(Store& store, const QString& key, const QString& value)
{
    createTables(store);
    store.exec(QStringLiteral("INSERT OR REPLACE INTO %1 (k, v) VALUES (?, ?)")
                   .arg(quoteIdent(publicTable())),
               {key, value});
}

QDateTime timeOf(const QString& text)
{
    return QDateTime::fromString(text, timeFormat);
}

} // namespace

bool isPublicTable(const QString& table)
{
    return table.compare(publicTable(), Qt::CaseInsensitive) == 0 ||
           table.compare(publicChangeTable(), Qt::CaseInsensitive) == 0;
}

QString stageName(SchoolStage stage)
{
    return stage == SchoolStage::Compulsory ? QStringLiteral("义务教育")
                                            : QStringLiteral("普通高中");
}

std::optional<SchoolStage> stageFromName(const QString& name)
{
    for (SchoolStage s : {SchoolStage::Compulsory, SchoolStage::Senior})
        if (stageName(s) == name)
            return s;
    return std::nullopt;
}

SchoolStage readStage(Store& store)
{
    return stageFromName(readValues(store).value(QStringLiteral("stage")))
        .value_or(SchoolStage::Senior);
}

void saveStage(Store& store, SchoolStage stage)
{
    writeValue(store, QStringLiteral("stage"), stageName(stage));
}

QString compulsoryRankingMessage()
{
    return QStringLiteral("义务教育阶段不得分设重点班和非重点班（义务教育法第二十二条）。");
}

std::optional<PublicState> loadPublicState(Store& store)
{
    const QHash<QString, QString> v = readValues(store);
    if (!v.contains(QStringLiteral("fingerprint")))
        return std::nullopt;
    PublicState s;
    s.sealed = v.value(QStringLiteral("sealed")) == u"1";
    s.sealedAt = timeOf(v.value(QStringLiteral("sealed_at")));
    s.fingerprint = v.value(QStringLiteral("fingerprint"));
    s.planText = v.value(QStringLiteral("plan"));
    s.parts = v.value(QStringLiteral("parts")).split(u'\n', Qt::SkipEmptyParts);
    s.seed = v.value(QStringLiteral("seed"));
    s.resultDigest = v.value(QStringLiteral("result_sha256"));
    s.resultText = v.value(QStringLiteral("result"));
    s.runAt = timeOf(v.value(QStringLiteral("run_at")));
    return s;
}

void savePublicState(Store& store, const PublicState& s)
{
    const std::pair<const char*, QString> values[] = {
        {"sealed", s.sealed ? QStringLiteral("1") : QStringLiteral("0")},
        {"sealed_at", s.sealedAt.toString(timeFormat)},
        {"fingerprint", s.fingerprint},
        {"plan", s.planText},
        {"parts", s.parts.join(u'\n')},
        {"seed", s.seed},
        {"result_sha256", s.resultDigest},
        {"result", s.resultText},
        {"run_at", s.runAt.isValid() ? s.runAt.toString(timeFormat) : QString()},
    };
    for (const auto& [key, value] : values)
        writeValue(store, QString::fromLatin1(key), value);
}

void addPublicChange(Store& store, const PublicChange& c)
{
    createTables(store);
    store.exec(QStringLiteral("INSERT INTO %1 (made_at, what, reason, fingerprint, students, "
                              "added_rows, added_rows_sha256) VALUES (?, ?, ?, ?, ?, ?, ?)")
                   .arg(quoteIdent(publicChangeTable())),
               {c.when.toString(timeFormat), c.what, c.reason, c.fingerprint, c.students, c.rows,
                c.rowsDigest});
}

QVector<PublicChange> publicChanges(Store& store)
{
    QVector<PublicChange> out;
    if (!store.tableExists(publicChangeTable()))
        return out;
    bool rows = false;
    for (const ColumnInfo& c : store.columns(publicChangeTable()))
        rows = rows || c.name == u"added_rows_sha256";
    const RowSet rs = RowSet::openSql(
        store, QStringLiteral("SELECT made_at, what, reason, fingerprint, students%1 FROM %2 "
                              "ORDER BY id")
                   .arg(rows ? QStringLiteral(", added_rows, added_rows_sha256") : QString(),
                        quoteIdent(publicChangeTable())));
    for (int r = 0; r < rs.rowCount(); ++r) {
        const QVariantList& row = rs.row(r);
        out.append({timeOf(row.at(0).toString()), row.at(1).toString(), row.at(2).toString(),
                    row.at(3).toString(), row.at(4).toString(), row.value(5).toString(),
                    row.value(6).toString()});
    }
    return out;
}

QString sealedMessage(const QString& fingerprint)
{
    return QStringLiteral("名单已封存，不能改动学生、分班规则和班级（阳光分班封存的名单指纹%1）。"
                          "如确需改动，请先用 public unfreeze --reason 解除封存。")
        .arg(fingerprint);
}

QString reasonRequiredMessage()
{
    return QStringLiteral("名单已封存，阳光分班之后改动班级必须用 --reason 说明理由，"
                          "班级没有改动。");
}

void requireRosterUnsealed(Store& store)
{
    if (permits > 0)
        return;
    const std::optional<PublicState> s = loadPublicState(store);
    if (s && s->sealed)
        throw OperationError(sealedMessage(s->fingerprint));
}

void checkSealedClassChange(Store& store, Versions& versions, const QString& operation,
                            const QString& detail, qint64 previous)
{
    if (permits > 0)
        return;
    const std::optional<PublicState> s = loadPublicState(store);
    if (!s || !s->sealed)
        return;
    if (!s->ran())
        throw OperationError(sealedMessage(s->fingerprint));
    if (reasonNow.isEmpty())
        throw OperationError(reasonRequiredMessage());
    QHash<QString, int> before;
    if (const std::optional<ClassSnapshot> was =
            previous ? versions.snapshot(previous) : std::nullopt)
        for (int i = 0; i < was->size(); ++i)
            before.insert(was->keys.at(i), was->classes.at(i));
    const QString what = VersionInfo{0, {}, operation, detail, 0, {}}.description();
    QStringList moved;
    const QHash<QString, int> now = Students(store).classesByKey();
    for (auto it = now.begin(); it != now.end(); ++it)
        if (before.value(it.key()) != it.value())
            moved.append(QStringLiteral("%1:%2>%3")
                             .arg(it.key())
                             .arg(before.value(it.key()))
                             .arg(it.value()));
    std::sort(moved.begin(), moved.end());
    PublicChange change{
        QDateTime::currentDateTime(), what, reasonNow, s->fingerprint, moved.join(u' '), {}, {}};
    if (!before.isEmpty()) { // the students added since the version before, with their rows
        bool added = false;
        for (auto it = now.begin(); !added && it != now.end(); ++it)
            added = !before.contains(it.key());
        if (added) {
            const QByteArray rows =
                rosterCsv(store, [&](const QString& key) { return !before.contains(key); });
            change.rows = QString::fromUtf8(rows);
            change.rowsDigest = sha256Hex(change.rows);
        }
    }
    addPublicChange(store, change);
}

PublicRunPermit::PublicRunPermit()
{
    ++permits;
}

PublicRunPermit::~PublicRunPermit()
{
    --permits;
}

ChangeReason::ChangeReason(const QString& reason) : m_before(reasonNow)
{
    reasonNow = reason;
}

ChangeReason::~ChangeReason()
{
    reasonNow = m_before;
}

QString ChangeReason::current()
{
    return reasonNow;
}

void renumberClasses(Store& store, const QHash<int, int>& numbers)
{
    // Through numbers no class holds, so that no two classes meet.
    const QString sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE %2 = ?")
                            .arg(quoteIdent(studentTable()), quoteIdent(classColumn()));
    constexpr int aside = 1000000;
    for (auto it = numbers.begin(); it != numbers.end(); ++it)
        store.exec(sql, {it.value() + aside, it.key()});
    for (auto it = numbers.begin(); it != numbers.end(); ++it)
        store.exec(sql, {it.value(), it.value() + aside});
}

QString csvField(const QString& cell)
{
    if (!cell.contains(u',') && !cell.contains(u'"') && !cell.contains(u'\n') &&
        !cell.contains(u'\r'))
        return cell;
    QString quoted = cell;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QByteArray rosterCsv(Store& store)
{
    return rosterCsv(store, [](const QString&) { return true; });
}

QByteArray rosterCsv(Store& store, const std::function<bool(const QString& key)>& keep)
{
    const RowSet rs = RowSet::open(store, studentTable());
    const int cls = rs.columnIndex(classColumn());
    const int key = rs.columnIndex(keyColumn());
    QStringList header;
    for (int c = 0; c < rs.columnCount(); ++c)
        if (c != cls)
            header.append(csvField(rs.column(c).name));
    QVector<std::pair<QByteArray, QByteArray>> lines;
    for (int r = 0; r < rs.rowCount(); ++r) {
        if (!keep(rs.row(r).at(key).toString()))
            continue;
        QStringList cells;
        for (int c = 0; c < rs.columnCount(); ++c)
            if (c != cls)
                cells.append(csvField(gridCellText(rs.row(r).at(c), rs.column(c).type.kind)));
        lines.append({rs.row(r).at(key).toString().toUtf8(), cells.join(u',').toUtf8()});
    }
    std::sort(lines.begin(), lines.end());
    QByteArray text = header.join(u',').toUtf8() + '\n';
    for (const auto& line : lines)
        text += line.second + '\n';
    return text;
}

QByteArray rulesCsv(Store& store)
{
    QByteArray text = QStringLiteral("规则,类型,编号,班级,备注\n").toUtf8();
    int number = 0;
    for (const PlacementRule& rule : readRules(store)) {
        ++number;
        for (const QString& member : rule.members)
            text +=
                QStringList{QString::number(number), ruleKindName(rule.kind), csvField(member),
                            rule.kind == RuleKind::AvoidTeacher ? csvField(rule.teacher)
                            : rule.kind == RuleKind::Classes ? csvField(classListText(rule.classes))
                            : rule.cls > 0                   ? QString::number(rule.cls)
                                                             : QString(),
                            csvField(rule.note)}
                    .join(u',')
                    .toUtf8() +
                '\n';
    }
    return text;
}

} // namespace quorvel
