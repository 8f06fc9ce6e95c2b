#include "csvsource.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace quorvel {

std::optional<QString> decodeCsv(const QByteArray& bytes)
{
    std::optional<QStringConverter::Encoding> bom =
        QStringConverter::encodingForData(bytes.left(4));
    QStringDecoder decoder;
    if (bom && (*bom == QStringConverter::Utf8 || *bom == QStringConverter::Utf16LE ||
                *bom == QStringConverter::Utf16BE))
        decoder = QStringDecoder(*bom, QStringConverter::Flag::Stateless);
    if (decoder.isValid()) {
        const QString text = decoder.decode(bytes);
        return decoder.hasError() ? std::nullopt : std::optional<QString>(text);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb("GB18030");
    const QString gbText = gb.decode(bytes);
    return gb.hasError() ? std::nullopt : std::optional<QString>(gbText);
}

QChar detectDelimiter(const QString& text)
{
    const QChar candidates[] = {QLatin1Char(','), QLatin1Char('\t'), QLatin1Char(';')};
    int best[3] = {0, 0, 0};
    int counts[3] = {0, 0, 0};
    bool quoted = false;
    int lines = 0;
    for (qsizetype i = 0; i < text.size() && lines < 20; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('\n')) {
            for (int k = 0; k < 3; ++k)
                best[k] = qMax(best[k], counts[k]), counts[k] = 0;
            ++lines;
        }
        for (int k = 0; k < 3 && !quoted; ++k)
            counts[k] += c == candidates[k];
    }
    int chosen = 0;
    for (int k = 0; k < 3; ++k) {
        best[k] = qMax(best[k], counts[k]);
        if (best[k] > best[chosen])
            chosen = k;
    }
    return candidates[chosen];
}

CsvSource::CsvSource(const QByteArray& bytes, const QString& name) : m_name(name)
{
    const auto text = decodeCsv(bytes);
    if (!text || text->contains(QChar(0)))
        throwDamaged(name, QStringLiteral("它不是文本文件"));
    m_text = *text;
    if (m_text.startsWith(QChar(0xFEFF)))
        m_text.remove(0, 1);
    m_delimiter = detectDelimiter(m_text);
}

QStringList CsvSource::sheetNames() const
{
    return {QFileInfo(m_name).completeBaseName()};
}

namespace {

// Reads the record starting at pos into row, advancing pos past its end.
// False when a quoted field is never closed.
bool readRecord(const QString& text, qsizetype& pos, QChar delimiter, QVariantList& row)
{
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    auto endField = [&] {
        row.append(field.isEmpty() && !wasQuoted ? QVariant() : QVariant(field));
        field.clear();
        wasQuoted = false;
    };
    while (pos < text.size()) {
        const QChar c = text.at(pos++);
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (pos < text.size() && text.at(pos) == QLatin1Char('"'))
                field += c, ++pos;
            else
                quoted = false;
        } else if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == delimiter) {
            endField();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && pos < text.size() && text.at(pos) == QLatin1Char('\n'))
                ++pos;
            break;
        } else {
            field += c;
        }
    }
    endField();
    return !quoted;
}

} // namespace

void CsvSource::readRows(int sheet, const std::function<bool(const SheetRow&)>& visit)
{
    if (sheet != 0)
        throwDamaged(m_name);
    qsizetype pos = 0;
    for (int number = 1; pos < m_text.size(); ++number) {
        if (number > kMaxRows)
            throwDamaged(m_name, QStringLiteral("超过%1行").arg(kMaxRows));
        SheetRow row{number, {}};
        if (!readRecord(m_text, pos, m_delimiter, row.cells))
            throwDamaged(m_name, QStringLiteral("第%1行的引号没有结束").arg(number));
        if (row.cells.size() > kMaxColumns)
            throwDamaged(m_name, QStringLiteral("第%1行超过%2列").arg(number).arg(kMaxColumns));
        while (!row.cells.isEmpty() && row.cells.constLast().isNull())
            row.cells.removeLast();
        if (!row.cells.isEmpty() && !visit(row))
            return;
    }
}

} // namespace quorvel
