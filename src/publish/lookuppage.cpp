#include "lookuppage.h"

#include "classlistpdf.h"
#include "htmlpage.h"
#include "lookupscript.h"
#include "store/fieldlists.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRandomGenerator>

namespace quorvel {

QString lookupDigest(const QString& salt, const QString& name, const QString& number)
{
    const QString text = salt + u'\n' + name.trimmed() + u'\n' + number.trimmed();
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString newLookupSalt()
{
    QByteArray bytes(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), 4);
    return QString::fromLatin1(bytes.toHex());
}

namespace {

QJsonObject lookupData(const ClassLists& lists, const QString& salt)
{
    const int key = lists.columnIndex(keyColumn());
    const int name = lists.columnIndex(QStringLiteral("姓名"));
    QJsonArray classes;
    QMap<QString, int> digests; // sorted: the order tells nothing of the list
    for (const ClassList& list : lists.classes) {
        classes.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("%1班").arg(list.cls)},
                                   {QStringLiteral("teacher"), list.teacher}});
        for (const QStringList& row : list.rows)
            digests.insert(lookupDigest(salt, row.value(name), row.value(key)),
                           int(classes.size() - 1));
    }
    QJsonObject map;
    for (auto it = digests.cbegin(); it != digests.cend(); ++it)
        map.insert(it.key(), it.value());
    return {{QStringLiteral("salt"), salt},
            {QStringLiteral("classes"), classes},
            {QStringLiteral("digests"), map}};
}

// JSON written into a script element: the characters that could end the
// element (</script>), open a comment or an entity, or end a line of
// script in older engines (U+2028, U+2029) only occur inside its strings,
// where a \u escape stands for them.
QString scriptJson(const QByteArray& json)
{
    QString out;
    const QString text = QString::fromUtf8(json);
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'<' || c == u'>' || c == u'&' || c == QChar(0x2028) || c == QChar(0x2029))
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

const char* form = R"(<h1>%1</h1>
<form id="form" autocomplete="off">
<p><label>姓名 <input id="name" name="name"></label></p>
<p><label>编号 <input id="number" name="number"></label></p>
<p><button type="submit">查询</button></p>
</form>
<p id="result" role="status"></p>
<p class="sub">本页不含学生名单，只能按姓名和编号查询，不联网也能用。</p>
)";

} // namespace

QString lookupPageHtml(const ClassLists& lists, const QString& salt)
{
    const QByteArray data = QJsonDocument(lookupData(lists, salt)).toJson(QJsonDocument::Compact);
    const QString body =
        QString::fromUtf8(form).arg(lookupPageTitle().toHtmlEscaped()) +
        QStringLiteral("<script>\nconst LOOKUP = ") + scriptJson(data) + QStringLiteral(";\n") +
        lookupScript() + QStringLiteral("</script>\n") +
        (lists.publicFingerprint.isEmpty() ? QString()
                                           : QStringLiteral("<p class=\"sub\">%1</p>\n")
                                                 .arg(publicRunFooter(lists).toHtmlEscaped()));
    const QString style = QStringLiteral(
        "<style>form{text-align:center}input{font-size:1.2em}#result{text-align:center;"
        "font-size:1.4em}.found{color:#064}.refused{color:#a00}</style>\n");
    return htmlPage(lookupPageTitle(), body, style);
}

QString LookupPage(const Context& ctx, QString path)
{
    path = publishTarget(ctx, path, QStringLiteral("分班查询"), QStringLiteral(".html"));
    const std::optional<ClassLists> lists = ReadClassLists(ctx);
    return lists ? reportWritten(ctx, path,
                                 writeUtf8File(path, lookupPageHtml(*lists, newLookupSalt())))
                 : QString();
}

} // namespace quorvel
