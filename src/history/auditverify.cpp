#include "auditverify.h"

#include "adjust/schemeregistry.h"
#include "core/context.h"
#include "store/auditrecord.h"
#include "store/fieldlists.h"
#include "store/store.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>

namespace quorvel {

QString noAuditMessage()
{
    return QStringLiteral("还没有分班记录。");
}

namespace {

// Runs the scheme of the record in ctx with the requests it recorded; false
// for a scheme not registered.
bool rerun(const Context& ctx, const AuditRecord& r)
{
    const Scheme* scheme = findScheme(r.scheme);
    if (!scheme)
        return false;
    for (const DivisionRequest& request : scheme->replay(r.parameters))
        RunDivision(ctx, *scheme, request);
    return true;
}

QHash<QString, int> classesOf(const QString& resultText)
{
    QHash<QString, int> out;
    for (const QString& line : resultText.split(u'\n', Qt::SkipEmptyParts))
        out.insert(line.section(u'\t', 0, 0), line.section(u'\t', 1).toInt());
    return out;
}

QVector<AuditDifference> differences(const QString& recorded, const QString& rerun)
{
    const QHash<QString, int> a = classesOf(recorded), b = classesOf(rerun);
    QStringList keys = a.keys() + b.keys();
    keys.sort();
    keys.removeDuplicates();
    QVector<AuditDifference> out;
    for (const QString& k : keys)
        if (a.value(k) != b.value(k) || a.contains(k) != b.contains(k))
            out.append({k, a.value(k), b.value(k)});
    return out;
}

// The copy's students in the row order the division started from.
void startFromRecordedOrder(const Context& ctx, const AuditRecord& r)
{
    Store store = OpenStore(ctx);
    Transaction tr(store);
    restoreRowOrder(store, r.rowOrder);
    tr.commit();
}

// The record and a copy of the folder's database and field lists, taken in
// one read transaction.
std::optional<AuditCheck> copyForRerun(const Context& ctx, const QString& folder)
{
    std::optional<AuditCheck> check;
    {
        Store store = OpenStore(ctx);
        const ReadTransaction tr(store);
        if (std::optional<AuditRecord> record = loadLatestAudit(store)) {
            check = AuditCheck{*record, sha256Hex(intakeText(store)), false, {},
                               {},      ChangesOutsideProgram(store)};
            for (const QString& name :
                 {Store::fileName(), fieldSetFile(), conditionListFile(), scoreListFile()})
                QFile::copy(ctx.file(name), folder + u'/' + name);
            ctx.readingDone();
        }
    }
    if (!check)
        ctx.prompt.message(noAuditMessage(), appTitle());
    return check;
}

} // namespace

std::optional<AuditCheck> VerifyLatestDivision(const Context& ctx)
{
    QTemporaryDir dir;
    std::optional<AuditCheck> check = copyForRerun(ctx, dir.path());
    if (!check)
        return std::nullopt;
    Session session;
    QuietPrompt prompt;
    const Context copy{dir.path(), session, prompt};
    startFromRecordedOrder(copy, check->record);
    check->rerunDone = rerun(copy, check->record);
    if (check->rerunDone) {
        Store store = OpenStore(copy);
        const QString classes = resultText(store);
        check->differences = differences(check->record.resultText, classes);
        check->resultDigestRerun = sha256Hex(classes);
    }
    return check;
}

std::optional<AuditView> ReadAudit(const Context& ctx)
{
    std::optional<AuditView> view;
    {
        Store store = OpenStore(ctx);
        const ReadTransaction tr(store);
        if (const std::optional<AuditRecord> record = loadLatestAudit(store))
            view = AuditView{*record, sha256Hex(intakeText(store)), sha256Hex(resultText(store)),
                             ClassChangesSince(store, record->when), ChangesOutsideProgram(store)};
    }
    if (!view)
        ctx.prompt.message(noAuditMessage(), appTitle());
    return view;
}

namespace {

QString schemeCaption(const QString& name)
{
    const Scheme* scheme = findScheme(name);
    return name + QStringLiteral("（") + (scheme ? scheme->caption : QString()) +
           QStringLiteral("）");
}

QString timeText(const QDateTime& t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// "不是本程序做的改动"
QString outsideCaption()
{
    return QStringLiteral("不是本程序做的改动");
}

QString verdict(const AuditCheck& check)
{
    if (check.passed())
        return QStringLiteral("核对通过：按记录的方案和参数重算，分班结果与记录相同。");
    if (!check.rerunDone)
        return QStringLiteral("核对不通过：记录中的分班方案“%1”本程序不认识，无法重算。")
            .arg(check.record.scheme);
    if (!check.differences.isEmpty())
        return QStringLiteral("核对不通过：%1名学生的班级与记录不同。")
            .arg(check.differences.size());
    if (!check.intakeSame())
        return QStringLiteral("核对不通过：学生名单在分班之后被改动过。");
    if (!check.resultSame())
        return QStringLiteral("核对不通过：记录的分班结果摘要与重算的结果不符，记录被改动过。");
    return QStringLiteral("核对不通过：%1名学生的班级不是本程序改动的。").arg(check.outside.size());
}

} // namespace

QStringList auditLines(const AuditView& view)
{
    const QVector<ClassChange>& changes = view.changes;
    const AuditRecord& r = view.record;
    QStringList lines{QStringLiteral("分班时间\t") + timeText(r.when),
                      QStringLiteral("程序版本\t") + r.version,
                      QStringLiteral("分班方案\t") + schemeCaption(r.scheme)};
    for (const QString& p : r.parameters.split(u'\n', Qt::SkipEmptyParts))
        lines.append(QStringLiteral("参数\t") + p);
    lines << QStringLiteral("学生名单摘要\t") + r.intakeDigest
          << QStringLiteral("分班结果摘要\t") + r.resultDigest;
    if (sha256Hex(r.resultText) != r.resultDigest)
        lines << QStringLiteral("记录核对\t记录的分班结果摘要不是记录中分班结果的摘要（%1），"
                                "记录被改动过")
                     .arg(sha256Hex(r.resultText));
    lines << QStringLiteral("现在的学生名单摘要\t") + view.intakeDigestNow
          << QStringLiteral("现在的分班结果摘要\t") + view.resultDigestNow;
    const qsizetype count = changes.size() + (view.outside.isEmpty() ? 0 : 1);
    lines.append(QStringLiteral("分班后的改动\t") +
                 (count == 0 ? QStringLiteral("无") : QString::number(count)));
    for (const ClassChange& c : changes)
        lines.append(timeText(c.when) + u'\t' + c.what + u'\t' + c.students.join(u' '));
    if (!view.outside.isEmpty())
        lines.append(QStringLiteral("时间不明\t") + outsideCaption() + u'\t' +
                     classChangesText(view.outside));
    return lines;
}

QStringList auditCheckLines(const AuditCheck& check)
{
    QStringList lines;
    if (!check.intakeSame())
        lines.append(QStringLiteral("学生名单与分班时不同：摘要是%1，记录的是%2。")
                         .arg(check.intakeDigestNow, check.record.intakeDigest));
    if (!check.rerunDone)
        lines.append(QStringLiteral("不能重算这个方案：") + check.record.scheme);
    for (const AuditDifference& d : check.differences)
        lines.append(
            QStringLiteral("%1\t记录%2班\t重算%3班").arg(d.key).arg(d.recorded).arg(d.rerun));
    if (check.rerunDone && !check.resultSame())
        lines.append(QStringLiteral("分班结果摘要与重算的不同：重算的是%1，记录的是%2。")
                         .arg(check.resultDigestRerun, check.record.resultDigest));
    if (!check.outside.isEmpty())
        lines.append(outsideCaption() + QStringLiteral("：") + classChangesText(check.outside));
    lines.append(verdict(check));
    return lines;
}

} // namespace quorvel
