#include "createpanel.h"

#include "excel/rebuild.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace quorvel {

namespace {

// A check box of a required column: it shows its state and ignores every
// click and key press.
class FixedCheckBox : public QCheckBox {
public:
    FixedCheckBox(const QString& caption, Qt::CheckState state, QWidget* parent)
        : QCheckBox(caption, parent)
    {
        setTristate(state == Qt::PartiallyChecked);
        setCheckState(state);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void nextCheckState() override {}
};

QLabel* explanation(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

const char* panelStyle()
{
    return "#Frmcreate { background-color: rgb(250, 252, 255);"
           "  border: 1px solid rgb(150, 170, 210); border-radius: 3px; }"
           "QGroupBox { font-weight: bold; color: rgb(28, 48, 108); }"
           "QGroupBox * { font-weight: normal; color: black; }";
}

} // namespace

CreatePanel::CreatePanel(const Context& ctx, QWidget* parent) : QFrame(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("Frmcreate"));
    setStyleSheet(QString::fromLatin1(panelStyle()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 16, 14);
    column->setSpacing(10);
    column->addWidget(explanation(
        QStringLiteral(
            "请根据您的需要选择字段，系统会按您的要求创建数据库。（默认选项为必选字段）"),
        this));
    column->addWidget(buildRequired());
    column->addWidget(buildOptional());
    column->addWidget(buildSubjects());
    column->addWidget(
        explanation(QStringLiteral("说明：自定义字段名中的内容只能为：是，否("
                                   "字段名中内容为“是否”开头的字段中的数据必须为“是、否”"),
                    this));
    column->addWidget(buildButtons());
}

QCheckBox* CreatePanel::addBox(QWidget* parent, const QString& name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QWidget* CreatePanel::buildRequired()
{
    auto* group = new QGroupBox(QStringLiteral("必选字段"), this);
    auto* row = new QHBoxLayout(group);
    const struct {
        const char* name;
        QString caption;
        Qt::CheckState state;
    } boxes[] = {{"Check14", QStringLiteral("编号"), Qt::Checked},
                 {"Check15", QStringLiteral("姓名"), Qt::Checked},
                 {"Check16", QStringLiteral("性别"), Qt::Checked},
                 {"Check17", QStringLiteral("班级"), Qt::Checked},
                 {"Check13", QStringLiteral("总分"), Qt::PartiallyChecked}};
    for (const auto& b : boxes) {
        auto* box = new FixedCheckBox(b.caption, b.state, group);
        box->setObjectName(QString::fromLatin1(b.name));
        row->addWidget(box);
    }
    row->addStretch(1);
    return group;
}

QLineEdit* CreatePanel::addNameBox(QWidget* parent, const QString& name, QCheckBox* owner)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setEnabled(false);
    edit->setPlaceholderText(QStringLiteral("是否XXXX"));
    connect(owner, &QCheckBox::toggled, edit, &QLineEdit::setEnabled);
    connect(edit, &QLineEdit::textChanged, this,
            [this, edit](const QString& text) { checkCustomName(edit, text); });
    return edit;
}

QWidget* CreatePanel::buildOptional()
{
    auto* group = new QGroupBox(QStringLiteral("可选字段"), this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(14);
    m_school = addBox(group, QStringLiteral("Check10"), QStringLiteral("原学校"));
    m_grade = addBox(group, QStringLiteral("Check3"), QStringLiteral("品质等级（好、中、差）"));
    m_migrant = addBox(group, QStringLiteral("Check5"), QStringLiteral("是否农民工子女"));
    m_cadre = addBox(group, QStringLiteral("Check2"), QStringLiteral("是否班干部"));
    m_custom1 = addBox(group, QStringLiteral("Check4"), QStringLiteral("自定义1"));
    m_custom2 = addBox(group, QStringLiteral("Check11"), QStringLiteral("自定义2"));
    m_name1 = addNameBox(group, QStringLiteral("txtzdy1"), m_custom1);
    m_name2 = addNameBox(group, QStringLiteral("txtzdy2"), m_custom2);
    grid->addWidget(m_school, 0, 0);
    grid->addWidget(m_grade, 0, 1, 1, 2);
    grid->addWidget(m_migrant, 1, 0);
    grid->addWidget(m_cadre, 1, 1, 1, 2);
    grid->addWidget(m_custom1, 2, 0);
    grid->addWidget(m_name1, 2, 1, 1, 2);
    grid->addWidget(m_custom2, 3, 0);
    grid->addWidget(m_name2, 3, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    return group;
}

QWidget* CreatePanel::buildSubjects()
{
    auto* group = new QGroupBox(QStringLiteral("成绩科目"), this);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(14);
    const QStringList& names = subjectNames();
    const int perRow = 7;
    for (int i = 0; i < int(m_subjects.size()); ++i) {
        m_subjects[i] = addBox(group, QStringLiteral("Check1_%1").arg(i), names.at(i));
        grid->addWidget(m_subjects[i], i / perRow, i % perRow);
    }
    return group;
}

QWidget* CreatePanel::buildButtons()
{
    auto* strip = new QWidget(this);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    auto* create = new QPushButton(QStringLiteral("创建数据库"), strip);
    create->setObjectName(QStringLiteral("FlatBttn1"));
    auto* cancel = new QPushButton(QStringLiteral("取消"), strip);
    cancel->setObjectName(QStringLiteral("FlatBttn4"));
    for (QPushButton* button : {create, cancel}) {
        button->setMinimumWidth(96);
        row->addWidget(button);
    }
    connect(create, &QPushButton::clicked, this, &CreatePanel::createDatabase);
    connect(cancel, &QPushButton::clicked, this, &CreatePanel::cancel);
    return strip;
}

// Runs on every change of a custom name, whoever made it. The program's own
// emptying of the box is not a change the user should hear about again.
void CreatePanel::checkCustomName(QLineEdit* box, const QString& text)
{
    if (CheckCustomName(m_ctx.prompt, text))
        return;
    const QSignalBlocker blocker(box);
    box->clear();
}

CreateOptions CreatePanel::options() const
{
    CreateOptions o;
    o.school = m_school->isChecked();
    o.grade = m_grade->isChecked();
    o.migrant = m_migrant->isChecked();
    o.cadre = m_cadre->isChecked();
    o.custom1 = m_custom1->isChecked();
    o.custom2 = m_custom2->isChecked();
    o.custom1Name = m_name1->text();
    o.custom2Name = m_name2->text();
    for (int i = 0; i < int(m_subjects.size()); ++i)
        o.subjects[i] = m_subjects[i]->isChecked();
    return o;
}

void CreatePanel::createDatabase()
{
    const CreateOptions chosen = options();
    bool created = false;
    reportErrors(m_ctx.prompt, [&] { created = CreateDatabase(m_ctx, chosen); });
    if (!created)
        return;
    hide();
    emit databaseCreated();
}

void CreatePanel::cancel()
{
    hide();
}

} // namespace quorvel
