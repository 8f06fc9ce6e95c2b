#pragma once

#include "biffscan.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace quorvel {

// Why a workbook could not be opened.
enum class XlsStatus {
    Ok,
    Missing,     // no such file
    CannotOpen,  // the file exists but cannot be read (rights, locked)
    NotWorkbook, // some other kind of file, or a workbook older than Excel 5.0
    Corrupt,     // a workbook that is truncated or damaged
    Encrypted,   // protected by a password
    TooLarge,    // a sheet or the file beyond what the reader takes on
    LongText,    // a cell with a text of some thousands of characters
};

// A workbook of Excel 5.0/95 (BIFF5) or Excel 97-2003 (BIFF8), read with
// FreeXL. Before FreeXL sees the file, its structure, the lengths inside its
// records and the extent every sheet claims are checked (scanBiffStream), so
// a damaged or hostile file is refused without FreeXL reading outside its
// buffers or setting up huge tables. Formula cells give their stored result.
class XlsWorkbook {
public:
    // The limits a sheet must stay within: those of Excel 97-2003.
    static constexpr quint32 kMaxRows = 65536;
    static constexpr quint32 kMaxColumns = 256;
    // A school's intake (some 33,000 rows of 60 columns, a few hundred
    // thousand distinct texts) takes some 30 MB, half the cells and fewer
    // texts. FreeXL keeps a table of every cell of each sheet's extent
    // (every sheet's together) and every distinct text.
    static constexpr qint64 kMaxFileSize = 32LL * 1024 * 1024;
    static constexpr quint64 kMaxCells = 4000000;
    static constexpr quint32 kMaxStrings = 500000;

    explicit XlsWorkbook(const QString& path);
    ~XlsWorkbook();
    XlsWorkbook(const XlsWorkbook&) = delete;
    XlsWorkbook& operator=(const XlsWorkbook&) = delete;

    XlsStatus status() const { return m_status; }
    int biffVersion() const { return m_scan.version; }
    // About what FreeXL keeps in memory of the open workbook: its cell
    // tables and texts.
    qint64 heldBytes() const { return m_held; }
    const QStringList& sheetNames() const { return m_sheetNames; }
    // The first sheet called name in any letter case; -1 when there is none.
    int findSheet(const QString& name) const;

    // Makes a sheet the one cell() reads; false when it cannot be read.
    bool selectSheet(int index);
    int rows() const { return m_rows; }
    // The rows of the selected sheet down to the last one holding a value.
    int valueRows() const;
    int columns() const { return m_columns; }
    // One cell of the selected sheet: a null QVariant when empty, a number
    // (double) or a text (QString); outside the sheet every cell is empty.
    // nullopt when the cell cannot be read.
    std::optional<QVariant> cell(int row, int column) const;

private:
    XlsStatus open(const QString& path);
    XlsStatus openReader(const QString& path, QByteArray stream);

    const void* m_handle = nullptr;
    XlsStatus m_status = XlsStatus::Ok;
    BiffScan m_scan;
    QStringList m_sheetNames;
    int m_sheet = -1;
    int m_rows = 0;
    int m_columns = 0;
    qint64 m_held = 0;
    // What an empty shared string reads as in the copy FreeXL was given.
    QString m_emptyText;
};

} // namespace quorvel
