#include "auditsheet.h"

#include "classlistpdf.h"
#include "history/auditverify.h"

namespace quorvel {

PrintSheet auditSheet(const AuditView& view)
{
    PrintSheet sheet{QStringLiteral("分班审计记录"),
                     QStringLiteral("摘要为SHA-256，可用 quorvel-cli audit verify 核对"),
                     {QStringLiteral("项目"), QStringLiteral("内容")},
                     {}};
    for (const QString& line : auditLines(view)) {
        const qsizetype tab = line.indexOf(u'\t');
        // a change: its time, then what it was and its students, wrapped
        sheet.rows.append({line.left(tab), line.mid(tab + 1).replace(u'\t', u'：')});
    }
    return sheet;
}

QString AuditSheetPdf(const Context& ctx, QString path)
{
    const QString title = QStringLiteral("分班审计记录");
    path = publishTarget(ctx, path, title, QStringLiteral(".pdf"));
    const std::optional<AuditView> view = ReadAudit(ctx);
    return view ? reportWritten(ctx, path, writeSheetsPdf(path, {auditSheet(*view)}, title))
                : QString();
}

} // namespace quorvel
