#pragma once

#include <QCheckBox>
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

// 分班后精确均衡 (chkPrecise), ticked: every division road of the window
// that adjusts offers the precise balancing after its adjustment.
inline QCheckBox* preciseAfterDivisionBox(QWidget* parent)
{
    auto* box = new QCheckBox(QStringLiteral("分班后精确均衡"), parent);
    box->setObjectName(QStringLiteral("chkPrecise"));
    box->setChecked(true);
    box->setToolTip(QStringLiteral("分班和自动调整之后再做精确调整，使各班总分平均分之差达到最小；"
                                   "条件人数、分班规则和班级人数保持不变。"));
    return box;
}

} // namespace quorvel
