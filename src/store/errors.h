#pragma once

#include "core/errors.h"

#include <QString>

namespace quorvel {

// The description a user reads for a failure of the database engine with
// this result code: in Chinese, saying what to do, for the failures a user
// meets (the file in use by another program, read-only, disk full, missing,
// not a database, damaged); the engine's own text for any other.
QString storeErrorDescription(int code, const QString& engineText);

// A failure of the database engine: shown as its error number in decimal
// followed directly by its description.
class StoreError : public OperationError {
public:
    StoreError(int code, const QString& description)
        : OperationError(QString::number(code) + description), m_code(code),
          m_description(description)
    {
    }
    // A failure the engine reported with its own text: described by
    // storeErrorDescription.
    static StoreError fromEngine(int code, const QString& engineText)
    {
        return StoreError(code, storeErrorDescription(code, engineText));
    }
    int code() const { return m_code; }
    const QString& description() const { return m_description; }

private:
    int m_code;
    QString m_description;
};

} // namespace quorvel
