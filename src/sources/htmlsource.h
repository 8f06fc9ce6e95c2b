#pragma once

#include "sheetsource.h"

namespace quorvel {

// The tables of a web page (school systems save them under an .xls name),
// parsed with libxml2's HTML parser, which never loads anything from
// outside the file. Each table holding a row of two values or more (or, in
// a page without one, any value) is a sheet, named 表1, 表2, … in the
// order the page gives them; the cells of a
// table inside another belong to that inner table only. A cell is a text
// (its blanks and line breaks run together into one blank) or, when it holds none, a
// null QVariant; colspan and rowspan make merged cells, whose value is in
// their first cell, the others empty. The encoding is that of the byte
// order mark or of the page's meta charset (UTF-8, or GBK, GB2312 and
// GB18030 read as GB18030); without either, UTF-8 when the page is UTF-8
// throughout, otherwise GB18030. A page nested beyond kMaxDepth, declaring
// entities or holding bytes that are not text in its encoding is refused.
class HtmlSource : public SheetSource {
public:
    static constexpr int kMaxDepth = 256;

    HtmlSource(const QByteArray& bytes, const QString& name);
    HtmlSource(const FileOnDisk& file, const QString& name);

    QStringList sheetNames() const override;
    void readRows(int sheet, const std::function<bool(const SheetRow&)>& visit) override;

    // Whether bytes (the start of a file) look like a web page: markup
    // naming html, head, body, meta or table within its first 2 KB.
    static bool recognises(const QByteArray& bytes);

private:
    void examine(const QByteArray& bytes);

    QByteArray m_utf8;   // the page decoded
    QList<int> m_tables; // the tables that are sheets, by their place among all
};

} // namespace quorvel
