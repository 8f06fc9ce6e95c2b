#include "rebuild.h"

#include "template.h"

#include "store/context.h"
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
    if (file.isDir() || (file.exists() && !file.isWritable()) || !folder.isWritable())
        return QStringLiteral(
                   "无法写入模板文件%1：文件是文件夹或只读，或所在文件夹只读。数据库没有改动，"
                   "请处理后再试。")
            .arg(templateFile());
    return {};
}

} // namespace

bool CreateDatabase(const Context& ctx, const CreateOptions& options)
{
    if (!ctx.prompt.question(
            QStringLiteral("确实要重建数据库吗？原有数据将全部被删除！且不可恢复！"),
            warningTitle(), PromptIcon::Exclamation, DefaultAnswer::No))
        return false;
    if (!CheckCreateOptions(ctx, options))
        return false;
    if (const QString fault = templateFault(ctx); !fault.isEmpty()) {
        ctx.prompt.message(fault, noticeTitle());
        return false;
    }
    try {
        RebuildStore(ctx, options);
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
    ctx.prompt.message(
        QStringLiteral("单击“第二步数据输入”按钮，将你的数据粘贴到Excel表中，保存。"));
    return true;
}

} // namespace quorvel
