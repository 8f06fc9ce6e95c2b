#pragma once

#include "classlists.h"
#include "printsheets.h"

#include <QDate>
#include <QString>

namespace quorvel {

struct Context;

inline QString publicNoticeTitle()
{
    return QStringLiteral("新生分班公示");
}
// "公示只能保存为.pdf或.html文件：PATH"
QString noticeExtensionMessage(const QString& path);

// One sheet per class: 序号, the masked 编号 and the masked 姓名, nothing
// else of a student; the head teacher under the title.
QVector<PrintSheet> noticeSheets(const ClassLists& lists);
// The notice as one HTML page, dated, with footer (publicRunFooter) at its
// foot when there is one.
QString noticeHtml(const QVector<PrintSheet>& sheets, const QDate& date,
                   const QString& footer = {});
// The sheets of the notice's PDF: every page under the notice's title and
// its class, dated as the HTML page is; the footer's digests on a last
// sheet of their own.
QVector<PrintSheet> noticePrintSheets(QVector<PrintSheet> sheets, const QDate& date,
                                      const QString& footer = {});

// The public notice into path, a PDF or an HTML page by its extension (a
// new name of the folder, as PDF, when empty). The path written; empty when
// refused (a student without a class, no class) or not written; an own file
// or another extension throws OperationError before anything is read.
QString PublicNotice(const Context& ctx, QString path = {});

} // namespace quorvel
