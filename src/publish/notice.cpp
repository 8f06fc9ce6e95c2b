#include "notice.h"

#include "classlistpdf.h"
#include "htmlpage.h"
#include "masking.h"
#include "store/errors.h"
#include "store/fieldlists.h"

namespace quorvel {

namespace {

bool isHtml(const QString& path)
{
    return path.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive) ||
           path.endsWith(QStringLiteral(".htm"), Qt::CaseInsensitive);
}

bool isPdf(const QString& path)
{
    return path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
}

} // namespace

QString noticeExtensionMessage(const QString& path)
{
    return QStringLiteral("公示只能保存为.pdf或.html文件：") + path;
}

QVector<PrintSheet> noticeSheets(const ClassLists& lists)
{
    const int key = lists.columnIndex(keyColumn());
    const int name = lists.columnIndex(QStringLiteral("姓名"));
    QVector<PrintSheet> sheets;
    for (const ClassList& list : lists.classes) {
        PrintSheet s{QStringLiteral("%1班").arg(list.cls),
                     QStringLiteral("共%1人").arg(list.rows.size()),
                     {serialColumn(), keyColumn(), QStringLiteral("姓名")},
                     {}};
        if (!list.teacher.isEmpty())
            s.subtitle =
                QStringLiteral("班主任：") + list.teacher + QStringLiteral("    ") + s.subtitle;
        for (int r = 0; r < list.rows.size(); ++r)
            s.rows.append({QString::number(r + 1), maskNumber(list.rows.at(r).value(key)),
                           maskName(list.rows.at(r).value(name))});
        sheets.append(s);
    }
    return sheets;
}

QString noticeHtml(const QVector<PrintSheet>& sheets, const QDate& date, const QString& footer)
{
    QString body = QStringLiteral("<h1>%1</h1>\n<p class=\"sub\">公示日期：%2</p>\n")
                       .arg(publicNoticeTitle(), date.toString(QStringLiteral("yyyy-MM-dd")));
    for (const PrintSheet& s : sheets)
        body += htmlSheet(s);
    if (!footer.isEmpty())
        body += QStringLiteral("<p class=\"sub\">%1</p>\n").arg(footer.toHtmlEscaped());
    return htmlPage(publicNoticeTitle(), body);
}

QVector<PrintSheet> noticePrintSheets(QVector<PrintSheet> sheets, const QDate& date,
                                      const QString& footer)
{
    for (PrintSheet& s : sheets) {
        s.title = publicNoticeTitle() + QStringLiteral("　") + s.title;
        s.subtitle +=
            QStringLiteral("    公示日期：") + date.toString(QStringLiteral("yyyy-MM-dd"));
    }
    // The public run's digests on a last sheet of their own: a footer line
    // of two 64-digit digests would not fit a page's width.
    if (!footer.isEmpty()) {
        PrintSheet check{QStringLiteral("阳光分班核对信息"),
                         {},
                         {QStringLiteral("项目"), QStringLiteral("值")},
                         {}};
        for (const QString& part : footer.split(QStringLiteral("；")))
            check.rows.append(
                {part.section(QStringLiteral("："), 0, 0), part.section(QStringLiteral("："), 1)});
        sheets.append(check);
    }
    return sheets;
}

QString PublicNotice(const Context& ctx, QString path)
{
    if (!path.isEmpty() && !isPdf(path) && !isHtml(path))
        throw OperationError(noticeExtensionMessage(path));
    path = publishTarget(ctx, path, QStringLiteral("分班公示"), QStringLiteral(".pdf"));
    const std::optional<ClassLists> lists = ReadClassLists(ctx);
    if (!lists)
        return {};
    const QVector<PrintSheet> sheets = noticeSheets(*lists);
    const QString footer = publicRunFooter(*lists);
    const bool written =
        isHtml(path) ? writeUtf8File(path, noticeHtml(sheets, QDate::currentDate(), footer))
                     : writeSheetsPdf(path, noticePrintSheets(sheets, QDate::currentDate(), footer),
                                      publicNoticeTitle());
    return reportWritten(ctx, path, written);
}

} // namespace quorvel
