#pragma once

#include "fakeprompt.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvel::test {

// Imports workbooks into a scratch store and checks what every workbook,
// however damaged, must give: either the import refuses it with a message
// and studscore stays exactly as it was, or every data row of the file is
// in studscore (one row per distinct 编号 the column takes, in the file's
// order). The store is put back as it was after each import. Used by the
// fuzz target and by the test that replays every input it ever found.
class ImportProbe {
public:
    ImportProbe();

    // Imports workbook as myexcel.xls; an empty text when the outcome is
    // sound, else what went wrong.
    QString check(const QByteArray& workbook);
    // Whether the last check() imported the workbook.
    bool imported() const { return m_imported; }

private:
    QString checkRefused();
    QString checkImported();
    QStringList expectedIds();

    Sandbox m_sb;
    QByteArray m_pristine; // gsls.dll as made, two students in it
    QStringList m_pristineRows;
    bool m_imported = false;
    bool m_dirty = false;
};

} // namespace quorvel::test
