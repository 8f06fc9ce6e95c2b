#include "rulesdialog.h"

#include "rules/rulecheck.h"
#include "rules/ruleentry.h"
#include "rules/ruleimport.h"
#include "shell/common/filechooser.h"
#include "store/studentgrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quorvel {

namespace {

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QString membersText(const RuleListing& l)
{
    QStringList out;
    for (int i = 0; i < l.rule.members.size(); ++i)
        out.append(l.names.at(i).isEmpty() ? l.rule.members.at(i)
                                           : l.rule.members.at(i) + u' ' + l.names.at(i));
    return out.join(QStringLiteral("，"));
}

} // namespace

RulesDialog::RulesDialog(const Context& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("RulesDialog"));
    setWindowTitle(QStringLiteral("分班规则"));
    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName(QStringLiteral("ruleTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("规则"), QStringLiteral("类型"),
                                        QStringLiteral("学生"), QStringLiteral("班级"),
                                        QStringLiteral("备注")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_check = new QLabel(this);
    m_check->setObjectName(QStringLiteral("ruleCheck"));
    m_check->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(buildButtons());
    layout->addWidget(m_check);
    layout->addWidget(buildEntry());
    resize(720, 560);
    refresh();
}

QWidget* RulesDialog::buildButtons()
{
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    const std::pair<QPushButton*, void (RulesDialog::*)()> buttons[] = {
        {button(QStringLiteral("删除规则"), QStringLiteral("ruleRemove"), row),
         &RulesDialog::removeRule},
        {button(QStringLiteral("检查"), QStringLiteral("ruleCheckButton"), row),
         &RulesDialog::checkRules},
        {button(QStringLiteral("从Excel表导入"), QStringLiteral("ruleImport"), row),
         &RulesDialog::importRules}};
    for (const auto& [b, slot] : buttons) {
        h->addWidget(b);
        connect(b, &QPushButton::clicked, this, slot);
    }
    h->addStretch(1);
    return row;
}

QWidget* RulesDialog::buildEntry()
{
    auto* box = new QWidget(this);
    auto* grid = new QHBoxLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* left = new QVBoxLayout;
    m_kind = new QComboBox(box);
    m_kind->setObjectName(QStringLiteral("ruleKind"));
    for (const RuleKind kind :
         {RuleKind::Together, RuleKind::Apart, RuleKind::Fixed, RuleKind::Prefer})
        m_kind->addItem(ruleKindName(kind), int(kind));
    m_find = new QLineEdit(box);
    m_find->setObjectName(QStringLiteral("ruleFind"));
    m_find->setPlaceholderText(QStringLiteral("编号或姓"));
    auto* find = button(QStringLiteral("查找"), QStringLiteral("ruleFindButton"), box);
    m_class = new QSpinBox(box);
    m_class->setObjectName(QStringLiteral("ruleClass"));
    m_class->setRange(1, 32767);
    m_class->setPrefix(QStringLiteral("固定在 "));
    m_class->setSuffix(QStringLiteral(" 班"));
    m_note = new QLineEdit(box);
    m_note->setObjectName(QStringLiteral("ruleNote"));
    m_note->setPlaceholderText(QStringLiteral("备注"));
    auto* add = button(QStringLiteral("添加规则"), QStringLiteral("ruleAdd"), box);
    for (QWidget* w : {static_cast<QWidget*>(m_kind), static_cast<QWidget*>(m_find),
                       static_cast<QWidget*>(find), static_cast<QWidget*>(m_class),
                       static_cast<QWidget*>(m_note), static_cast<QWidget*>(add)})
        left->addWidget(w);
    m_found = new QListWidget(box);
    m_found->setObjectName(QStringLiteral("ruleFound"));
    m_found->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_members = new QListWidget(box);
    m_members->setObjectName(QStringLiteral("ruleMembers"));
    auto* take = button(QStringLiteral("加入 →"), QStringLiteral("ruleTake"), box);
    grid->addLayout(left);
    grid->addWidget(m_found, 1);
    grid->addWidget(take);
    grid->addWidget(m_members, 1);
    connect(m_find, &QLineEdit::returnPressed, this, &RulesDialog::findStudents);
    connect(find, &QPushButton::clicked, this, &RulesDialog::findStudents);
    connect(take, &QPushButton::clicked, this, &RulesDialog::takeFound);
    connect(m_found, &QListWidget::itemDoubleClicked, this, &RulesDialog::takeFound);
    connect(add, &QPushButton::clicked, this, &RulesDialog::addRule);
    return box;
}

void RulesDialog::refresh()
{
    QVector<RuleListing> rules;
    reportErrors(m_ctx.prompt, [&] { rules = ListRules(m_ctx); });
    m_table->setRowCount(int(rules.size()));
    for (int r = 0; r < rules.size(); ++r) {
        const PlacementRule& rule = rules.at(r).rule;
        const QStringList cells{QString::number(rule.id), ruleKindName(rule.kind),
                                membersText(rules.at(r)),
                                rule.kind == RuleKind::Fixed     ? QString::number(rule.cls)
                                : rule.kind == RuleKind::Classes ? classListText(rule.classes)
                                                                 : QString(),
                                lineField(rule.note)}; // a line break would show as a second line
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells.at(c));
            item->setData(Qt::UserRole, rule.id);
            m_table->setItem(r, c, item);
        }
    }
}

void RulesDialog::findStudents()
{
    QVector<RuleStudent> found;
    reportErrors(m_ctx.prompt, [&] { found = FindRuleStudents(m_ctx, m_find->text()); });
    m_found->clear();
    for (const RuleStudent& s : found) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 %2（%3班）").arg(s.key, s.name).arg(s.cls), m_found);
        item->setData(Qt::UserRole, s.key);
    }
    if (m_found->count() > 0)
        m_found->setCurrentRow(0);
}

void RulesDialog::takeFound()
{
    for (QListWidgetItem* item : m_found->selectedItems()) {
        const QString key = item->data(Qt::UserRole).toString();
        if (m_members->findItems(item->text(), Qt::MatchExactly).isEmpty()) {
            auto* taken = new QListWidgetItem(item->text(), m_members);
            taken->setData(Qt::UserRole, key);
        }
    }
}

void RulesDialog::addRule()
{
    RuleRequest req;
    req.kind = RuleKind(m_kind->currentData().toInt());
    for (int i = 0; i < m_members->count(); ++i)
        req.members.append(m_members->item(i)->data(Qt::UserRole).toString());
    req.classText = QString::number(m_class->value());
    req.note = m_note->text();
    std::optional<qint64> id;
    reportErrors(m_ctx.prompt, [&] { id = AddRule(m_ctx, req); });
    if (!id)
        return;
    m_members->clear();
    m_note->clear();
    refresh();
}

void RulesDialog::removeRule()
{
    const QTableWidgetItem* item = m_table->item(m_table->currentRow(), 0);
    if (!item)
        return;
    reportErrors(m_ctx.prompt, [&] { RemoveRule(m_ctx, item->data(Qt::UserRole).toLongLong()); });
    refresh();
}

void RulesDialog::checkRules()
{
    RuleCheck check;
    reportErrors(m_ctx.prompt, [&] { check = CheckRules(m_ctx); });
    const QStringList lines = ruleReportLines(check);
    m_check->setText(lines.isEmpty() ? QStringLiteral("没有分班规则。") : lines.join(u'\n'));
}

void RulesDialog::importRules()
{
    const QString path =
        fileChooser().openFile(this, QStringLiteral("导入分班规则"), m_ctx.folder,
                               QStringLiteral("工作簿 (*.xlsx *.xls *.ods *.csv *.htm *.html)"));
    if (path.isEmpty())
        return;
    reportErrors(m_ctx.prompt, [&] { ImportRules(m_ctx, path); });
    refresh();
}

} // namespace quorvel
