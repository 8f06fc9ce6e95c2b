#include "rebuild.h"

#include "template.h"

#include "core/context.h"
#include "core/textfile.h"
#include "store/errors.h"
#include "store/schema.h"

#include <QFileInfo>

namespace quorvel {

namespace {

// Why the template could not be replaced, found before the rebuild: empty
// when it can.
QString templateFault(const Context& ctx)
{
    const QFileInfo file(ctx.file(templateFile()));
    const QFileInfo folder(ctx.folder);
    if (file.isDir() || (file.exists() && !file.isWritable()) || !folder.isWritable() ||
        !isReplaceableFile(file.filePath()))
        return QStringLiteral(
                   "无法写入模板文件%1：文件是文件夹或只读，或所在文件夹只读。数据库没有改动，"
                   "请处理后再试。")
            .arg(templateFile());
    return {};
}

} // namespace

namespace {

// The choices and the template checked before anything changes; false,
// after the refusal's message, when either cannot be taken.
bool checkChoices(const Context& ctx, const CreateOptions& options)
{
    if (!CheckCreateOptions(ctx, options))
        return false;
    if (const QString fault = templateFault(ctx); !fault.isEmpty()) {
        ctx.prompt.message(fault, noticeTitle());
        return false;
    }
    return true;
}

bool askRebuild(const Context& ctx, const QString& question)
{
    return ctx.prompt.question(question, warningTitle(), PromptIcon::Exclamation,
                               DefaultAnswer::No);
}

// The rebuild (with fill in its transaction) and the template after it.
bool rebuildAndWriteTemplate(const Context& ctx, const CreateOptions& options,
                             const std::function<void(Store&)>& fill)
{
    try {
        RebuildStore(ctx, options, fill);
    } catch (const OperationError& e) {
        ctx.prompt.message(QStringLiteral("创建数据库失败，原有数据库和字段文件未改动：") +
                           e.text());
        return false;
    }
    QString error;
    if (!ExportTemplate(ctx, &error)) {
        ctx.prompt.message(QStringLiteral("数据库已创建，但模板未能写入：") + error, noticeTitle());
        return false;
    }
    return true;
}

} // namespace

QString rebuildQuestion()
{
    return QStringLiteral("确实要重建数据库吗？原有数据将全部被删除！且不可恢复！");
}

bool CreateDatabase(const Context& ctx, const CreateOptions& options, bool nextStep)
{
    if (!askRebuild(ctx, rebuildQuestion()) || !checkChoices(ctx, options) ||
        !rebuildAndWriteTemplate(ctx, options, {}))
        return false;
    if (nextStep)
        ctx.prompt.message(
            QStringLiteral("单击“第二步数据输入”按钮，将你的数据粘贴到Excel表中，保存。"));
    return true;
}

bool CreateFilledDatabase(const Context& ctx, const CreateOptions& options, const QString& question,
                          const std::function<void(Store&)>& fill)
{
    return checkChoices(ctx, options) && askRebuild(ctx, question) &&
           rebuildAndWriteTemplate(ctx, options, fill);
}

} // namespace quorvel
