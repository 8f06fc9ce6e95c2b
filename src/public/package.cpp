#include "package.h"

#include "draws.h"
#include "plan.h"
#include "run.h"
#include "seal.h"

#include "core/context.h"
#include "core/errors.h"
#include "core/prompt.h"
#include "core/session.h"
#include "store/auditrecord.h"
#include "store/fieldlists.h"
#include "store/publicrecord.h"
#include "store/rowset.h"
#include "store/ruletables.h"
#include "store/schema.h"
#include "store/store.h"
#include "store/students.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <zip.h>

namespace quorvel {

namespace {

const QString rosterName = QStringLiteral("名单.csv"), rulesName = QStringLiteral("规则.csv"),
              planName = QStringLiteral("方案.txt"), partsName = QStringLiteral("种子.txt"),
              resultName = QStringLiteral("结果.csv"), changesName = QStringLiteral("改动.csv"),
              digestsName = QStringLiteral("摘要.txt");

// The value of "label<TAB>value" in the package's 摘要.txt.
QString recorded(const QMap<QString, QByteArray>& files, const QString& label)
{
    for (const QString& line : QString::fromUtf8(files.value(digestsName)).split(u'\n'))
        if (line.startsWith(label + u'\t'))
            return line.section(u'\t', 1);
    return {};
}

const QString timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QByteArray resultCsv(Store& store)
{
    QByteArray text = QStringLiteral("编号,班级\n").toUtf8();
    for (const QString& line : resultText(store).split(u'\n', Qt::SkipEmptyParts))
        text +=
            (csvField(line.section(u'\t', 0, 0)) + u',' + line.section(u'\t', 1)).toUtf8() + '\n';
    return text;
}

QByteArray changesCsv(Store& store)
{
    QByteArray text = QStringLiteral("时间,改动,理由,学生,新增行,行指纹\n").toUtf8();
    for (const PublicChange& c : publicChanges(store))
        text += QStringList{c.when.toString(timeFormat), csvField(c.what), csvField(c.reason),
                            csvField(c.students),        csvField(c.rows), c.rowsDigest}
                    .join(u',')
                    .toUtf8() +
                '\n';
    return text;
}

// 编号 of the students added after the run (late students), from the rows
// their additions recorded.
QSet<QString> lateKeys(Store& store)
{
    QSet<QString> out;
    for (const PublicChange& c : publicChanges(store)) {
        const QVector<QStringList> rows = parseCsv(c.rows.toUtf8());
        for (qsizetype r = 1; r < rows.size(); ++r)
            out.insert(rows.at(r).value(0));
    }
    return out;
}

// The database the roster's columns make: the fixed four, the conditions
// and the scores, as create would build it.
std::optional<CreateOptions> optionsOf(const QStringList& header)
{
    if (header.size() < 3 || header.at(0) != keyColumn() || header.at(1) != u"姓名" ||
        header.at(2) != sexColumn() || !header.contains(totalColumn()))
        return std::nullopt;
    CreateOptions o;
    for (const QString& field : header.mid(3)) {
        if (field == totalColumn() || o.chooseNamed(field))
            continue;
        if (!o.custom1) {
            o.custom1 = true;
            o.custom1Name = field;
        } else if (!o.custom2) {
            o.custom2 = true;
            o.custom2Name = field;
        } else {
            return std::nullopt;
        }
    }
    return o;
}

void fillRoster(Store& store, const QVector<QStringList>& rows)
{
    const QStringList& header = rows.first();
    RowSet rs = RowSet::open(store, studentTable());
    for (qsizetype r = 1; r < rows.size(); ++r) {
        rs.addNew();
        for (qsizetype c = 0; c < header.size(); ++c) {
            const QString cell = rows.at(r).value(c);
            rs.setValue(header.at(c), cell.isEmpty() ? QVariant() : QVariant(cell));
        }
        if (!rs.update())
            throw OperationError(
                QStringLiteral("名单.csv第%1行无法存入：%2").arg(r + 1).arg(rs.lastRefusal()));
    }
}

void fillRules(Store& store, const QVector<QStringList>& rows)
{
    QMap<int, PlacementRule> rules;
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QStringList& row = rows.at(r);
        const std::optional<RuleKind> kind = ruleKindFromName(row.value(1));
        if (row.size() != 5 || !kind)
            throw OperationError(QStringLiteral("规则.csv第%1行不是一条规则。").arg(r + 1));
        PlacementRule& rule = rules[row.at(0).toInt()];
        rule.kind = *kind;
        rule.members.append(row.at(2));
        if (rule.kind == RuleKind::AvoidTeacher)
            rule.teacher = row.at(3);
        else if (rule.kind == RuleKind::Classes)
            rule.classes = parseClassList(row.at(3)).value_or(QVector<int>{});
        else
            rule.cls = row.at(3).toInt();
        rule.note = row.at(4);
    }
    for (const PlacementRule& rule : rules)
        insertRule(store, rule);
}

QHash<QString, int> classesOf(const QVector<QStringList>& rows)
{
    QHash<QString, int> out;
    for (qsizetype r = 1; r < rows.size(); ++r)
        out.insert(rows.at(r).value(0), rows.at(r).value(1).toInt());
    return out;
}

// The classes of the re-run with the recorded changes applied, in their
// order: the late students a change added (their rows checked against the
// digest recorded with them and against the roster's columns) join without
// a class, then the change's moves; a move that does not start from the
// class the student holds is a difference. The failure, empty when the
// changes could be replayed.
QString applyChanges(QHash<QString, int>& classes, const QVector<QStringList>& rows,
                     const QStringList& rosterHeader, QStringList& differences)
{
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QString added = rows.at(r).value(4);
        if (!added.isEmpty() || !rows.at(r).value(5).isEmpty()) {
            if (sha256Hex(added) != rows.at(r).value(5))
                return QStringLiteral("改动.csv第%1行的新增学生与其行指纹不同。").arg(r + 1);
            const QVector<QStringList> late = parseCsv(added.toUtf8());
            if (late.isEmpty() || late.first() != rosterHeader)
                return QStringLiteral("改动.csv第%1行的新增学生的列与名单.csv不同。").arg(r + 1);
            for (qsizetype k = 1; k < late.size(); ++k) {
                const QString key = late.at(k).value(0);
                if (late.at(k).size() != rosterHeader.size() || key.isEmpty() ||
                    classes.contains(key))
                    return QStringLiteral("改动.csv第%1行新增的学生%2不能加入名单。")
                        .arg(r + 1)
                        .arg(key);
                classes.insert(key, 0);
            }
        }
        for (const QString& move : rows.at(r).value(3).split(u' ', Qt::SkipEmptyParts)) {
            const QString key = move.section(u':', 0, -2);
            const QString fromTo = move.section(u':', -1);
            const int from = fromTo.section(u'>', 0, 0).toInt(),
                      to = fromTo.section(u'>', 1).toInt();
            if (!classes.contains(key))
                differences.append(
                    QStringLiteral("%1\t改动记录调动此学生\t名单和新增学生中都没有").arg(key));
            else if (classes.value(key) != from)
                differences.append(QStringLiteral("%1\t改动记录从%2班调出\t重算在%3班")
                                       .arg(key)
                                       .arg(from)
                                       .arg(classes.value(key)));
            classes.insert(key, to);
        }
    }
    return {};
}

// The step that failed, as the verdict names it.
QString failed(const QString& step)
{
    return QStringLiteral("核对不通过：") + step;
}

void rerun(PackageCheck& check, const QMap<QString, QByteArray>& files)
{
    const QVector<QStringList> roster = parseCsv(files.value(rosterName));
    const std::optional<CreateOptions> options =
        roster.isEmpty() ? std::nullopt : optionsOf(roster.first());
    if (!options) {
        check.failure = failed(QStringLiteral("名单.csv的列不是本程序的学生表的列。"));
        return;
    }
    QTemporaryDir dir;
    Session session;
    QuietPrompt prompt;
    const Context ctx{dir.path(), session, prompt};
    try {
        RebuildStore(ctx, *options, [&](Store& store) {
            fillRoster(store, roster);
            fillRules(store, parseCsv(files.value(rulesName)));
        });
        Store store = OpenStore(ctx);
        Transaction tr(store);
        if (rosterCsv(store) != files.value(rosterName) ||
            rulesCsv(store) != files.value(rulesName)) {
            check.failure = failed(QStringLiteral("名单.csv或规则.csv读回后与原文件不同。"));
            return;
        }
        QVector<Notice> notices;
        runPlanIn(ctx, store, QString::fromUtf8(files.value(planName)), check.seed, notices);
        check.resultDigest = sha256Hex(resultText(store));
        if (check.resultDigest != recorded(files, QStringLiteral("分班结果摘要"))) {
            check.failure = failed(QStringLiteral("重算的分班结果摘要与数据包记录的不同。"));
            return;
        }
        QHash<QString, int> classes = Students(store).classesByKey();
        const QString replay = applyChanges(classes, parseCsv(files.value(changesName)),
                                            roster.first(), check.differences);
        if (!replay.isEmpty()) {
            check.failure = failed(replay);
            return;
        }
        const QHash<QString, int> recorded = classesOf(parseCsv(files.value(resultName)));
        QStringList keys = keysByBytes(QStringList(classes.keys()) + recorded.keys());
        keys.removeDuplicates();
        for (const QString& key : keys)
            if (!classes.contains(key) || !recorded.contains(key) ||
                classes.value(key) != recorded.value(key))
                check.differences.append(
                    QStringLiteral("%1\t结果%2\t重算%3")
                        .arg(key,
                             recorded.contains(key)
                                 ? QStringLiteral("%1班").arg(recorded.value(key))
                                 : QStringLiteral("无此学生"),
                             classes.contains(key) ? QStringLiteral("%1班").arg(classes.value(key))
                                                   : QStringLiteral("无此学生")));
        if (!check.differences.isEmpty())
            check.failure = failed(QStringLiteral("重算并按改动.csv调整后，%1处与结果.csv不同。")
                                       .arg(check.differences.size()));
    } catch (const OperationError& e) {
        check.failure = failed(QStringLiteral("按方案.txt重算失败：") + e.text());
    }
}

} // namespace

QStringList packageMembers()
{
    return {rosterName, rulesName, planName, partsName, resultName, changesName, digestsName};
}

std::optional<QString> WritePackage(const Context& ctx, const QString& path)
{
    const QString out = path.isEmpty() ? ctx.file(QStringLiteral("阳光分班.zip")) : path;
    QString refusal;
    QVector<std::pair<QString, QByteArray>> members;
    {
        Store store = OpenStore(ctx);
        const ReadTransaction tr(store);
        const std::optional<PublicState> state = loadPublicState(store);
        if (!state || !state->ran()) {
            refusal = QStringLiteral("还没有公开分班，没有数据包可写。");
        } else {
            // The roster as sealed: the late students come with their additions.
            const QSet<QString> late = lateKeys(store);
            const SealedFiles files{
                rosterCsv(store, [&](const QString& key) { return !late.contains(key); }),
                rulesCsv(store), state->planText.toUtf8()};
            members = {{rosterName, files.roster},
                       {rulesName, files.rules},
                       {planName, files.plan},
                       {partsName, (state->parts.join(u'\n') + u'\n').toUtf8()},
                       {resultName, resultCsv(store)},
                       {changesName, changesCsv(store)},
                       {digestsName, QStringLiteral("名单指纹\t%1\n种子\t%2\n分班结果摘要\t%3\n")
                                         .arg(state->fingerprint, state->seed, state->resultDigest)
                                         .toUtf8()}};
        }
    }
    if (refusal.isEmpty() && !writeZip(out, members))
        refusal = QStringLiteral("无法写入文件：") + out;
    if (!refusal.isEmpty()) {
        ctx.prompt.message(refusal, appTitle());
        return std::nullopt;
    }
    return out;
}

PackageCheck VerifyPackage(const QString& zipPath)
{
    PackageCheck check;
    const std::optional<QMap<QString, QByteArray>> files = readZip(zipPath);
    if (!files) {
        check.failure = failed(QStringLiteral("无法读取数据包：") + zipPath);
        return check;
    }
    for (const QString& name : packageMembers())
        if (!files->contains(name)) {
            check.failure = failed(QStringLiteral("数据包中没有") + name + QStringLiteral("。"));
            return check;
        }
    check.fingerprint =
        SealedFiles{files->value(rosterName), files->value(rulesName), files->value(planName)}
            .fingerprint();
    if (check.fingerprint != recorded(*files, QStringLiteral("名单指纹"))) {
        check.failure =
            failed(QStringLiteral("名单.csv、规则.csv和方案.txt的名单指纹与数据包记录的不同。"));
        return check;
    }
    QStringList parts = QString::fromUtf8(files->value(partsName)).split(u'\n');
    if (parts.size() < 2 || !parts.last().isEmpty()) {
        check.failure = failed(QStringLiteral("种子.txt不是一行一个部分。"));
        return check;
    }
    parts.removeLast();
    for (const QString& p : parts)
        if (!partProblem(p).isEmpty() || trimmedPart(p) != p) {
            check.failure = failed(QStringLiteral("种子.txt中有不能用的部分。"));
            return check;
        }
    check.seed = publicSeed(check.fingerprint, parts);
    if (check.seed != recorded(*files, QStringLiteral("种子"))) {
        check.failure = failed(QStringLiteral("由种子.txt算出的种子与数据包记录的不同。"));
        return check;
    }
    rerun(check, *files);
    return check;
}

QVector<QStringList> parseCsv(const QByteArray& bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QVector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
            any = true;
        } else if (c == u',') {
            row.append(field);
            field.clear();
            any = true;
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.isEmpty()) {
        row.append(field);
        rows.append(row);
    }
    return rows;
}

std::optional<QMap<QString, QByteArray>> readZip(const QString& path)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!z)
        return std::nullopt;
    QMap<QString, QByteArray> out;
    bool ok = true;
    const zip_int64_t count = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; ok && i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(z, zip_uint64_t(i), 0, &st) != 0 || st.size > 256u * 1024 * 1024) {
            ok = false;
            break;
        }
        QByteArray data(qsizetype(st.size), '\0');
        zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
        ok = f && zip_fread(f, data.data(), st.size) == zip_int64_t(st.size);
        if (f)
            zip_fclose(f);
        out.insert(QString::fromUtf8(st.name), data);
    }
    zip_discard(z);
    if (!ok)
        return std::nullopt;
    return out;
}

bool writeZip(const QString& path, const QVector<std::pair<QString, QByteArray>>& members)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return false;
    for (const auto& [name, data] : members) {
        zip_source_t* src = zip_source_buffer(z, data.constData(), zip_uint64_t(data.size()), 0);
        if (!src || zip_file_add(z, name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) < 0) {
            if (src)
                zip_source_free(src);
            zip_discard(z);
            return false;
        }
    }
    return zip_close(z) == 0;
}

} // namespace quorvel
