#pragma once

#include "store.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

namespace quorvel {

// The students of studscore as an operation reads them once, inside its
// transaction: the rowid and some or all columns of every student, in rowid
// order. The balance report (its figures in classfigures.h) computes from it
// in memory instead of asking the store again; an operation that moves
// students moves them here too (setClass), so that what it reports after
// the move needs no second read.
// Values are those a row set reads: no value, a number (double for SINGLE,
// qint32 for INTEGER columns) or a text.
class ClassIntake {
public:
    // Every column of studscore.
    static ClassIntake read(Store& store);
    // Only the columns named (those studscore lacks are left out).
    static ClassIntake read(Store& store, const QStringList& columns);

    int rowCount() const { return int(m_rowids.size()); }
    const QVector<ColumnInfo>& columns() const { return m_columns; }
    // The position of a column among columns(); -1 when it was not read.
    int columnIndex(const QString& name) const;
    qint64 rowid(int row) const { return m_rowids.at(row); }
    const QVariant& value(int row, int column) const { return m_rows.at(row).at(column); }
    const QVariantList& row(int index) const { return m_rows.at(index); }

    // The 班级 of a student as a number; nullopt without a value (a text
    // that is no number counts as none). The column must have been read.
    std::optional<qint64> classOf(int row) const;
    // Gives the student the class cls in memory (what the caller writes to
    // the store in the same transaction).
    void setClass(int row, int cls);

private:
    QVector<ColumnInfo> m_columns;
    QVector<QVariantList> m_rows;
    QVector<qint64> m_rowids;
    int m_class = -1;
};

} // namespace quorvel
