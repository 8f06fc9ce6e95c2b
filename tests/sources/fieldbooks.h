#pragma once

// Workbooks as they come from the field, made here: web pages saved under an
// .xls name (GBK and UTF-8), workbooks renamed to another format's name,
// parts beginning with a byte order mark, Excel 2.x and 4.0 worksheets, an
// empty workbook and damaged ones; each with the rows it reads as (row
// number, then the cells as cellText shows them), or the part of the
// message it is refused with, and the note the report gives about its name.
#include "fixtures.h"
#include "support/biff2writer.h"

#include <QStringEncoder>

namespace quorvel::test {

struct FieldBook {
    QString file;
    QByteArray bytes;
    QStringList rows;
    QString refusal; // empty: read
    QString note;
};

inline QByteArray gbkBytes(const QString& text)
{
    return QStringEncoder("GB18030").encode(text);
}

inline QList<FieldBook> fieldBooks()
{
    const QString htmlNote = QStringLiteral("文件名是.xls，内容是网页表格");
    const QStringList intake = {"1|编号|姓名|性别|语文", "2|2026001|张三|男|90.5",
                                "3|2026002|李四|女|88"};
    // A title across the table and a 性别 merged over two rows: the value
    // in the first cell, the others empty.
    const QString gbkPage = QStringLiteral(
        "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=gb2312\">"
        "<style>td{mso-number-format:\"\\@\"}</style></head><body>\n"
        "<table border=1><tr><td colspan=4>2026级新生·名单</td></tr>\n"
        "<tr><th>编号</th><th>姓名</th><th>性别</th><th>语文</th>\n"
        "<tr><td>2026001<td>张三<td rowspan=2>男<td>90.5\n"
        "<tr><td>2026002<td>李四<td>88</table></body></html>");
    const QByteArray utf8Page =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>成绩</title></head><body>"
        "<table><tr><td>&#x8BF4;明</td></tr></table>"
        "<table><thead><tr><th>编号</th><th>姓&nbsp;名</th><th>备注</th></tr></thead>"
        "<tbody><tr><td> 2026001 </td><td>张&amp;三</td><td>&lt;转入&gt;&quot;甲&quot;</td></tr>"
        "<tr><td>2026002</td><td>&#26446;四</td><td>&nbsp;</td></tr></tbody></table>";
    const QByteArray sheetXml = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
                                "<c r=\"B1\" t=\"s\"><v>1</v></c></row>"
                                "<row r=\"2\"><c r=\"A2\"><v>2026001</v></c>"
                                "<c r=\"B2\" t=\"inlineStr\"><is><t>张三</t></is></c></row>";
    const QByteArray shared = "<si><t>编号</t></si><si><t>姓名</t></si>";
    const QByteArray odsRows =
        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>编号</text:p>"
        "</table:table-cell><table:table-cell office:value-type=\"string\"><text:p>姓名</text:p>"
        "</table:table-cell></table:table-row><table:table-row><table:table-cell "
        "office:value-type=\"float\" office:value=\"2026001\"/><table:table-cell "
        "office:value-type=\"string\"><text:p>张三</text:p></table:table-cell></table:table-row>";
    const QStringList twoColumns = {"1|编号|姓名", "2|2026001|张三"};
    const QByteArray bom = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

    // Excel 2.x in GBK: numbers, labels and formula results (a text one in
    // its STRING record).
    Biff2Writer biff2(2);
    biff2.codePage(936);
    const QStringList header = {"编号", "姓名", "性别", "语文"};
    for (int c = 0; c < header.size(); ++c)
        biff2.label(0, c, gbkBytes(header.at(c)));
    biff2.number(1, 0, 2026001).label(1, 1, gbkBytes("张三")).label(1, 2, gbkBytes("男"));
    biff2.formula(1, 3, 90.5).number(2, 0, 2026002).formulaText(2, 1, gbkBytes("李四"));
    biff2.label(2, 2, gbkBytes("女")).formula(2, 3, 88);
    Biff2Writer biff4(4);
    biff4.label(0, 0, gbkBytes("编号")).label(0, 1, gbkBytes("姓名")).integer(1, 0, 7);
    biff4.label(1, 1, gbkBytes("王五"));
    const QByteArray biff4Bytes = biff4.finished();

    const QString damaged = QStringLiteral("已损坏");
    return {
        {"网页GBK.xls",
         gbkBytes(gbkPage),
         {"1|2026级新生·名单", "2|编号|姓名|性别|语文", "3|2026001|张三|男|90.5",
          "4|2026002|李四||88"},
         {},
         htmlNote},
        {"网页UTF8.xls",
         utf8Page,
         {"1|编号|姓 名|备注", "2|2026001|张&三|<转入>\"甲\"", "3|2026002|李四"},
         {},
         htmlNote},
        // No charset named, GBK bytes; a cell of two rows and two columns;
        // a table inside a cell is a sheet of its own, not the cell's text.
        {"网页.html",
         gbkBytes(QStringLiteral(
             "<table><tr><td>编号<td>姓名<td>备注<tr><td rowspan=2 colspan=2>合并<td>x"
             "<tr><td><table><tr><td>内<td>表</table><tr><td>2026003<td>王五<td>y</table>")),
         {"1|编号|姓名|备注", "2|合并||x", "4|2026003|王五|y"},
         {},
         {}},
        {"编码.xls",
         "<html><meta charset=big5><table><tr><td>a<td>b</table>",
         {},
         QStringLiteral("字符编码big5无法读取"),
         {}},
        {"改名.xls",
         storedXlsx(sheetXml, shared),
         twoColumns,
         {},
         QStringLiteral("文件名是.xls，内容是Excel工作簿（.xlsx）")},
        {"改名.xlsx",
         storedOds(odsRows),
         twoColumns,
         {},
         QStringLiteral("文件名是.xlsx，内容是OpenDocument表格（.ods）")},
        {"标记.xlsx", storedXlsx(sheetXml, shared, bom), twoColumns, {}, {}},
        {"标记.ods", storedOds(odsRows, bom), twoColumns, {}, {}},
        {"学籍.xls", biff2.finished(), intake, {}, {}},
        {"学籍4.xls", biff4Bytes, {"1|编号|姓名", "2|7|王五"}, {}, {}},
        {"名单.xls",
         gbkBytes(QStringLiteral("编号,姓名\n2026001,张三\n")),
         twoColumns,
         {},
         QStringLiteral("文件名是.xls，内容是文本（.csv）")},
        {"空.xlsx", storedXlsx({}), {}, QStringLiteral("表格中没有数据"), {}},
        {"空.xls", {}, {}, QStringLiteral("表格中没有数据"), {}},
        {"嵌套.xls",
         "<table><tr><td>" + QByteArray("<div>").repeated(300),
         {},
         QStringLiteral("嵌套超过256层"),
         {}},
        {"实体.xls",
         "<!DOCTYPE html [<!ENTITY a \"&b;&b;&b;&b;\"><!ENTITY b \"bbbb\">]><table><tr><td>&a;"
         "</td><td>1</td></tr></table>",
         {},
         QStringLiteral("声明了实体"),
         {}},
        {"无表格.xls",
         "<html><body><p>编号 姓名</p></body></html>",
         {},
         QStringLiteral("中没有表格"),
         {}},
        {"截断.xls", biff4Bytes.left(biff4Bytes.size() - 6), {}, damaged, {}},
        {"乱码.xls", Biff2Writer(3).label(0, 0, "\x81\x7f").finished(), {}, damaged, {}},
    };
}

} // namespace quorvel::test
