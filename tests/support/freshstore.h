#pragma once

#include "store/store.h"

#include <QString>
#include <QTemporaryDir>

namespace quorvel::test {

// A store of the store's own tests in a temporary folder: fresh() makes
// gsls.dll anew, its studscore of the columns declared (the column list of
// CREATE TABLE) with the rows given (the list of VALUES), in that order.
class FreshStore {
public:
    FreshStore(QString columns, QString rows);
    Store fresh();

private:
    QTemporaryDir m_dir;
    QString m_columns;
    QString m_rows;
};

} // namespace quorvel::test
