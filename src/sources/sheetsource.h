#pragma once

#include <QByteArray>
#include <QList>
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

// A workbook a user brings, read as rows of cells of its sheets. Readers
// stream their sheet; a damaged file throws an OperationError whose text
// says in Chinese why it cannot be read.
class SheetSource {
public:
    // The limits of a sheet: those of current spreadsheet programs.
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;
    static constexpr int kMaxText = 32767;

    virtual ~SheetSource() = default;
    virtual QStringList sheetNames() const = 0;
    // Calls visit with every row of the sheet holding a value, top to
    // bottom, until it returns false.
    virtual void readRows(int sheet, const std::function<bool(const SheetRow&)>& visit) = 0;

    // The first maxRows rows holding a value (all of them when negative).
    QList<SheetRow> readSheet(int sheet, int maxRows = -1);
    // The first sheet called name in any letter case; -1 when there is none.
    int findSheet(const QString& name) const;
};

enum class SourceFormat { Xls, Xlsx, Ods, Csv };

// The format a file name's extension names; nullopt for any other.
std::optional<SourceFormat> sourceFormatOf(const QString& path);

// Opens the workbook at path by its extension; throws an OperationError when
// it is missing, unreadable, of another format or damaged.
std::unique_ptr<SheetSource> openSheetSource(const QString& path);

// Reads a workbook held in memory; name is the file name its messages give.
std::unique_ptr<SheetSource> sheetSourceFromBytes(const QByteArray& bytes, SourceFormat format,
                                                  const QString& name);

// Throws the message for a file that is missing (missing) or cannot be
// opened.
[[noreturn]] void throwUnopened(const QString& name, bool missing);

// Throws the message for a workbook that cannot be read (detail may be
// empty).
[[noreturn]] void throwDamaged(const QString& name, const QString& detail = {});

} // namespace quorvel
