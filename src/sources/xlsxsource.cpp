#include "xlsxsource.h"

#include "store/errors.h"

#include <QDate>
#include <QDir>
#include <QRegularExpression>
#include <cmath>

namespace quorvel {

namespace {

// Where a workbook keeps its parts unless its relationships say otherwise.
const QString kUsualWorkbook = QStringLiteral("xl/workbook.xml");

// The column (0 for A) of a reference such as "AB12"; -1 when it has none.
int referenceColumn(const QString& ref)
{
    int column = 0;
    int letters = 0;
    for (const QChar c : ref) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
        if (++letters > 3)
            return -1;
    }
    return letters ? column - 1 : -1;
}

// The member a relationship's target names: from the root of the archive
// when it begins with /, otherwise from the folder of the part (base).
QString memberPath(const QString& base, const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target.mid(1));
    const int slash = int(base.lastIndexOf(QLatin1Char('/')));
    return QDir::cleanPath(slash < 0 ? target : base.left(slash + 1) + target);
}

// The relationships part of a part: dir/name.xml → dir/_rels/name.xml.rels.
QString relationsOf(const QString& part)
{
    const int slash = int(part.lastIndexOf(QLatin1Char('/')));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

struct Relation {
    QString type; // the last segment of the type URI: worksheet, styles, …
    QString member;
};

// The relationships of part by id; none when the part has no relationships.
QHash<QString, Relation> readRelationsOf(const ZipXml& zip, const QString& part)
{
    QHash<QString, Relation> out;
    const QString rels = relationsOf(part);
    if (!zip.contains(rels))
        return out;
    const auto in = zip.open(rels);
    while (in->next()) {
        if (!in->isStart(QLatin1StringView("Relationship")) ||
            in->attribute(QLatin1StringView("TargetMode")) == u"External")
            continue;
        const QString type = in->attribute(QLatin1StringView("Type"));
        out.insert(in->attribute(QLatin1StringView("Id")),
                   {type.mid(type.lastIndexOf(QLatin1Char('/')) + 1),
                    memberPath(part, in->attribute(QLatin1StringView("Target")))});
    }
    return out;
}

// The member of the first relationship of the type; empty when none.
QString memberOfType(const QHash<QString, Relation>& relations, const QString& type)
{
    for (const Relation& r : relations)
        if (r.type == type)
            return r.member;
    return {};
}

// The workbook part the package's relationships name (_rels/.rels); the
// usual name when they name none.
QString workbookMember(const ZipXml& zip)
{
    if (!zip.isOpen())
        return kUsualWorkbook;
    const QString member =
        memberOfType(readRelationsOf(zip, QString()), QStringLiteral("officeDocument"));
    return member.isEmpty() ? kUsualWorkbook : member;
}

} // namespace

bool isDateFormat(int id, const QString& code)
{
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) ||
        (id >= 50 && id <= 58))
        return true;
    if (code.isEmpty())
        return false;
    static const QRegularExpression noise(QStringLiteral("\"[^\"]*\"|\\[[^\\]]*\\]|\\\\."));
    const QString bare = QString(code).remove(noise).toLower();
    return bare.contains(QLatin1Char('y')) || bare.contains(QLatin1Char('d'));
}

QString serialDateText(double serial, bool base1904)
{
    const QDate base = base1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    return base.addDays(qint64(std::floor(serial))).toString(QStringLiteral("yyyy-MM-dd"));
}

XlsxSource::XlsxSource(const QByteArray& bytes, const QString& name)
    : SheetSource(name), m_zip(bytes, name)
{
    readParts();
}

XlsxSource::XlsxSource(const FileOnDisk& file, const QString& name)
    : SheetSource(name), m_zip(file, name)
{
    readParts();
}

void XlsxSource::readParts()
{
    m_workbook = workbookMember(m_zip);
    if (!m_zip.isOpen() || !m_zip.contains(m_workbook))
        throw OperationError(
            QStringLiteral("%1不是Excel 2007及以后版本（.xlsx）的工作簿，或者已损坏，无法读取。")
                .arg(m_name));
    readWorkbook();
    readSharedStrings();
    readStyles();
}

void XlsxSource::readWorkbook()
{
    QStringList ids;
    const auto in = m_zip.open(m_workbook);
    while (in->next()) {
        if (in->isStart(QLatin1StringView("sheet"))) {
            m_names.append(in->attribute(QLatin1StringView("name")));
            ids.append(in->attribute(QLatin1StringView("id")));
        } else if (in->isStart(QLatin1StringView("workbookPr"))) {
            const QString v = in->attribute(QLatin1StringView("date1904"));
            m_1904 = v == QLatin1String("1") || v == QLatin1String("true");
        }
    }
    readRelations(ids);
}

void XlsxSource::readRelations(const QStringList& ids)
{
    const QHash<QString, Relation> relations = readRelationsOf(m_zip, m_workbook);
    for (const QString& id : ids) {
        const auto it = relations.constFind(id);
        if (it == relations.constEnd())
            throwDamaged(m_name, QStringLiteral("工作表找不到"));
        m_members.append(it->member);
    }
    m_sharedMember = memberOfType(relations, QStringLiteral("sharedStrings"));
    m_stylesMember = memberOfType(relations, QStringLiteral("styles"));
}

void XlsxSource::readSharedStrings()
{
    const QString& member = m_sharedMember;
    if (member.isEmpty() || !m_zip.contains(member))
        return;
    const auto in = m_zip.open(member);
    while (in->next()) {
        if (!in->isStart(QLatin1StringView("si")))
            continue;
        const auto text = in->elementText({QStringLiteral("rPh")});
        hold(qint64(sizeof(QVariant)) + (text ? textBytes(*text) : 0));
        m_shared.append(text ? QVariant(*text) : QVariant::fromValue(UnreadableCell()));
    }
}

void XlsxSource::readStyles()
{
    const QString& member = m_stylesMember;
    if (member.isEmpty() || !m_zip.contains(member))
        return;
    QHash<int, QString> codes;
    bool inCellXfs = false;
    const auto in = m_zip.open(member);
    while (in->next()) {
        if (in->isStart(QLatin1StringView("numFmt")))
            codes.insert(in->attribute(QLatin1StringView("numFmtId")).toInt(),
                         in->attribute(QLatin1StringView("formatCode")));
        else if (in->isStart(QLatin1StringView("cellXfs")))
            inCellXfs = true;
        else if (in->isEnd(QLatin1StringView("cellXfs")))
            inCellXfs = false;
        else if (inCellXfs && in->isStart(QLatin1StringView("xf"))) {
            const int id = in->attribute(QLatin1StringView("numFmtId")).toInt();
            m_dateStyles.append(isDateFormat(id, codes.value(id)));
        }
    }
}

void XlsxSource::readRows(int sheet, const std::function<bool(const SheetRow&)>& visit)
{
    if (sheet < 0 || sheet >= m_members.size())
        throwDamaged(m_name);
    const auto in = m_zip.open(m_members.at(sheet));
    SheetRow row;
    int column = 0;
    qint64 rowText = 0;
    while (in->next()) {
        if (in->isStart(QLatin1StringView("row"))) {
            const QString r = in->attribute(QLatin1StringView("r"));
            const int number = r.isEmpty() ? row.number + 1 : r.toInt();
            if (number <= row.number || number > kMaxRows)
                in->fail();
            row = SheetRow{number, {}};
            column = 0;
            rowText = 0;
        } else if (in->isStart(QLatin1StringView("c")) && row.number > 0) {
            readCell(*in, row, column);
            const QVariant& cell = row.cells.constLast();
            if (cell.typeId() == QMetaType::QString &&
                (rowText += cell.toString().size()) > kMaxRowText)
                throwLongRow(m_name, row.number);
        } else if (in->isEnd(QLatin1StringView("row"))) {
            while (!row.cells.isEmpty() && row.cells.constLast().isNull())
                row.cells.removeLast();
            if (!row.cells.isEmpty() && !visit(row)) {
                in->finish();
                return;
            }
        }
    }
}

void XlsxSource::readCell(XmlStream& in, SheetRow& row, int& column)
{
    const QString ref = in.attribute(QLatin1StringView("r"));
    const int at = ref.isEmpty() ? column : referenceColumn(ref);
    if (at < column || at >= kMaxColumns)
        in.fail();
    const QString type = in.attribute(QLatin1StringView("t"));
    const int style = in.attribute(QLatin1StringView("s")).toInt();
    QString value;
    bool hasValue = false;
    bool unreadable = false;
    while (in.next() && !in.isEnd(QLatin1StringView("c"))) {
        if (in.isStart(QLatin1StringView("v")) || in.isStart(QLatin1StringView("is"))) {
            const auto text = in.elementText({QStringLiteral("rPh")});
            unreadable = unreadable || !text;
            value = text.value_or(QString());
            hasValue = true;
        } else if (in.xml().isStartElement()) {
            in.elementText(); // a formula, whose stored result is the value
        }
    }
    row.cells.resize(at);
    if (unreadable)
        row.cells.append(QVariant::fromValue(UnreadableCell()));
    else
        row.cells.append(hasValue ? cellValue(type, style, value, in) : QVariant());
    column = at + 1;
}

QVariant XlsxSource::cellValue(const QString& type, int style, const QString& value,
                               XmlStream& in) const
{
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= m_shared.size())
            in.fail();
        return m_shared.at(index);
    }
    if (type == QLatin1String("b"))
        return value.trimmed() == QLatin1String("1");
    if (type == QLatin1String("d"))
        return value.left(10);
    if (!type.isEmpty() && type != QLatin1String("n"))
        return value; // str, inlineStr, e
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        in.fail();
    if (style >= 0 && style < m_dateStyles.size() && m_dateStyles.at(style) && number >= 0 &&
        number < 2958466)
        return serialDateText(number, m_1904);
    return number;
}

} // namespace quorvel
