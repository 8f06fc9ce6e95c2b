#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QString>

// Small builders for the named controls of the dialogs and panels: tests
// find every control by its object name.
namespace quorvel {

inline QLabel* caption(const QString& text, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A box for a typed number. Digits typed full width are read as digits by
// the operations, so the input method may offer either.
inline QLineEdit* numberBox(const QString& name, int width, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setFixedWidth(width);
    box->setInputMethodHints(Qt::ImhPreferNumbers);
    return box;
}

} // namespace quorvel
