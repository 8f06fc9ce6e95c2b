#include "odssource.h"

#include "store/errors.h"

#include <cmath>

namespace quorvel {

namespace {

const QString kContent = QStringLiteral("content.xml");

int repeatCount(const XmlStream& in, QLatin1StringView attribute)
{
    const QString text = in.attribute(attribute);
    bool ok = false;
    const int count = text.toInt(&ok);
    return ok && count > 0 ? count : 1;
}

bool isEmpty(const QVariant& value)
{
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

} // namespace

OdsSource::OdsSource(const QByteArray& bytes, const QString& name)
    : SheetSource(name), m_zip(bytes, name)
{
    readNames();
}

OdsSource::OdsSource(const FileOnDisk& file, const QString& name)
    : SheetSource(name), m_zip(file, name)
{
    readNames();
}

void OdsSource::readNames()
{
    if (!m_zip.isOpen() || !m_zip.contains(kContent))
        throw OperationError(
            QStringLiteral("%1不是OpenDocument电子表格（.ods），或者已损坏，无法读取。")
                .arg(m_name));
    const auto in = m_zip.open(kContent);
    while (in->next())
        if (in->isStart(QLatin1StringView("table")))
            m_names.append(in->attribute(QLatin1StringView("name")));
}

void OdsSource::readRows(int sheet, const std::function<bool(const SheetRow&)>& visit)
{
    if (sheet < 0 || sheet >= m_names.size())
        throwDamaged(m_name);
    const auto in = m_zip.open(kContent);
    int index = -1;
    while (in->next())
        if (in->isStart(QLatin1StringView("table")) && ++index == sheet) {
            readTable(*in, visit);
            in->finish();
            return;
        }
    throwDamaged(m_name);
}

bool OdsSource::readTable(XmlStream& in, const std::function<bool(const SheetRow&)>& visit)
{
    int number = 0;
    while (in.next() && !in.isEnd(QLatin1StringView("table"))) {
        if (!in.isStart(QLatin1StringView("table-row")))
            continue;
        const int repeat = repeatCount(in, QLatin1StringView("number-rows-repeated"));
        SheetRow row;
        readRow(in, row, number + 1);
        if (row.cells.isEmpty()) {
            number = int(qMin<qint64>(qint64(number) + repeat, kMaxRows));
            continue;
        }
        if (qint64(number) + repeat > kMaxRows)
            in.fail();
        for (int i = 0; i < repeat; ++i) {
            row.number = ++number;
            if (!visit(row))
                return false;
        }
    }
    return true;
}

void OdsSource::readRow(XmlStream& in, SheetRow& row, int number)
{
    qint64 pendingEmpty = 0;
    qint64 rowText = 0;
    while (in.next() && !in.isEnd(QLatin1StringView("table-row"))) {
        if (!in.isStart(QLatin1StringView("table-cell")) &&
            !in.isStart(QLatin1StringView("covered-table-cell")))
            continue;
        const int repeat = repeatCount(in, QLatin1StringView("number-columns-repeated"));
        const QVariant value = readCell(in);
        if (isEmpty(value)) {
            pendingEmpty += repeat;
            continue;
        }
        if (row.cells.size() + pendingEmpty + repeat > kMaxColumns)
            in.fail();
        // A repeated cell holds its text once.
        if (value.typeId() == QMetaType::QString &&
            (rowText += value.toString().size()) > kMaxRowText)
            throwLongRow(m_name, number);
        row.cells.resize(row.cells.size() + pendingEmpty);
        pendingEmpty = 0;
        for (int i = 0; i < repeat; ++i)
            row.cells.append(value);
    }
}

namespace {

// What an element inside a cell stands for: text:s its count of blanks
// (text:c, default 1), text:tab a tab, text:line-break and every paragraph
// after the first a line break.
QString inlineText(XmlStream& in, int& paragraphs)
{
    const QStringView name = in.xml().name();
    if (name == u"s") {
        bool ok = false;
        const int count = in.attribute(QLatin1StringView("c")).toInt(&ok);
        // One more than the longest text: the cell is refused, never cut.
        return QString(ok ? qBound(0, count, SheetSource::kMaxText + 1) : 1, u' ');
    }
    if (name == u"tab")
        return QStringLiteral("\t");
    if (name == u"line-break" || (name == u"p" && paragraphs++ > 0))
        return QStringLiteral("\n");
    return {};
}

} // namespace

QVariant OdsSource::readCell(XmlStream& in)
{
    const QString type = in.attribute(QLatin1StringView("value-type"));
    const QString value = in.attribute(QLatin1StringView("value"));
    const QString date = in.attribute(QLatin1StringView("date-value"));
    const QString boolean = in.attribute(QLatin1StringView("boolean-value"));
    int paragraphs = 0;
    const auto text = in.elementText({QStringLiteral("annotation")},
                                     [&](XmlStream& at) { return inlineText(at, paragraphs); });
    if (type == QLatin1String("float") || type == QLatin1String("percentage") ||
        type == QLatin1String("currency")) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok && std::isfinite(number))
            return number;
    } else if (type == QLatin1String("date")) {
        return date.left(10);
    } else if (type == QLatin1String("boolean")) {
        return boolean == QLatin1String("true");
    }
    if (!text)
        return QVariant::fromValue(UnreadableCell());
    return text->isEmpty() ? QVariant() : QVariant(*text);
}

} // namespace quorvel
