#pragma once

#include "sheetsource.h"

#include <QHash>
#include <QPair>

namespace quorvel {

// Which cell of a sheet's rows goes to which database column.

// A header text as it is compared: without blanks of any width, full-width
// letters, digits and signs as their half-width forms, in lower case.
QString normalizedHeader(const QString& text);

// The headers that name a database column besides its own name: the
// usual names of 编号, 姓名, 原学校, 品质等级 and 总分, and a subject's name
// followed by 成绩 or 分数.
QStringList usualNames(const QString& column, const QStringList& subjects);

// The database column a header names; empty when it names none.
QString columnNamed(const QString& header, const QStringList& columns, const QStringList& subjects);

// How many rows findHeaderRow looks at.
constexpr int kHeaderSearchRows = 20;

// The index in rows of the header row: the first of the first 20 rows in
// which at least two cells name a database column or are one of known (the
// headers the user maps by hand); -1 when none does.
int findHeaderRow(const QList<SheetRow>& rows, const QStringList& columns,
                  const QStringList& subjects, const QStringList& known = {});

// The cell (index in SheetRow::cells) each database column is read from,
// with the header text of that cell.
struct ColumnMapping {
    QHash<QString, int> cellOf;
    QHash<QString, QString> headerOf;
    // The columns the header row names that the hand mappings left without
    // a cell, in the order of the columns.
    QStringList dropped;

    bool isMapped(const QString& column) const { return cellOf.contains(column); }
};

// A column the user maps by hand: COLUMN=HEADER, or COLUMN= to leave it
// unmapped.
using HandMapping = QPair<QString, QString>;

// Maps every database column to the first cell of header naming it, then
// applies the hand mappings. One header may feed several columns: a header
// taken by hand stays with the column that had it, unless that column is
// mapped by hand too. Throws an OperationError for a hand mapping naming an unknown
// column or a header the row does not have.
ColumnMapping mapColumns(const SheetRow& header, const QStringList& columns,
                         const QStringList& subjects, const QList<HandMapping>& byHand = {});

// Parses COLUMN=HEADER; throws an OperationError when there is no '='.
HandMapping parseHandMapping(const QString& text);

// The headers the hand mappings name (COLUMN= names none).
QStringList handHeaders(const QList<HandMapping>& byHand);

} // namespace quorvel
