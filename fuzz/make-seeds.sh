#!/usr/bin/env bash
# Writes the seed workbooks of the import fuzzer into
# tests/excel/fixtures/import-corpus (they are kept in the repository; run
# again only to renew them). Needs a built quorvel-cli (build/), LibreOffice
# (soffice) and python3-xlwt. The seeds match the columns the fuzz target's
# store has: 编号 姓名 性别 班级 原学校 是否班干部 语文 数学 总分.
# Then derives, from the readers' own seeds in fuzz/seeds, the damage the
# readers must find there (see the end).
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/excel/fixtures/import-corpus
cli=build/src/quorvel-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# This program's own Excel 5.0 files: the header-only template and a sample.
"$cli" --dir "$work/app" --yes create 原学校 是否班干部 语文 数学 > /dev/null
cp "$work/app/myexcel.xls" "$out/header-only-biff5.xls"
"$cli" --dir "$work/app" sample --students 12 --seed 3 > /dev/null
cp "$work/app/myexcel.xls" "$out/import-own-biff5.xls"

# LibreOffice's Excel 97: values, and formulas whose results the import reads.
cat > "$work/Sheet1.csv" <<'CSV'
编号,姓名,性别,班级,原学校,是否班干部,语文,数学,总分
2026001,张三,男,,第一中学,是,90,85.5,
2026002, 李四 ,女,,第二中学,否,缺考,77,
2026003,王五,男,,第一中学,,100,60,
CSV
(cd "$work" && soffice -env:UserInstallation="file://$work/profile" --headless --norestore --infilter=CSV:44,34,76,1 --convert-to xls:"MS Excel 97" Sheet1.csv > /dev/null 2>&1)
cp "$work/Sheet1.xls" "$out/import-libreoffice-biff8.xls"
printf '编号,姓名\n' > "$work/Sheet1.csv"
(cd "$work" && soffice -env:UserInstallation="file://$work/profile" --headless --norestore --infilter=CSV:44,34,76,1 --convert-to xls:"MS Excel 97" Sheet1.csv > /dev/null 2>&1)
cp "$work/Sheet1.xls" "$out/header-only-libreoffice-biff8.xls"

# python3-xlwt's Excel 97, with a shared-string table, a formula and a
# second sheet.
/usr/bin/python3 - "$out/import-xlwt-biff8.xls" <<'PY'
import sys, xlwt
book = xlwt.Workbook(encoding="utf-8")
other = book.add_sheet("说明")
other.write(0, 0, "这一页不导入")
sheet = book.add_sheet("Sheet1")
header = ["编号", "姓名", "性别", "班级", "原学校", "是否班干部", "语文", "数学", "总分"]
for c, h in enumerate(header):
    sheet.write(0, c, h)
rows = [["2026101", "赵六", "女", None, "第三中学", "是", 88, 92.5],
        [2026102, "钱七", "男", None, "第三中学", "否", 70, 65],
        ["2026101", "孙八", "男", None, "第四中学", "否", 55, 66]]
for r, row in enumerate(rows, start=1):
    for c, v in enumerate(row):
        if v is not None:
            sheet.write(r, c, v)
    sheet.write(r, 8, xlwt.Formula("G%d+H%d" % (r + 1, r + 1)))
book.save(sys.argv[1])
PY

# python3-xlwt leaves an empty string in the shared-string table for each
# text cell it overwrites.
/usr/bin/python3 - "$out/import-xlwt-overwritten-biff8.xls" <<'PY'
import sys, xlwt
book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("sheet1", cell_overwrite_ok=True)
header = ["编号", "姓名", "性别", "班级", "原学校", "是否班干部", "语文", "数学", "总分"]
for c, h in enumerate(header):
    sheet.write(0, c, h)
for r in range(1, 5):
    for c, v in enumerate([2026200 + r, "学生%d" % r, "男女"[r % 2], None, "第五中学", "是", 80, 70]):
        if v is not None:
            sheet.write(r, c, v)
    sheet.write(r, 1, "改名%d" % r)
book.save(sys.argv[1])
PY

# Not a workbook at all.
: > "$out/empty.xls"
ls -l "$out"

# The readers' seeds of damage, made from the stored intakes in fuzz/seeds:
# a member whose checksum no longer matches (a score changed in place), an
# external entity referred to in a cell, a text beyond the longest a cell
# holds, and UTF-16 with a stray last byte or a lone surrogate.
/usr/bin/python3 - fuzz/seeds <<'PY'
import os, sys, zipfile
seeds = sys.argv[1]
def path(*parts):
    return os.path.join(seeds, *parts)
def write(name, data):
    with open(path(name), "wb") as f:
        f.write(data)
def changed(src, dst, old, new):
    data = open(path(src), "rb").read()
    assert len(old) == len(new) and data.count(old) == 1
    write(dst, data.replace(old, new))
def rezipped(src, dst, member, edit):
    with zipfile.ZipFile(path(src)) as z, zipfile.ZipFile(path(dst), "w") as out:
        for info in z.infolist():
            data = z.read(info)
            out.writestr(info, edit(data) if info.filename == member else data)
dtd = b'<!DOCTYPE x [<!ENTITY e SYSTEM "file:///etc/passwd">]>'
changed("xlsx/intake-stored.xlsx", "xlsx/checksum.xlsx", b"<v>90.5</v>", b"<v>60.5</v>")
changed("ods/intake-stored.ods", "ods/checksum.ods", b'office:value="90.5"', b'office:value="60.5"')
rezipped("xlsx/intake-stored.xlsx", "xlsx/entity.xlsx", "xl/worksheets/sheet2.xml",
         lambda d: dtd + d.replace(b"&#24352;&#19977;", b"&#24352;&e;", 1))
ods_dtd = lambda d: d.replace(b"?>", b"?>" + dtd, 1)
rezipped("ods/intake-stored.ods", "ods/entity.ods", "content.xml",
         lambda d: ods_dtd(d).replace("张三".encode(), "张&e;".encode(), 1))
rezipped("ods/intake-stored.ods", "ods/long-text.ods", "content.xml",
         lambda d: d.replace("张三".encode(), '张<text:s text:c="100000"/>三'.encode(), 1))
utf16 = open(path("csv/utf16.csv"), "rb").read()
write("csv/utf16-stray-byte.csv", utf16 + b"2")
write("csv/utf16-lone-surrogate.csv", utf16[:-2] + b"\x00\xd8" + utf16[-2:])
PY
ls -l fuzz/seeds/*

# The seeds of the web-page and Excel 2.x–4.0 readers: pages in GBK and
# UTF-8 with entities, merged and nested cells; worksheets of each BIFF
# version with labels in GBK, numbers, RKs, booleans, errors and formula
# results, and an Excel 4.0 workbook of two sheets.
/usr/bin/python3 - fuzz/seeds <<'PY'
import os, struct, sys
seeds = sys.argv[1]
def write(name, data):
    os.makedirs(os.path.dirname(os.path.join(seeds, name)), exist_ok=True)
    with open(os.path.join(seeds, name), "wb") as f:
        f.write(data)
write("html/gbk.xls", ('<html><head><meta http-equiv=Content-Type content="text/html; charset=gb2312">'
      '</head><body><table border=1><tr><td colspan=3>2026级新生名单</td></tr>'
      '<tr><th>编号</th><th>姓名</th><th>语文</th><tr><td>2026001<td rowspan=2>张三<td>90.5'
      '<tr><td>2026002<td>88</table></body></html>').encode("gbk"))
write("html/utf8.html", ('<!DOCTYPE html><meta charset="utf-8"><table><tr><td>说明</td></tr></table>'
      '<table><tr><th>编号</th><th>姓&nbsp;名</th></tr><tr><td>1</td><td>张&amp;三&#x674E;<br>四</td>'
      '<td><table><tr><td>内</td><td>表</td></tr></table></td></tr></table>').encode())
def rec(t, d):
    return struct.pack("<HH", t, len(d)) + d
def biff(version, cells, kind=0x10, codepage=936):
    bof = {2: 0x0009, 3: 0x0209, 4: 0x0409}[version]
    out = rec(bof, struct.pack("<HH", 0, kind) + (b"" if version == 2 else b"\0\0"))
    out += rec(0x0042, struct.pack("<H", codepage))
    for t, row, col, value in cells:
        head = struct.pack("<HH", row, col) + (b"\0\0\0" if version == 2 else b"\x0f\0")
        out += rec(t if version == 2 or t in (0x27e, 0x406) else t | 0x200, head + value)
    return out + rec(0x000a, b"")
def label(version, text):
    b = text.encode("gbk")
    return (struct.pack("<B", len(b)) if version == 2 else struct.pack("<H", len(b))) + b
for v in (2, 3, 4):
    cells = [(4, 0, 0, label(v, "编号")), (4, 0, 1, label(v, "姓名")), (4, 0, 2, label(v, "语文")),
             (3, 1, 0, struct.pack("<d", 2026001)), (4, 1, 1, label(v, "张三")),
             (5, 1, 3, b"\x01\x00"), (5, 1, 4, b"\x07\x01"), (1, 2, 5, b"")]
    formula = 0x406 if v == 4 else 6
    tail = b"\0\0" if v == 2 else b"\0\0\0\0"
    cells.append((formula, 1, 2, struct.pack("<d", 90.5) + tail))
    cells.append((formula, 2, 1, b"\0\0\0\0\0\0\xff\xff" + tail))
    if v == 2:
        cells.append((2, 2, 0, struct.pack("<H", 7)))
    else:
        cells.append((0x27e, 2, 0, struct.pack("<I", 7 << 2 | 2)))
    data = biff(v, cells)
    # The STRING record with the text result of the formula before it.
    string = rec(0x0007 if v == 2 else 0x0207, label(v, "李四"))
    at = data.index(b"\xff\xff" + tail) + 2 + len(tail)
    write("biff2/biff%d.xls" % v, data[:at] + string + data[at:])
book = biff(4, [], kind=0x100)
for name in ("一班", "二班"):
    n = name.encode("gbk")
    book += rec(0x008f, struct.pack("<IB", 0, len(n)) + n)
    book += biff(4, [(4, 0, 0, label(4, "编号")), (3, 1, 0, struct.pack("<d", 1))])
write("biff2/workbook4.xls", book)
PY
ls -l fuzz/seeds/html fuzz/seeds/biff2
