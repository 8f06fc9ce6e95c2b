#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

namespace quorvel {

// One row of a sheet: its number as the spreadsheet shows it (1 for the
// top row) and its cells from column A on. A cell is a null QVariant when
// empty, otherwise a double, a bool or a QString; dates read as yyyy-mm-dd
// texts and formula cells as their stored result.
struct SheetRow {
    int number = 0;
    QVariantList cells;
};

// A cell whose value the file does not hold itself: its text refers to an
// entity, which a reader never fetches. It is kept as a value of its own so
// that the import lists it instead of taking the cell for empty.
struct UnreadableCell {
    bool operator==(const UnreadableCell&) const = default;
};

bool isUnreadableCell(const QVariant& cell);

// A workbook on disk, which a reader reads as it needs it, never whole.
struct FileOnDisk {
    QString path;
};

// A workbook a user brings, read as rows of cells of its sheets. Readers
// stream their sheet; a damaged file throws an OperationError whose text
// says in Chinese why it cannot be read.
class SheetSource {
public:
    // The limits of a sheet: those of current spreadsheet programs. A longer
    // text is never cut: the file is refused.
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;
    static constexpr int kMaxText = 32767;
    // The most characters the texts of one row hold together.
    static constexpr qint64 kMaxRowText = 1024 * 1024;
    // The largest .xlsx, .ods or .csv file read; a school's intake (some
    // 33,000 rows of 60 columns) takes a few MB.
    static constexpr qint64 kMaxFileSize = 64LL * 1024 * 1024;
    // What the rows readSheet gives and what a reader keeps (an .xlsx
    // file's shared strings, FreeXL's tables of an .xls file) may take in
    // memory, as readSheet and hold() reckon it: the intake above, every
    // cell filled, takes about half of it; some two million cells each with
    // a short text of its own go beyond it. A refused file then stays well
    // below 200 MB.
    static constexpr qint64 kMaxHeld = 144LL * 1024 * 1024;

    explicit SheetSource(const QString& name) : m_name(name) {}
    virtual ~SheetSource() = default;
    virtual QStringList sheetNames() const = 0;
    // Calls visit with every row of the sheet holding a value, top to
    // bottom, until it returns false.
    virtual void readRows(int sheet, const std::function<bool(const SheetRow&)>& visit) = 0;

    // The first maxRows rows holding a value (all of them when negative).
    QList<SheetRow> readSheet(int sheet, int maxRows = -1);
    // The first sheet called name in any letter case, or else the one a
    // number N counts (1 for the first); -1 when there is none.
    int findSheet(const QString& name) const;
    // The file name the messages give.
    const QString& fileName() const { return m_name; }
    // What the import report says once about the file: that its content is
    // of another format than its name says; empty when they agree.
    const QString& contentNote() const { return m_contentNote; }
    void setContentNote(const QString& note) { m_contentNote = note; }

protected:
    // Counts bytes more against kMaxHeld for the strings the reader keeps;
    // throws once they go beyond it.
    void hold(qint64 bytes);

    QString m_name;

private:
    qint64 m_held = 0;
    QString m_contentNote;
};

// What a text of its own (one no other value shares) takes in memory beside
// its cell: the block of its characters.
qint64 textBytes(const QString& text);

// Xls: Excel 5.0/95 and 97-2003 (a compound file, or its bare record
// stream); Biff2: Excel 2.x–4.0; Html: the tables of a web page.
enum class SourceFormat { Xls, Xlsx, Ods, Csv, Html, Biff2 };

// The format a file name's extension names; nullopt for any other.
std::optional<SourceFormat> sourceFormatOf(const QString& path);

// The format the content of a file shows, from its first bytes (head, a few
// KB) and, for a zip archive, whether it holds a workbook part (xlsx) or
// content.xml (ods); nullopt when it shows none (plain text among them).
std::optional<SourceFormat> contentFormatOf(const QByteArray& head,
                                            const std::function<bool(const QString&)>& zipHas);

// Opens the workbook at path by its content, whatever its name: a zip
// holding a workbook part is .xlsx, one holding content.xml .ods, a
// compound file .xls, a BIFF2–4 stream an Excel 2.x–4.0 worksheet, a web
// page its tables, plain text .csv; when the content and the extension
// disagree, contentNote() says so. Throws an OperationError when the file
// is missing, not a regular file (a folder, a device, a pipe), larger than
// kMaxFileSize, unreadable, of no format read or damaged.
std::unique_ptr<SheetSource> openSheetSource(const QString& path);

// Reads a workbook held in memory; name is the file name its messages give.
std::unique_ptr<SheetSource> sheetSourceFromBytes(const QByteArray& bytes, SourceFormat format,
                                                  const QString& name);
// The same by the bytes' content, as openSheetSource reads a file.
std::unique_ptr<SheetSource> sheetSourceFromBytes(const QByteArray& bytes, const QString& name);

// Throws the message for a file that is missing (missing) or cannot be
// opened.
[[noreturn]] void throwUnopened(const QString& name, bool missing);

// Throws the message for a workbook that cannot be read (detail may be
// empty).
[[noreturn]] void throwDamaged(const QString& name, const QString& detail = {});

// Throws the message for a workbook with a text longer than kMaxText.
[[noreturn]] void throwLongText(const QString& name);

// Throws the message for a workbook with a row whose texts hold more than
// kMaxRowText characters.
[[noreturn]] void throwLongRow(const QString& name, int row);

// Throws the message for a workbook whose rows would take more than
// kMaxHeld.
[[noreturn]] void throwTooMuch(const QString& name);

} // namespace quorvel

Q_DECLARE_METATYPE(quorvel::UnreadableCell)
