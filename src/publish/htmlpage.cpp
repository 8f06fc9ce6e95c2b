#include "htmlpage.h"

#include "core/textfile.h"
#include "printsheets.h"

#include <QSaveFile>

namespace quorvel {

namespace {

QString cells(const QStringList& texts, const char* tag)
{
    QString out = QStringLiteral("<tr>");
    for (const QString& t : texts)
        out += QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), t.toHtmlEscaped());
    return out + QStringLiteral("</tr>\n");
}

const char* style = "body{font-family:'Noto Sans CJK SC','WenQuanYi Zen Hei',sans-serif;"
                    "margin:2em auto;max-width:48em;padding:0 1em}"
                    "h1,h2,p.sub{text-align:center}"
                    "table{border-collapse:collapse;margin:0 auto 2em}"
                    "td,th{border:1px solid #444;padding:.2em .8em;text-align:center}"
                    "section{page-break-after:always}";

} // namespace

QString htmlSheet(const PrintSheet& sheet)
{
    QString out = QStringLiteral("<section>\n<h2>%1</h2>\n<p class=\"sub\">%2</p>\n<table>\n")
                      .arg(sheet.title.toHtmlEscaped(), sheet.subtitle.toHtmlEscaped());
    out += cells(sheet.headers, "th");
    for (const QStringList& row : sheet.rows)
        out += cells(row, "td");
    return out + QStringLiteral("</table>\n</section>\n");
}

QString htmlPage(const QString& title, const QString& body, const QString& head)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
               "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">\n"
               "<title>%1</title>\n<style>%2</style>\n%3</head>\n<body>\n%4</body>\n"
               "</html>\n")
        .arg(title.toHtmlEscaped(), QLatin1String(style), head, body);
}

bool writeUtf8File(const QString& path, const QString& text)
{
    if (!isReplaceableFile(path))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

} // namespace quorvel
