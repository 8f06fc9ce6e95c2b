#include "auditsheet.h"

#include "classlistpdf.h"
#include "history/auditverify.h"
#include "store/ownfiles.h"

namespace quorvel {

PrintSheet auditSheet(const AuditView& view)
{
    PrintSheet sheet{QStringLiteral("分班审计记录"),
                     QStringLiteral("摘要为SHA-256，可用 quorvel-cli audit verify 核对"),
                     {QStringLiteral("项目"), QStringLiteral("内容")},
                     {}};
    for (const QString& line : auditLines(view)) {
        const qsizetype tab = line.indexOf(u'\t');
        sheet.rows.append({line.left(tab), line.mid(tab + 1)});
    }
    return sheet;
}

QString AuditSheetPdf(const Context& ctx, QString path)
{
    if (path.isEmpty())
        path = newPublishPath(ctx, QStringLiteral("分班审计记录"), QStringLiteral(".pdf"));
    RequireOutputPath(ctx, path);
    const std::optional<AuditView> view = ReadAudit(ctx);
    if (!view)
        return {};
    const bool written = writeSheetsPdf(path, {auditSheet(*view)}, QStringLiteral("分班审计记录"));
    return reportWritten(ctx, path, written) ? path : QString();
}

} // namespace quorvel
