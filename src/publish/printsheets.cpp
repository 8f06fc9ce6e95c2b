#include "printsheets.h"

#include "core/textfile.h"
#include "printfont.h"

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
constexpr qreal rowSpacing = 1.5;  // a row's height in lines of type
constexpr qreal lineSpacing = 1.3; // each further line of a wrapped row
constexpr qreal blockGap = 0.06;   // between two blocks, a share of the width

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
    int rowsPerBlock = 1;  // rows of one line
    QVector<qreal> widths; // of each column, in device units
    QVector<int> lines;    // of each row: more than one where a cell's text wraps
    QVector<int> starts;   // the first row of each page
    bool overflow = false; // some text runs out of its cell
    qreal rowHeight(const Frame& f) const { return f.pt(points) * rowSpacing; }
    qreal rowHeight(const Frame& f, int row) const
    {
        return rowHeight(f) + f.pt(points) * lineSpacing * (lines.value(row, 1) - 1);
    }
    int rowsPerPage() const { return blocks * rowsPerBlock; }
};

Frame frameOf(QPagedPaintDevice& device)
{
    return Frame{qreal(device.width()), qreal(device.height()), qreal(device.logicalDpiY())};
}

// The room around a cell's text.
qreal cellPadding(const QFontMetricsF& fm)
{
    return fm.height() * 1.2;
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
        widths.append(w + cellPadding(fm));
    }
    return widths;
}

qreal sum(const QVector<qreal>& v)
{
    return std::accumulate(v.begin(), v.end(), qreal(0));
}

// Widths filling one block of the page: stretched evenly; when the table is
// too wide, the columns narrower than an even share keep their width and the
// wide ones share the rest (their text wraps).
QVector<qreal> fitWidths(QVector<qreal> widths, qreal room)
{
    const qreal total = sum(widths);
    if (total <= 0)
        return widths;
    if (total <= room) {
        for (qreal& w : widths)
            w += (room - total) / widths.size();
        return widths;
    }
    QVector<bool> kept(widths.size(), false);
    qreal left = room;
    qsizetype open = widths.size();
    for (bool more = true; more && open > 0;) {
        more = false;
        for (qsizetype c = 0; c < widths.size(); ++c)
            if (!kept[c] && widths[c] <= left / open) {
                kept[c] = more = true;
                left -= widths[c];
                --open;
            }
    }
    for (qsizetype c = 0; c < widths.size(); ++c)
        if (!kept[c])
            widths[c] = left / open;
    return widths;
}

// How many lines each row takes in cells of those widths; overflow set when
// a text too long for its cell cannot be wrapped there (a digest).
QVector<int> rowLines(const PrintSheet& sheet, const QVector<qreal>& widths, qreal points,
                      QPaintDevice* device, bool& overflow)
{
    const QFontMetricsF fm(printFont(points), device);
    QVector<int> lines;
    for (const QStringList& row : sheet.rows) {
        int n = 1;
        for (int c = 0; c < widths.size(); ++c) {
            const qreal room = widths.at(c) - cellPadding(fm);
            if (fm.horizontalAdvance(row.value(c)) <= room)
                continue;
            const QRectF r = fm.boundingRect(QRectF(0, 0, std::max(room, qreal(1)), 1e9),
                                             Qt::TextWordWrap, row.value(c));
            n = std::max(n, int(std::lround(r.height() / fm.lineSpacing())));
            overflow = overflow || r.width() > room + 0.5;
        }
        lines.append(n);
    }
    return lines;
}

// The first row of each page: as many rows as fill a page's blocks, fewer
// where rows wrap.
QVector<int> pageStarts(const PrintSheet& sheet, const SheetLayout& l, const Frame& f)
{
    QVector<int> starts{0};
    const qreal room = l.rowHeight(f) * l.rowsPerBlock;
    qreal used = 0;
    for (int r = 0; r < sheet.rows.size(); ++r) {
        const qreal h = l.blocks == 1 ? l.rowHeight(f, r) : room / l.rowsPerBlock / l.blocks;
        if (used > 0 && used + h > room + 0.01) {
            starts.append(r);
            used = 0;
        }
        used += h;
    }
    return starts;
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
    if (l.blocks == 1)
        l.lines = rowLines(sheet, l.widths, points, device, l.overflow);
    l.starts = pageStarts(sheet, l, frame);
    return l;
}

SheetLayout layoutOf(const PrintSheet& sheet, const Frame& frame, QPaintDevice* device)
{
    SheetLayout l;
    for (qreal points = largestPoints; points >= smallestPoints; points -= 0.5) {
        l = layoutAt(sheet, frame, points, device);
        if (l.starts.size() == 1 && !l.overflow)
            break;
    }
    return l;
}

int pagesOf(const SheetLayout& l)
{
    return int(l.starts.size());
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

// A row of cells; a row of text wraps where its cell is too narrow, the
// column names never do.
void paintRow(QPainter& p, QPointF at, const SheetLayout& l, qreal h, const QStringList& cells,
              bool wrap = true)
{
    const qreal padding = cellPadding(QFontMetricsF(p.font(), p.device())) / 2;
    qreal x = at.x();
    for (int c = 0; c < l.widths.size(); ++c) {
        const QRectF cell(x, at.y(), l.widths.at(c), h);
        p.drawRect(cell);
        p.drawText(cell.adjusted(padding, 0, -padding, 0),
                   Qt::AlignCenter | (wrap ? Qt::TextWordWrap : 0), cells.value(c));
        x += l.widths.at(c);
    }
}

// One block of rows [first, last) with the column names above it.
void paintBlock(QPainter& p, QPointF at, const SheetLayout& l, const Frame& f,
                const PrintSheet& sheet, int first, int last)
{
    qreal y = at.y();
    p.setFont(printFont(l.points, true));
    paintRow(p, QPointF(at.x(), y), l, l.rowHeight(f), sheet.headers, false);
    y += l.rowHeight(f);
    p.setFont(printFont(l.points));
    for (int r = first; r < last; ++r) {
        paintRow(p, QPointF(at.x(), y), l, l.rowHeight(f, r), sheet.rows.at(r));
        y += l.rowHeight(f, r);
    }
}

void paintBody(QPainter& p, const Frame& f, const PrintSheet& sheet, const SheetLayout& l, int page)
{
    const qreal tableWidth = sum(l.widths);
    const qreal gap = l.blocks == 2 ? std::max(f.width * blockGap, 0.0) : 0;
    qreal x = (f.width - tableWidth * l.blocks - gap * (l.blocks - 1)) / 2;
    const int firstRow = l.starts.at(page);
    const int end = page + 1 < l.starts.size() ? l.starts.at(page + 1) : int(sheet.rows.size());
    const int perBlock = std::max(1, (end - firstRow + l.blocks - 1) / l.blocks); // even blocks
    for (int b = 0, row = firstRow; b < l.blocks && (row < end || b == 0); ++b) {
        const int last = std::min(end, row + perBlock);
        paintBlock(p, QPointF(x, f.headHeight()), l, f, sheet, row, last);
        x += tableWidth + gap;
        row = last;
    }
}

} // namespace

int printPageCount(QPagedPaintDevice& device, const QVector<PrintSheet>& sheets)
{
    const Frame frame = frameOf(device);
    int pages = 0;
    for (const PrintSheet& s : sheets)
        pages += pagesOf(layoutOf(s, frame, &device));
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
        for (int k = 0; k < pagesOf(l); ++k) {
            if (foot.page++ > 0)
                device.newPage();
            paintHead(p, frame, sheet);
            paintBody(p, frame, sheet, l, k);
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
