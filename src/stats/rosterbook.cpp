// The roster as an .xlsx workbook, written with libxlsxwriter.
#include "roster.h"

#include "core/context.h"
#include "store/ownfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <xlsxwriter.h>

namespace quorvel {

bool isNumberCell(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return true;
    default:
        return false;
    }
}

QString cellText(const QVariant& value)
{
    return isNumberCell(value) ? QString::number(value.toDouble(), 'g', 17 - 2) : value.toString();
}

namespace {

constexpr double TitleRowHeight = 25; // points
constexpr uint8_t PaperA4 = 9;

// Columns wide enough for their longest value, a CJK character counting as
// two; within limits, as the page is fitted to its width anyway.
double textWidth(const QString& text)
{
    double w = 0;
    for (const QChar c : text)
        w += c.unicode() < 0x1100 ? 1 : 2;
    return w;
}

QVector<double> columnWidths(const RosterSheet& sheet)
{
    QVector<double> widths;
    for (const ColumnInfo& c : sheet.columns)
        widths.append(textWidth(c.name));
    for (const QVariantList& row : sheet.rows)
        for (int c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = qMax(widths[c], textWidth(row.at(c).toString()));
    for (double& w : widths)
        w = qBound(6.0, w + 2, 40.0);
    return widths;
}

struct Formats {
    lxw_format* title = nullptr;
    lxw_format* header = nullptr;
};

Formats makeFormats(lxw_workbook* book)
{
    Formats f;
    f.title = workbook_add_format(book);
    format_set_bold(f.title);
    format_set_align(f.title, LXW_ALIGN_CENTER);
    format_set_align(f.title, LXW_ALIGN_VERTICAL_CENTER);
    f.header = workbook_add_format(book);
    format_set_align(f.header, LXW_ALIGN_CENTER);
    return f;
}

lxw_error writeValue(lxw_worksheet* ws, lxw_row_t r, lxw_col_t c, const QVariant& v,
                     const ColumnType& type)
{
    if (v.isNull() || !v.isValid())
        return LXW_NO_ERROR;
    switch (type.kind) {
    case ColumnType::Single: // 85.5, not 85.5000000001
        return worksheet_write_number(ws, r, c, shortestSingle(v.toDouble()).toDouble(), nullptr);
    case ColumnType::Integer:
        return worksheet_write_number(ws, r, c, double(v.toLongLong()), nullptr);
    default:
        return worksheet_write_string(ws, r, c, v.toString().toUtf8().constData(), nullptr);
    }
}

lxw_error writeCell(lxw_worksheet* ws, lxw_row_t r, lxw_col_t c, const QVariant& v)
{
    if (isNumberCell(v))
        return worksheet_write_number(ws, r, c, v.toDouble(), nullptr);
    const QString text = cellText(v);
    return text.isEmpty() ? LXW_NO_ERROR
                          : worksheet_write_string(ws, r, c, text.toUtf8().constData(), nullptr);
}

lxw_error writeHead(lxw_worksheet* ws, const RosterSheet& sheet, const Formats& f)
{
    const lxw_col_t last = lxw_col_t(sheet.columns.size() - 1);
    const QByteArray title = rosterTitle().toUtf8();
    lxw_error err = LXW_NO_ERROR;
    if (sheet.titled)
        err = worksheet_set_row(ws, 0, TitleRowHeight, f.title);
    if (!err && sheet.titled)
        err = last > 0 ? worksheet_merge_range(ws, 0, 0, 0, last, title.constData(), f.title)
                       : worksheet_write_string(ws, 0, 0, title.constData(), f.title);
    const lxw_row_t head = sheet.titled ? 1 : 0;
    for (lxw_col_t c = 0; !err && c <= last; ++c)
        err = worksheet_write_string(ws, head, c, sheet.columns.at(c).name.toUtf8().constData(),
                                     f.header);
    return err;
}

void setUpPage(lxw_worksheet* ws, const RosterSheet& sheet)
{
    const QVector<double> widths = columnWidths(sheet);
    for (int c = 0; c < widths.size(); ++c)
        worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), widths.at(c), nullptr);
    worksheet_set_paper(ws, PaperA4);
    worksheet_fit_to_pages(ws, 1, 0);
    worksheet_repeat_rows(ws, 0, sheet.titled ? 1 : 0);
    worksheet_center_horizontally(ws);
}

lxw_error writeSheet(lxw_workbook* book, const RosterSheet& sheet, const Formats& f)
{
    lxw_worksheet* ws = workbook_add_worksheet(book, sheet.name.toUtf8().constData());
    if (!ws || sheet.columns.isEmpty())
        return LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
    setUpPage(ws, sheet);
    lxw_error err = writeHead(ws, sheet, f);
    for (int r = 0; !err && r < sheet.rows.size(); ++r) {
        const QVariantList& row = sheet.rows.at(r);
        for (int c = 0; !err && c < row.size() && c < sheet.columns.size(); ++c)
            err = sheet.cellsTyped ? writeCell(ws, lxw_row_t(r + 1), lxw_col_t(c), row.at(c))
                                   : writeValue(ws, lxw_row_t(r + (sheet.titled ? 2 : 1)),
                                                lxw_col_t(c), row.at(c), sheet.columns.at(c).type);
    }
    return err;
}

// The library prints its failures (in English) on standard error; the user
// reads the roster's own message instead.
class QuietStderr {
public:
    QuietStderr() : m_saved(::dup(STDERR_FILENO))
    {
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDERR_FILENO);
            ::close(null);
        }
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (m_saved >= 0) {
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
        }
    }
    QuietStderr(const QuietStderr&) = delete;

private:
    int m_saved;
};

const QString kPartPattern = QStringLiteral(".花名表-*.part");

// A roster being written holds a lock on its part file; one that nobody
// holds was left by a roster that was stopped, and is removed.
void removeAbandonedParts(const QDir& dir)
{
    for (const QString& name : dir.entryList({kPartPattern}, QDir::Files | QDir::Hidden)) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

bool writeBook(const QString& file, const QVector<RosterSheet>& sheets, const Context& ctx)
{
    const QuietStderr quiet;
    lxw_workbook* book = workbook_new(QFile::encodeName(file).constData());
    if (!book)
        return false;
    const Formats f = makeFormats(book);
    lxw_error err = LXW_NO_ERROR;
    for (int k = 0; !err && k < sheets.size(); ++k) {
        err = writeSheet(book, sheets.at(k), f);
        ctx.prompt.progress(k + 1, int(sheets.size()));
    }
    const lxw_error closed = workbook_close(book); // also frees the book
    return !err && !closed;
}

} // namespace

bool WriteRosterWorkbook(const QString& path, const QVector<RosterSheet>& sheets,
                         const Context& ctx)
{
    RequireOutputPath(ctx, path);
    const QFileInfo target(path);
    removeAbandonedParts(target.dir());
    QTemporaryFile part(target.dir().filePath(QString(kPartPattern).replace(u'*', "XXXXXX")));
    // The library opens the file again by its name; the handle kept open holds
    // the lock that tells other rosters the file is in use.
    if (!part.open() || ::flock(part.handle(), LOCK_EX | LOCK_NB) != 0)
        return false;
    part.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    if (!writeBook(part.fileName(), sheets, ctx))
        return false;
    // Renaming replaces an earlier file of that name in one step.
    if (std::rename(QFile::encodeName(part.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        return false;
    part.setAutoRemove(false);
    return true;
}

} // namespace quorvel
