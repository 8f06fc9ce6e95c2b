#include "seal.h"

#include "adjust/schemeregistry.h"
#include "core/context.h"
#include "core/errors.h"
#include "store/store.h"
#include "store/students.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSaveFile>
#include <QSet>

namespace quorvel {

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw OperationError(QStringLiteral("无法写入文件：%1（%2）").arg(path, f.errorString()));
}

} // namespace

QString publicFolder(const Context& ctx)
{
    return ctx.file(QStringLiteral("阳光分班"));
}

QString SealedFiles::fingerprint() const
{
    return QString::fromLatin1(
        QCryptographicHash::hash(roster + rules + plan, QCryptographicHash::Sha256).toHex());
}

SealedFiles sealedFilesNow(Store& store, const QString& planText)
{
    return {rosterCsv(store), rulesCsv(store), planText.toUtf8()};
}

QString notSealedMessage()
{
    return QStringLiteral("名单没有封存。");
}

int ruleCountOf(const QByteArray& rulesCsvText)
{
    QSet<QByteArray> numbers;
    const QList<QByteArray> lines = rulesCsvText.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (!lines.at(i).isEmpty())
            numbers.insert(lines.at(i).left(lines.at(i).indexOf(',')));
    return int(numbers.size());
}

std::optional<FreezeOutcome> FreezeRoster(const Context& ctx, const PublicPlan& plan)
{
    QString refusal = planProblem(plan);
    std::optional<FreezeOutcome> outcome;
    if (refusal.isEmpty()) {
        Store store = OpenStore(ctx);
        Transaction tr(store);
        const std::optional<PublicState> was = loadPublicState(store);
        const Scheme* scheme = findScheme(plan.scheme);
        if (was && was->sealed)
            refusal = sealedMessage(was->fingerprint);
        else if (scheme->ranksClasses && readStage(store) == SchoolStage::Compulsory)
            refusal = compulsoryRankingMessage();
        else if (Students(store).count() == 0)
            refusal = QStringLiteral("数据库中没有学生，不能封存名单。");
        else {
            const SealedFiles files = sealedFilesNow(store, planText(plan));
            ctx.readingDone();
            const QString folder = publicFolder(ctx);
            QDir().mkpath(folder);
            writeFile(folder + QStringLiteral("/名单.csv"), files.roster);
            writeFile(folder + QStringLiteral("/规则.csv"), files.rules);
            writeFile(folder + QStringLiteral("/方案.txt"), files.plan);
            PublicState state;
            state.sealed = true;
            state.sealedAt = QDateTime::currentDateTime();
            state.fingerprint = files.fingerprint();
            state.planText = QString::fromUtf8(files.plan);
            savePublicState(store, state);
            tr.commit();
            outcome = FreezeOutcome{state.fingerprint, Students(store).count(),
                                    ruleCountOf(files.rules), plan, folder};
        }
    }
    if (!refusal.isEmpty())
        ctx.prompt.message(refusal, appTitle());
    return outcome;
}

std::optional<PublicState> ReadPublicState(const Context& ctx)
{
    Store store = OpenStore(ctx);
    const ReadTransaction tr(store);
    return loadPublicState(store);
}

QStringList PublicRecordLines(const Context& ctx)
{
    Store store = OpenStore(ctx);
    const ReadTransaction tr(store);
    const std::optional<PublicState> s = loadPublicState(store);
    if (!s)
        return {};
    const QString timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    QStringList lines{QStringLiteral("阳光分班名单指纹\t") + s->fingerprint,
                      QStringLiteral("名单封存\t") +
                          (s->sealed ? QStringLiteral("是") : QStringLiteral("否"))};
    if (s->ran())
        lines << QStringLiteral("阳光分班时间\t") + s->runAt.toString(timeFormat)
              << QStringLiteral("阳光分班种子\t") + s->seed
              << QStringLiteral("阳光分班结果摘要\t") + s->resultDigest;
    for (const PublicChange& c : publicChanges(store))
        lines.append(QStringList{
            c.when.toString(timeFormat), c.what, QStringLiteral("理由：") + c.reason,
            c.students.isEmpty() ? QStringLiteral("名单指纹") + c.fingerprint : c.students}
                         .join(u'\t'));
    return lines;
}

bool UnfreezeRoster(const Context& ctx, const QString& reason)
{
    QString refusal;
    if (reason.trimmed().isEmpty()) {
        refusal = QStringLiteral("解除封存必须用 --reason 说明理由。");
    } else {
        Store store = OpenStore(ctx);
        Transaction tr(store);
        std::optional<PublicState> state = loadPublicState(store);
        if (!state || !state->sealed) {
            refusal = notSealedMessage();
        } else {
            state->sealed = false;
            savePublicState(store, *state);
            addPublicChange(store, {QDateTime::currentDateTime(),
                                    QStringLiteral("解除封存"),
                                    reason.trimmed(),
                                    state->fingerprint,
                                    {},
                                    {},
                                    {}});
            tr.commit();
        }
    }
    if (!refusal.isEmpty())
        ctx.prompt.message(refusal, appTitle());
    return refusal.isEmpty();
}

} // namespace quorvel
