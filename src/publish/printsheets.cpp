#include "printsheets.h"

#include "core/textfile.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace quorvel {

namespace {

constexpr qreal largestPoints = 11;
constexpr qreal smallestPoints = 8;
constexpr qreal rowSpacing = 1.5; // a row's height in lines of type
constexpr qreal blockGap = 0.06;  // between two blocks, a share of the width

QFont printFont(qreal points, bool bold = false)
{
    QFont f;
    f.setFamilies(printFontFamilies());
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// The size of a page's frame for the device's painter, and how a sheet is set.
struct Frame {
    qreal width = 0, height = 0, dpi = 72;
    qreal pt(qreal points) const { return points * dpi / 72; }
    qreal headHeight() const { return pt(18) * 2.2 + pt(11) * 1.8; }
    qreal footHeight() const { return pt(9) * 2.5; }
    qreal bodyHeight() const { return height - headHeight() - footHeight(); }
};

struct SheetLayout {
    qreal points = largestPoints;
    int blocks = 1;
    int rowsPerBlock = 1;
    QVector<qreal> widths; // of each column, in device units
    qreal rowHeight(const Frame& f) const { return f.pt(points) * rowSpacing; }
    int rowsPerPage() const { return blocks * rowsPerBlock; }
};

Frame frameOf(QPagedPaintDevice& device)
{
    return Frame{qreal(device.width()), qreal(device.height()), qreal(device.logicalDpiY())};
}

QVector<qreal> naturalWidths(const PrintSheet& sheet, qreal points, QPaintDevice* device)
{
    const QFontMetricsF fm(printFont(points), device);
    const QFontMetricsF bold(printFont(points, true), device);
    QVector<qreal> widths;
    for (int c = 0; c < sheet.headers.size(); ++c) {
        qreal w = bold.horizontalAdvance(sheet.headers.at(c));
        for (const QStringList& row : sheet.rows)
            w = std::max(w, fm.horizontalAdvance(row.value(c)));
        widths.append(w + fm.height() * 1.2);
    }
    return widths;
}

qreal sum(const QVector<qreal>& v)
{
    return std::accumulate(v.begin(), v.end(), qreal(0));
}

// Widths filling one block of the page: stretched (or squeezed) evenly.
QVector<qreal> fitWidths(QVector<qreal> widths, qreal room)
{
    const qreal total = sum(widths);
    if (total <= 0)
        return widths;
    const qreal scale = total > room ? room / total : 1;
    const qreal extra = total < room ? (room - total) / widths.size() : 0;
    for (qreal& w : widths)
        w = w * scale + extra;
    return widths;
}

SheetLayout layoutAt(const PrintSheet& sheet, const Frame& frame, qreal points,
                     QPaintDevice* device)
{
    SheetLayout l;
    l.points = points;
    const QVector<qreal> natural = naturalWidths(sheet, points, device);
    const qreal half = frame.width * (1 - blockGap) / 2;
    l.rowsPerBlock = std::max(1, int(frame.bodyHeight() / l.rowHeight(frame)) - 1);
    l.blocks = sheet.rows.size() > l.rowsPerBlock && sum(natural) <= half ? 2 : 1;
    l.widths = fitWidths(natural, l.blocks == 2 ? std::min(half, sum(natural) * 1.6) : frame.width);
    return l;
}

SheetLayout layoutOf(const PrintSheet& sheet, const Frame& frame, QPaintDevice* device)
{
    SheetLayout l;
    for (qreal points = largestPoints; points >= smallestPoints; points -= 0.5) {
        l = layoutAt(sheet, frame, points, device);
        if (sheet.rows.size() <= l.rowsPerPage())
            break;
    }
    return l;
}

int pagesOf(const PrintSheet& sheet, const SheetLayout& l)
{
    return std::max<int>(1, int((sheet.rows.size() + l.rowsPerPage() - 1) / l.rowsPerPage()));
}

struct PageFoot {
    int page = 0, pages = 0;
    QDate date;
};

void paintHead(QPainter& p, const Frame& f, const PrintSheet& sheet)
{
    p.setFont(printFont(18, true));
    p.drawText(QRectF(0, 0, f.width, f.pt(18) * 2.2), Qt::AlignCenter, sheet.title);
    p.setFont(printFont(11));
    p.drawText(QRectF(0, f.pt(18) * 2.2, f.width, f.pt(11) * 1.5), Qt::AlignCenter, sheet.subtitle);
}

void paintFoot(QPainter& p, const Frame& f, const PageFoot& foot)
{
    p.setFont(printFont(9));
    const QRectF band(0, f.height - f.footHeight(), f.width, f.footHeight());
    p.drawText(band, Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("打印日期：") + foot.date.toString(QStringLiteral("yyyy-MM-dd")));
    p.drawText(band, Qt::AlignRight | Qt::AlignBottom,
               QStringLiteral("第%1页 共%2页").arg(foot.page).arg(foot.pages));
}

void paintRow(QPainter& p, QPointF at, const SheetLayout& l, qreal h, const QStringList& cells)
{
    qreal x = at.x();
    for (int c = 0; c < l.widths.size(); ++c) {
        const QRectF cell(x, at.y(), l.widths.at(c), h);
        p.drawRect(cell);
        p.drawText(cell, Qt::AlignCenter, cells.value(c));
        x += l.widths.at(c);
    }
}

// One block of rows [first, last) with the column names above it.
void paintBlock(QPainter& p, QPointF at, const SheetLayout& l, const Frame& f,
                const PrintSheet& sheet, int first, int last)
{
    const qreal h = l.rowHeight(f);
    p.setFont(printFont(l.points, true));
    paintRow(p, at, l, h, sheet.headers);
    p.setFont(printFont(l.points));
    for (int r = first; r < last; ++r)
        paintRow(p, at + QPointF(0, h * (r - first + 1)), l, h, sheet.rows.at(r));
}

void paintBody(QPainter& p, const Frame& f, const PrintSheet& sheet, const SheetLayout& l,
               int firstRow)
{
    const qreal tableWidth = sum(l.widths);
    const qreal gap = l.blocks == 2 ? std::max(f.width * blockGap, 0.0) : 0;
    qreal x = (f.width - tableWidth * l.blocks - gap * (l.blocks - 1)) / 2;
    const int end = std::min<int>(int(sheet.rows.size()), firstRow + l.rowsPerPage());
    const int perBlock = std::max(1, (end - firstRow + l.blocks - 1) / l.blocks); // even blocks
    for (int b = 0, row = firstRow; b < l.blocks && (row < end || b == 0); ++b) {
        const int last = std::min(end, row + perBlock);
        paintBlock(p, QPointF(x, f.headHeight()), l, f, sheet, row, last);
        x += tableWidth + gap;
        row = last;
    }
}

} // namespace

QStringList printFontFamilies()
{
    return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")};
}

int printPageCount(QPagedPaintDevice& device, const QVector<PrintSheet>& sheets)
{
    const Frame frame = frameOf(device);
    int pages = 0;
    for (const PrintSheet& s : sheets)
        pages += pagesOf(s, layoutOf(s, frame, &device));
    return pages;
}

void paintSheets(QPagedPaintDevice& device, const QVector<PrintSheet>& sheets, const QDate& date)
{
    const Frame frame = frameOf(device);
    PageFoot foot{0, printPageCount(device, sheets), date};
    QPainter p(&device);
    p.setPen(QPen(Qt::black, frame.pt(0.5)));
    for (const PrintSheet& sheet : sheets) {
        const SheetLayout l = layoutOf(sheet, frame, &device);
        for (int k = 0; k < pagesOf(sheet, l); ++k) {
            if (foot.page++ > 0)
                device.newPage();
            paintHead(p, frame, sheet);
            paintBody(p, frame, sheet, l, k * l.rowsPerPage());
            paintFoot(p, frame, foot);
        }
    }
}

bool writeSheetsPdf(const QString& path, const QVector<PrintSheet>& sheets, const QString& title)
{
    if (!isReplaceableFile(path))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Quorvel"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        paintSheets(writer, sheets, QDate::currentDate());
    }
    return file.commit();
}

} // namespace quorvel
