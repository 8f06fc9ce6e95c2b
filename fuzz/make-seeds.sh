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
