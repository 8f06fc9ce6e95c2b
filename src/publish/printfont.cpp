#include "printfont.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QMap>
#include <QMutex>
#include <QRawFont>
#include <QtEndian>
#include <algorithm>
#include <map>
#include <vector>

namespace quorvel {

namespace {

QMutex printFontMutex;
QString chosenFamily; // guarded by printFontMutex

// The tables of a face that are copied as they are; the character map and
// the names are written anew, a signature would no longer hold. The glyph
// substitutions are left out: the PDF names only glyphs its character map
// reaches, and Noto CJK draws a digit after a letter with a glyph of its own.
const char* const copiedTables[] = {
    "BASE", "CFF ", "CFF2", "COLR", "CPAL", "EBDT", "EBLC", "EBSC", "GDEF", "GPOS", "HVAR",
    "JSTF", "LTSH", "MATH", "MVAR", "OS/2", "PCLT", "STAT", "VDMX", "VORG", "VVAR", "avar",
    "cvar", "cvt ", "fpgm", "fvar", "gasp", "glyf", "gvar", "hdmx", "head", "hhea", "hmtx",
    "kern", "loca", "maxp", "meta", "post", "prep", "vhea", "vmtx"};

void put16(QByteArray& out, quint16 v)
{
    const quint16 be = qToBigEndian(v);
    out.append(reinterpret_cast<const char*>(&be), 2);
}

void put32(QByteArray& out, quint32 v)
{
    const quint32 be = qToBigEndian(v);
    out.append(reinterpret_cast<const char*>(&be), 4);
}

quint32 tagOf(const char* name)
{
    return quint32(quint8(name[0])) << 24 | quint32(quint8(name[1])) << 16 |
           quint32(quint8(name[2])) << 8 | quint32(quint8(name[3]));
}

// A code point that stands for an ideograph or another character drawn with
// the same glyph: a radical, a stroke, a Hangzhou numeral, or a character
// with a decomposition.
bool isStandIn(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x2FDF) || (c >= 0x3021 && c <= 0x303A) ||
           (c >= 0x31C0 && c <= 0x31EF) || QChar::decompositionTag(c) != QChar::NoDecomposition;
}

// code point → glyph of the face, for the planes where Chinese is found
// (the BMP and the supplementary ideographic planes) and the one between.
std::map<char32_t, quint32> characterMap(const QRawFont& face)
{
    std::map<char32_t, quint32> map;
    QString text;
    std::vector<char32_t> points;
    for (char32_t c = 1; c < 0x40000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        points.push_back(c);
        text.append(QChar::fromUcs4(c));
    }
    std::vector<quint32> glyphs(size_t(text.size())); // room for a glyph per UTF-16 unit
    int count = int(glyphs.size());
    if (!face.glyphIndexesForChars(text.constData(), int(text.size()), glyphs.data(), &count) ||
        count != int(points.size()))
        return map;
    for (size_t k = 0; k < points.size(); ++k)
        if (glyphs[k] != 0)
            map.emplace(points[k], glyphs[k]);
    return map;
}

// Leaves out the stand-ins whose glyph an ordinary character of the BMP has.
void dropStandIns(std::map<char32_t, quint32>& map)
{
    QHash<quint32, bool> ordinary; // glyphs of an ordinary BMP character
    for (const auto& [c, g] : map)
        if (c < 0x10000 && !isStandIn(c))
            ordinary.insert(g, true);
    for (auto it = map.begin(); it != map.end();)
        it = it->first < 0x10000 && isStandIn(it->first) && ordinary.contains(it->second)
                 ? map.erase(it)
                 : std::next(it);
}

// A character map of one format 12 subtable, under the Unicode platform as
// well as under Windows UCS-4: FreeType makes up a map of its own from the
// glyph names of a CFF font that has no Unicode (platform 0) or Windows BMP
// map, and Qt would use that one.
QByteArray cmapTable(const std::map<char32_t, quint32>& map)
{
    struct Group {
        char32_t first, last;
        quint32 glyph;
    };
    std::vector<Group> groups;
    for (const auto& [c, g] : map) {
        if (!groups.empty() && groups.back().last + 1 == c &&
            groups.back().glyph + (c - groups.back().first) == g)
            groups.back().last = c;
        else
            groups.push_back({c, c, g});
    }
    QByteArray out;
    put16(out, 0); // version
    put16(out, 2); // two records of one subtable: Unicode full repertoire, Windows UCS-4
    put16(out, 0);
    put16(out, 4);
    put32(out, 20);
    put16(out, 3);
    put16(out, 10);
    put32(out, 20);
    put16(out, 12); // format
    put16(out, 0);
    put32(out, quint32(16 + 12 * groups.size()));
    put32(out, 0); // language
    put32(out, quint32(groups.size()));
    for (const Group& g : groups) {
        put32(out, g.first);
        put32(out, g.last);
        put32(out, g.glyph);
    }
    return out;
}

// A naming table of family, style, full and PostScript name (Windows, en-US).
QByteArray nameTable(const QString& family, bool bold)
{
    const QString style = bold ? QStringLiteral("Bold") : QStringLiteral("Regular");
    QString postscript;
    for (const QChar ch : family + u'-' + style)
        if (ch.unicode() < 0x80 && (ch.isLetterOrNumber() || ch == u'-'))
            postscript.append(ch);
    const QStringList names{family, style, family + u' ' + style, postscript};
    const quint16 ids[] = {1, 2, 4, 6};
    QByteArray strings;
    QByteArray out;
    put16(out, 0);
    put16(out, quint16(names.size()));
    put16(out, quint16(6 + 12 * names.size()));
    for (int k = 0; k < names.size(); ++k) {
        put16(out, 3);
        put16(out, 1);
        put16(out, 0x409);
        put16(out, ids[k]);
        put16(out, quint16(names.at(k).size() * 2));
        put16(out, quint16(strings.size()));
        for (const QChar ch : names.at(k))
            put16(strings, ch.unicode());
    }
    return out + strings;
}

quint32 checksum(const QByteArray& data)
{
    quint32 sum = 0;
    for (qsizetype k = 0; k < data.size(); k += 4) {
        quint32 word = 0;
        for (int b = 0; b < 4; ++b)
            word = word << 8 | quint8(k + b < data.size() ? data.at(k + b) : 0);
        sum += word;
    }
    return sum;
}

// An sfnt of the tables, by tag; head's checksum adjustment set.
QByteArray sfnt(std::map<quint32, QByteArray> tables)
{
    const bool cff = tables.count(tagOf("CFF ")) || tables.count(tagOf("CFF2"));
    auto head = tables.find(tagOf("head"));
    if (head != tables.end() && head->second.size() >= 12)
        head->second.replace(8, 4, QByteArray(4, '\0'));
    const quint16 n = quint16(tables.size());
    quint16 power = 1, log = 0;
    while (power * 2 <= n)
        power *= 2, ++log;
    QByteArray out;
    put32(out, cff ? tagOf("OTTO") : 0x00010000);
    put16(out, n);
    put16(out, quint16(power * 16));
    put16(out, log);
    put16(out, quint16(n * 16 - power * 16));
    quint32 offset = 12 + 16 * n;
    QByteArray body;
    qsizetype headOffset = -1;
    for (const auto& [tag, data] : tables) {
        put32(out, tag);
        put32(out, checksum(data));
        put32(out, offset + quint32(body.size()));
        put32(out, quint32(data.size()));
        if (tag == tagOf("head"))
            headOffset = offset + body.size();
        body.append(data);
        body.append(QByteArray((4 - data.size() % 4) % 4, '\0'));
    }
    out.append(body);
    if (headOffset >= 0) {
        const quint32 adjustment = qToBigEndian(quint32(0xB1B0AFBA - checksum(out)));
        out.replace(headOffset + 8, 4, reinterpret_cast<const char*>(&adjustment), 4);
    }
    return out;
}

bool installed(const QString& family)
{
    return QFontDatabase::families().contains(family);
}

QRawFont faceOf(const QString& family, bool bold)
{
    QFont font(family);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoFontMerging);
    const QRawFont face = QRawFont::fromFont(font, QFontDatabase::SimplifiedChinese);
    return face.isValid() && face.familyName() == family ? face : QRawFont();
}

bool registerCopy(const QRawFont& face, const QString& copy, bool bold)
{
    const QByteArray data = pdfFaceCopy(face, copy, bold);
    return !data.isEmpty() && QFontDatabase::addApplicationFontFromData(data) >= 0;
}

// The copy of family, Regular and (where the family has one) Bold.
QString makeCopy(const QString& family)
{
    const QRawFont regular = faceOf(family, false);
    if (!regular.isValid())
        return {};
    const QString copy = QStringLiteral("Quorvel Print ") + family;
    if (!registerCopy(regular, copy, false))
        return {};
    const QRawFont bold = faceOf(family, true);
    if (bold.isValid() && bold.fontTable("OS/2") != regular.fontTable("OS/2"))
        registerCopy(bold, copy, true); // without it, Bold is drawn from Regular
    return installed(copy) ? copy : QString();
}

} // namespace

QByteArray pdfFaceCopy(const QRawFont& face, const QString& family, bool bold)
{
    std::map<quint32, QByteArray> tables;
    for (const char* tag : copiedTables) {
        const QByteArray data = face.fontTable(tag);
        if (!data.isEmpty())
            tables.emplace(tagOf(tag), data);
    }
    if (!tables.count(tagOf("head")) || !tables.count(tagOf("maxp")))
        return {};
    std::map<char32_t, quint32> map = characterMap(face);
    if (map.empty())
        return {};
    dropStandIns(map);
    tables.emplace(tagOf("cmap"), cmapTable(map));
    tables.emplace(tagOf("name"), nameTable(family, bold));
    return sfnt(std::move(tables));
}

QStringList acceptedPrintFonts()
{
    return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")};
}

QString pdfFontFamily(const QString& family)
{
    static QMap<QString, QString> copies; // guarded by printFontMutex
    QMutexLocker lock(&printFontMutex);
    auto it = copies.find(family);
    if (it == copies.end())
        it = copies.insert(family, installed(family) ? makeCopy(family) : QString());
    return it.value();
}

void setPrintFontFamily(const QString& family)
{
    QMutexLocker lock(&printFontMutex);
    chosenFamily = family;
}

QStringList printFontFamilies()
{
    static QHash<QString, QStringList> lists; // by the chosen family, guarded by printFontMutex
    QString chosen;
    {
        QMutexLocker lock(&printFontMutex);
        chosen = chosenFamily;
        const auto known = lists.constFind(chosen);
        if (known != lists.cend())
            return known.value();
    }
    QStringList families = acceptedPrintFonts();
    QString first = chosen;
    if (first.isEmpty()) {
        const auto it = std::find_if(families.cbegin(), families.cend(), installed);
        first = it == families.cend() ? QString() : *it;
    }
    if (!first.isEmpty()) {
        families.removeAll(first);
        families.prepend(first);
        const QString copy = pdfFontFamily(first);
        if (!copy.isEmpty())
            families.prepend(copy);
    }
    QMutexLocker lock(&printFontMutex);
    lists.insert(chosen, families);
    return families;
}

} // namespace quorvel
