#include "applyclasses.h"
#include "history.h"

#include "core/context.h"
#include "store/store.h"

namespace quorvel {

namespace {

// At most this many keys are named in a message; the rest are counted.
constexpr int namedKeys = 20;

QString keysText(const QStringList& keys)
{
    QString text = keys.mid(0, namedKeys).join(QStringLiteral("、"));
    if (keys.size() > namedKeys)
        text += QStringLiteral("等");
    return text;
}

QString restoredMessage(qint64 id, const RestoreReport& report)
{
    QString text = QStringLiteral("已恢复到第%1个版本的分班。").arg(id);
    if (!report.missing.isEmpty())
        text += QStringLiteral("\n该版本中有%1名学生已不在学生表中：%2。")
                    .arg(report.missing.size())
                    .arg(keysText(report.missing));
    if (!report.added.isEmpty())
        text += QStringLiteral("\n之后新增的%1名学生没有分班（班级为0）：%2。")
                    .arg(report.added.size())
                    .arg(keysText(report.added));
    return text;
}

QString restoreQuestion(const VersionInfo& v)
{
    return QStringLiteral("恢复第%1个版本（%2 %3）的分班吗？\n现在的分班将被替换，恢复后可以撤销。")
        .arg(v.id)
        .arg(v.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), v.description());
}

} // namespace

QString unknownVersionMessage(qint64 id)
{
    return QStringLiteral("没有编号为%1的历史版本。").arg(id);
}

QVector<VersionInfo> VersionList(const Context& ctx)
{
    Store store = OpenStore(ctx);
    ReadTransaction read(store);
    return Versions(store).list();
}

RestoreReport RestoreVersion(const Context& ctx, qint64 id, bool confirmed)
{
    std::optional<VersionInfo> chosen;
    {
        Store store = OpenStore(ctx);
        chosen = Versions(store).find(id);
    }
    if (!chosen) {
        ctx.prompt.message(unknownVersionMessage(id), noticeTitle());
        return {};
    }
    if (!confirmed && !ctx.prompt.question(restoreQuestion(*chosen), noticeTitle()))
        return {};
    Store store = OpenStore(ctx);
    Transaction tr(store);
    Versions versions(store);
    const std::optional<ClassSnapshot> classes = versions.snapshot(id);
    if (!classes) {
        tr.rollback();
        ctx.prompt.message(unknownVersionMessage(id), noticeTitle());
        return {};
    }
    ctx.readingDone();
    const RestoreReport report = applyClasses(store, *classes);
    versions.record(QStringLiteral("恢复版本"), QStringLiteral("第%1个版本").arg(id));
    tr.commit();
    ctx.prompt.message(restoredMessage(id, report), noticeTitle());
    return report;
}

} // namespace quorvel
