#include "drawdialog.h"

#include "core/context.h"
#include "drawdisplay.h"
#include "publish/draw.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace quorvel {

DrawDialog::DrawDialog(const Context& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_teachers(new QPlainTextEdit(this)), m_seed(new QLineEdit(this))
{
    setObjectName(QStringLiteral("drawDialog"));
    setWindowTitle(QStringLiteral("班主任抽签"));
    m_teachers->setObjectName(QStringLiteral("drawTeachers"));
    m_teachers->setPlaceholderText(QStringLiteral("每行一位班主任，每个班一位"));
    m_seed->setObjectName(QStringLiteral("drawSeed"));
    m_seed->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,10}")), m_seed));
    m_seed->setPlaceholderText(QStringLiteral("当众掷骰子得到的数，或按“随机种子”"));
    auto* random = new QPushButton(QStringLiteral("随机种子"), this);
    connect(random, &QPushButton::clicked, this, [this] {
        m_seed->setText(QString::number(QRandomGenerator::system()->bounded(1000000u)));
    });
    auto* seedRow = new QHBoxLayout;
    seedRow->addWidget(m_seed, 1);
    seedRow->addWidget(random);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("班主任："), m_teachers);
    form->addRow(QStringLiteral("种子："), seedRow);
    auto* note =
        new QLabel(QStringLiteral("名单和种子相同，抽签结果就相同，任何人都可以复核。"), this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* go = buttons->addButton(QStringLiteral("开始抽签"), QDialogButtonBox::AcceptRole);
    go->setObjectName(QStringLiteral("drawStart"));
    connect(go, &QPushButton::clicked, this, [this] {
        if (draw())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(note);
    column->addWidget(buttons);
    resize(460, 420);
}

DrawDisplay* DrawDialog::draw()
{
    bool ok = false;
    const qulonglong seed = m_seed->text().toULongLong(&ok);
    if (!ok || seed > 0xffffffffu) {
        m_ctx.prompt.message(QStringLiteral("请输入种子：0到4294967295之间的整数。"), appTitle());
        return nullptr;
    }
    QStringList teachers;
    for (const QString& line : m_teachers->toPlainText().split(u'\n'))
        if (!line.trimmed().isEmpty())
            teachers.append(line.trimmed());
    std::optional<DrawRecord> drawn;
    reportErrors(m_ctx.prompt, [&] { drawn = HeadTeacherDraw(m_ctx, teachers, quint32(seed)); });
    if (!drawn)
        return nullptr;
    auto* display = new DrawDisplay(*drawn, parentWidget());
    display->showFullScreen();
    return display;
}

} // namespace quorvel
