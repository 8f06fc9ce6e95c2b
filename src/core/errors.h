#pragma once

#include <QString>
#include <stdexcept>

namespace quorvel {

// An operation that cannot go on throws this; the front end shows text() in a
// message box (see reportErrors) after every change has been rolled back.
class OperationError : public std::runtime_error {
public:
    explicit OperationError(QString text)
        : std::runtime_error(text.toStdString()), m_text(std::move(text))
    {
    }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

} // namespace quorvel
