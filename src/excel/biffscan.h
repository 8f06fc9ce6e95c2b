#pragma once

#include <QByteArray>
#include <QHash>
#include <QVariant>
#include <QVector>

namespace quorvel {

// What one pass over the records of a BIFF5 or BIFF8 workbook stream finds
// out before the workbook is handed to the cell reader (FreeXL): whether the
// stream holds together, whether every length inside the records the reader
// parses stays within its record and the reader's buffers (the reader trusts
// them), how large each sheet claims to be, and the results that formula
// cells carry (the reader itself leaves formula cells empty). A record
// longer than the format allows, or a cell outside the extent its sheet
// states, makes the stream Corrupt.
struct BiffSheetScan {
    // The extent of the sheet: its DIMENSIONS record, or else the cells.
    quint32 rows = 0;
    quint32 columns = 0;
    // The rows down to the last one holding a value (not only formatted
    // blank cells): what the sheet says it holds.
    quint32 valueRows = 0;
    // The stored result of every formula cell, by cellKey(): a number
    // (double), a text (QString), or a null QVariant for an error result.
    QHash<quint32, QVariant> formulaResults;
};

inline quint32 cellKey(quint32 row, quint32 column)
{
    return row << 16 | (column & 0xffff);
}

struct BiffScan {
    // LongText: a text the cell reader cannot take in, as it spans more
    // than two records (some thousands of characters).
    enum Status { Ok, NotBiff, Corrupt, Encrypted, LongText };
    Status status = NotBiff;
    int version = 0;               // 5 or 8
    QVector<BiffSheetScan> sheets; // in the order of the workbook's sheet list
    // The cell reader sets up a table of every cell of a sheet, and does so
    // anew for each DIMENSIONS record it meets: the largest extent any such
    // table gets and the number of cells of all of them together.
    quint32 largestRows = 0;
    quint32 largestColumns = 0;
    quint64 cellsAllocated = 0;
};

BiffScan scanBiffStream(const QByteArray& stream);

} // namespace quorvel
