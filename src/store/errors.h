#pragma once

#include <QString>
#include <stdexcept>

namespace quorvel {

// An operation that cannot go on throws this; the front end shows text() in a
// message box (see reportErrors) after every change has been rolled back.
class OperationError : public std::runtime_error {
public:
    explicit OperationError(QString text)
        : std::runtime_error(text.toStdString()), m_text(std::move(text)) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// A failure of the database engine: shown as its error number in decimal
// followed directly by its description.
class StoreError : public OperationError {
public:
    StoreError(int code, const QString& description)
        : OperationError(QString::number(code) + description), m_code(code),
          m_description(description) {}
    int code() const { return m_code; }
    const QString& description() const { return m_description; }

private:
    int m_code;
    QString m_description;
};

} // namespace quorvel
