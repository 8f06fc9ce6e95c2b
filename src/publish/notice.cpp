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

QString noticeHtml(const QVector<PrintSheet>& sheets, const QDate& date)
{
    QString body = QStringLiteral("<h1>%1</h1>\n<p class=\"sub\">公示日期：%2</p>\n")
                       .arg(publicNoticeTitle(), date.toString(QStringLiteral("yyyy-MM-dd")));
    for (const PrintSheet& s : sheets)
        body += htmlSheet(s);
    return htmlPage(publicNoticeTitle(), body);
}

QVector<PrintSheet> noticePrintSheets(QVector<PrintSheet> sheets, const QDate& date)
{
    for (PrintSheet& s : sheets) {
        s.title = publicNoticeTitle() + QStringLiteral("　") + s.title;
        s.subtitle +=
            QStringLiteral("    公示日期：") + date.toString(QStringLiteral("yyyy-MM-dd"));
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
    const bool written = isHtml(path)
                             ? writeUtf8File(path, noticeHtml(sheets, QDate::currentDate()))
                             : writeSheetsPdf(path, noticePrintSheets(sheets, QDate::currentDate()),
                                              publicNoticeTitle());
    return reportWritten(ctx, path, written);
}

} // namespace quorvel
