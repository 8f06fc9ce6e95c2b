#include "htmlsource.h"

#include "store/errors.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <exception>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

namespace quorvel {

namespace {

// The widest span HTML gives a cell (colspan beyond it counts as it).
constexpr int kMaxColSpan = 1000;
constexpr int kMaxRowSpan = 65534;

// libxml2 never loads a file or a URL for the page: no entity, no DTD.
xmlParserInputPtr noEntity(const char*, const char*, xmlParserCtxtPtr)
{
    return nullptr;
}

void initLibxml()
{
    static const bool done = [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(noEntity);
        return true;
    }();
    Q_UNUSED(done);
}

QString lower(const xmlChar* name)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(name)).toLower();
}

// The leading digits of an attribute's value, as browsers read a span;
// fallback when it has none.
int spanOf(const xmlChar** atts, const char* attribute, int fallback, int most)
{
    for (int i = 0; atts && atts[i]; i += 2) {
        if (qstricmp(reinterpret_cast<const char*>(atts[i]), attribute) != 0 || !atts[i + 1])
            continue;
        const QByteArray value = QByteArray(reinterpret_cast<const char*>(atts[i + 1])).trimmed();
        qint64 n = 0;
        int digits = 0;
        for (const char c : value) {
            if (c < '0' || c > '9')
                break;
            n = qMin<qint64>(n * 10 + (c - '0'), most);
            ++digits;
        }
        return digits ? int(qMax<qint64>(n, 1)) : fallback;
    }
    return fallback;
}

// The walk over a page's elements that libxml2's SAX events drive: it
// finds which tables are sheets and gives the rows of one.
class Walker {
public:
    Walker(const QString& name, int target, std::function<bool(const SheetRow&)> visit)
        : m_name(name), m_target(target), m_visit(std::move(visit))
    {
    }

    void parse(const QByteArray& utf8);
    // By table: the most values a row of it holds.
    const QList<int>& filled() const { return m_filled; }

private:
    struct Table {
        int ordinal = 0;
        int rows = 0;
        bool inRow = false;
        bool inCell = false;
        SheetRow row;
        qint64 rowText = 0;
        int column = 0;
        int filled = 0;
        QList<int> spans;   // by column: the rows below still covered
        QList<int> covered; // the columns covered in this row
        QString text;
        bool space = false; // the text ends in a blank run together
        int colSpan = 1, rowSpan = 1;
    };

    static void startElement(void* ctx, const xmlChar* name, const xmlChar** atts);
    static void endElement(void* ctx, const xmlChar* name);
    static void characters(void* ctx, const xmlChar* chars, int length);
    template <typename F> static void guarded(void* ctx, F&& f);

    void start(const QString& name, const xmlChar** atts);
    void end(const QString& name);
    void text(QStringView chars);
    void startRow(Table& t);
    void endRow(Table& t);
    void startCell(Table& t, const xmlChar** atts);
    void endCell(Table& t);

    const QString& m_name;
    int m_target;
    std::function<bool(const SheetRow&)> m_visit;
    htmlParserCtxtPtr m_ctxt = nullptr;
    std::exception_ptr m_error;
    bool m_stopped = false;
    QList<Table> m_open; // the tables open, innermost last
    QList<int> m_filled;
    int m_depth = 0;
    int m_skip = 0; // inside elements whose text is not a cell's
};

template <typename F> void Walker::guarded(void* ctx, F&& f)
{
    auto* w = static_cast<Walker*>(ctx);
    if (w->m_stopped)
        return;
    try {
        f(*w);
    } catch (...) {
        w->m_error = std::current_exception();
        w->m_stopped = true;
    }
    if (w->m_stopped)
        xmlStopParser(w->m_ctxt);
}

void Walker::startElement(void* ctx, const xmlChar* name, const xmlChar** atts)
{
    guarded(ctx, [&](Walker& w) { w.start(lower(name), atts); });
}

void Walker::endElement(void* ctx, const xmlChar* name)
{
    guarded(ctx, [&](Walker& w) { w.end(lower(name)); });
}

void Walker::characters(void* ctx, const xmlChar* chars, int length)
{
    guarded(ctx, [&](Walker& w) {
        w.text(QString::fromUtf8(reinterpret_cast<const char*>(chars), length));
    });
}

void Walker::parse(const QByteArray& utf8)
{
    initLibxml();
    htmlSAXHandler sax{};
    sax.startElement = startElement;
    sax.endElement = endElement;
    sax.characters = characters;
    sax.cdataBlock = characters;
    sax.ignorableWhitespace = characters; // a blank between two words in tags
    m_ctxt = htmlCreatePushParserCtxt(&sax, this, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
    if (!m_ctxt)
        throwTooMuch(m_name);
    htmlCtxtUseOptions(m_ctxt, HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                   HTML_PARSE_IGNORE_ENC);
    // The page in one chunk: libxml2 then never searches the same bytes
    // twice for the end of a token.
    htmlParseChunk(m_ctxt, utf8.constData(), int(utf8.size()), 1);
    htmlFreeParserCtxt(m_ctxt);
    m_ctxt = nullptr;
    if (m_error)
        std::rethrow_exception(m_error);
    // The tables the page leaves open end with it.
    while (!m_stopped && !m_open.isEmpty())
        end(QStringLiteral("table"));
}

void Walker::start(const QString& name, const xmlChar** atts)
{
    if (++m_depth > HtmlSource::kMaxDepth)
        throwDamaged(m_name, QStringLiteral("网页的元素嵌套超过%1层").arg(HtmlSource::kMaxDepth));
    if (m_skip > 0 || name == u"script" || name == u"style" || name == u"title" ||
        name == u"caption" || name == u"select") {
        ++m_skip;
        return;
    }
    if (name == u"table") {
        m_open.append(Table{});
        m_open.last().ordinal = int(m_filled.size());
        m_filled.append(0);
        return;
    }
    if (m_open.isEmpty())
        return;
    Table& t = m_open.last();
    if (name == u"tr") {
        if (t.inRow)
            endRow(t);
        startRow(t);
    } else if (name == u"td" || name == u"th") {
        if (!t.inRow)
            startRow(t);
        if (t.inCell)
            endCell(t);
        startCell(t, atts);
    } else if (name == u"br" && t.inCell) {
        t.space = true; // a line of a header such as 语文<br>成绩
    }
}

void Walker::end(const QString& name)
{
    --m_depth;
    if (m_skip > 0) {
        --m_skip;
        return;
    }
    if (m_open.isEmpty())
        return;
    Table& t = m_open.last();
    if ((name == u"td" || name == u"th") && t.inCell) {
        endCell(t);
    } else if (name == u"tr" && t.inRow) {
        endRow(t);
    } else if (name == u"table") {
        if (t.inRow)
            endRow(t);
        m_open.removeLast();
    }
}

void Walker::text(QStringView chars)
{
    if (m_skip > 0 || m_open.isEmpty() || !m_open.last().inCell)
        return;
    Table& t = m_open.last();
    for (const QChar c : chars) {
        if (c.isSpace()) {
            t.space = true;
            continue;
        }
        if (t.space && !t.text.isEmpty())
            t.text += u' ';
        t.space = false;
        t.text += c;
    }
    if (t.text.size() > SheetSource::kMaxText)
        throwLongText(m_name);
}

void Walker::startRow(Table& t)
{
    if (++t.rows > SheetSource::kMaxRows)
        throwTooMuch(m_name);
    t.inRow = true;
    t.row = SheetRow{t.rows, {}};
    t.rowText = 0;
    t.column = 0;
    t.filled = 0;
    t.covered = t.spans;
    for (int& s : t.spans)
        s = qMax(0, s - 1);
}

void Walker::endRow(Table& t)
{
    if (t.inCell)
        endCell(t);
    t.inRow = false;
    m_filled[t.ordinal] = qMax(m_filled.at(t.ordinal), t.filled);
    if (t.ordinal != m_target || t.row.cells.isEmpty())
        return;
    if (!m_visit(t.row))
        m_stopped = true;
}

void Walker::startCell(Table& t, const xmlChar** atts)
{
    while (t.column < t.covered.size() && t.covered.at(t.column) > 0)
        ++t.column;
    t.inCell = true;
    t.text.clear();
    t.space = false;
    t.colSpan = spanOf(atts, "colspan", 1, kMaxColSpan);
    t.rowSpan = spanOf(atts, "rowspan", 1, kMaxRowSpan);
}

void Walker::endCell(Table& t)
{
    t.inCell = false;
    const int last = t.column + t.colSpan;
    if (last > SheetSource::kMaxColumns)
        throwTooMuch(m_name);
    if (t.spans.size() < last) {
        t.spans.resize(last);
        t.covered.resize(last);
    }
    for (int c = t.column; c < last; ++c)
        t.spans[c] = t.rowSpan - 1;
    const QString value = t.text;
    if (!value.isEmpty()) {
        t.rowText += value.size();
        if (t.rowText > SheetSource::kMaxRowText)
            throwLongRow(m_name, t.rows);
        ++t.filled;
        if (t.ordinal == m_target) {
            t.row.cells.resize(t.column);
            t.row.cells.append(value);
        }
    }
    t.column = last;
    t.text.clear();
}

// The charset the page's meta names in its first 4 KB; empty when none.
QByteArray metaCharset(const QByteArray& bytes)
{
    static const QRegularExpression meta(
        QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?\\s*([-\\w.:]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = meta.match(QString::fromLatin1(bytes.left(4096)));
    return match.hasMatch() ? match.captured(1).toLatin1().toLower() : QByteArray();
}

// The page as UTF-8, or nullopt when it is not text in encoding.
std::optional<QByteArray> decoded(const QByteArray& bytes, QStringConverter::Encoding encoding)
{
    QStringDecoder decode(encoding, QStringConverter::Flag::Stateless);
    const QString text = decode(bytes);
    if (decode.hasError())
        return std::nullopt;
    return text.toUtf8();
}

std::optional<QByteArray> decodedGb(const QByteArray& bytes)
{
    QStringDecoder decode("GB18030", QStringConverter::Flag::Stateless);
    const QString text = decode(bytes);
    if (!decode.isValid() || decode.hasError())
        return std::nullopt;
    return text.toUtf8();
}

} // namespace

HtmlSource::HtmlSource(const QByteArray& bytes, const QString& name) : SheetSource(name)
{
    examine(bytes);
}

HtmlSource::HtmlSource(const FileOnDisk& file, const QString& name) : SheetSource(name)
{
    QFile f(file.path);
    if (!f.open(QIODevice::ReadOnly))
        throwUnopened(name, !f.exists());
    const QByteArray bytes = f.read(kMaxFileSize + 1);
    if (f.error() != QFileDevice::NoError)
        throwUnopened(name, false);
    if (bytes.size() > kMaxFileSize)
        throwTooMuch(name);
    examine(bytes);
}

bool HtmlSource::recognises(const QByteArray& bytes)
{
    QByteArray head = bytes.left(2048);
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        QStringDecoder decode(head.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                          : QStringConverter::Utf16BE);
        head = QString(decode(head.mid(2))).toUtf8();
    } else if (head.startsWith("\xEF\xBB\xBF"))
        head = head.mid(3);
    head = head.trimmed().toLower();
    if (!head.startsWith('<'))
        return false;
    for (const char* tag : {"<html", "<table", "<!doctype html", "<head", "<body", "<meta"})
        if (head.contains(tag))
            return true;
    return false;
}

void HtmlSource::examine(const QByteArray& bytes)
{
    std::optional<QByteArray> utf8;
    const QByteArray charset = metaCharset(bytes);
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        utf8 = decoded(bytes.mid(3), QStringConverter::Utf8);
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        utf8 = decoded(bytes.mid(2), bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                                  : QStringConverter::Utf16BE);
    } else if (charset == "utf-8" || charset == "utf8") {
        utf8 = decoded(bytes, QStringConverter::Utf8);
    } else if (charset == "gbk" || charset == "gb2312" || charset == "gb18030" ||
               charset == "x-gbk" || charset == "cp936" || charset == "windows-936" ||
               charset == "euc-cn") {
        utf8 = decodedGb(bytes);
    } else if (!charset.isEmpty()) {
        throw OperationError(
            QStringLiteral(
                "网页%1的字符编码%2无法读取（只能读取UTF-8和GBK）。请在表格程序中打开它，"
                "另存为.xlsx后再试。")
                .arg(m_name, QString::fromLatin1(charset)));
    } else {
        utf8 = decoded(bytes, QStringConverter::Utf8);
        if (!utf8)
            utf8 = decodedGb(bytes);
    }
    if (!utf8)
        throwDamaged(m_name, QStringLiteral("网页中有不是文字的字节"));
    // A page has no use for entities of its own; a declaration of them is
    // taken for an attack (an entity that expands into billions).
    if (utf8->contains("<!ENTITY"))
        throwDamaged(m_name, QStringLiteral("网页中声明了实体"));
    m_utf8 = *utf8;
    hold(m_utf8.size());
    Walker walker(m_name, -1, {});
    walker.parse(m_utf8);
    // The tables of data, not those laying out a title or a note: those
    // with a row of two values, or else those with any value.
    const QList<int>& filled = walker.filled();
    for (int least = 2; least > 0 && m_tables.isEmpty(); --least)
        for (int i = 0; i < filled.size(); ++i)
            if (filled.at(i) >= least)
                m_tables.append(i);
    if (filled.isEmpty())
        throw OperationError(QStringLiteral("网页%1中没有表格，无法读取。").arg(m_name));
}

QStringList HtmlSource::sheetNames() const
{
    QStringList names;
    for (int i = 0; i < m_tables.size(); ++i)
        names.append(QStringLiteral("表%1").arg(i + 1));
    return names;
}

void HtmlSource::readRows(int sheet, const std::function<bool(const SheetRow&)>& visit)
{
    if (sheet < 0 || sheet >= m_tables.size())
        throwDamaged(m_name);
    Walker walker(m_name, m_tables.at(sheet), visit);
    walker.parse(m_utf8);
}

} // namespace quorvel
