#include "schemepanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

QString panelStyle(const QString& name)
{
    return QStringLiteral("#%1 { background-color: rgb(250, 252, 255);"
                          "  border: 1px solid rgb(150, 170, 210); border-radius: 3px; }"
                          "#%1 QLabel#title { font-weight: bold; color: rgb(28, 48, 108); }")
        .arg(name);
}

} // namespace

SchemePanel::SchemePanel(const QString& name, const QString& title, QWidget* parent)
    : QFrame(parent)
{
    setObjectName(name);
    setStyleSheet(panelStyle(name));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 16, 20, 16);
    column->setSpacing(14);
    auto* heading = new QLabel(title, this);
    heading->setObjectName(QStringLiteral("title"));
    QFont f = heading->font();
    f.setPointSizeF(f.pointSizeF() * 1.15);
    heading->setFont(f);
    column->addWidget(heading);
    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(12);
    m_grid->setVerticalSpacing(12);
    m_grid->setColumnStretch(3, 1);
    column->addLayout(m_grid);
    column->addStretch(1);
    hide();
}

void SchemePanel::showPanel()
{
    raise();
    show();
}

QLabel* SchemePanel::addLabel(const QString& name, const QString& text, int row, int column,
                              int span)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    m_grid->addWidget(label, row, column, 1, span);
    return label;
}

QLineEdit* SchemePanel::addBox(const QString& name, int row, int column)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setFixedWidth(90);
    m_grid->addWidget(box, row, column);
    return box;
}

QPushButton* SchemePanel::addButton(const QString& name, const QString& caption, int row,
                                    int column)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setMinimumWidth(80);
    m_grid->addWidget(button, row, column);
    return button;
}

QLabel* SchemePanel::addNote(const QString& name, const QString& text)
{
    auto* note = new QLabel(text, this);
    note->setObjectName(name);
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: rgb(90, 98, 112);"));
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertWidget(column->count() - 1, note);
    return note;
}

} // namespace quorvel
