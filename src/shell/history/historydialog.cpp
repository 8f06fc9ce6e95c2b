#include "historydialog.h"

#include "history/history.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace quorvel {

namespace {

QTableWidget* table(const QStringList& headers, QWidget* parent)
{
    auto* t = new QTableWidget(0, int(headers.size()), parent);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void setRow(QTableWidget* t, int row, const QStringList& cells)
{
    for (int c = 0; c < cells.size(); ++c)
        t->setItem(row, c, new QTableWidgetItem(cells.at(c)));
}

QString classText(const std::optional<int>& cls)
{
    return cls ? QString::number(*cls) : QStringLiteral("（不在学生表中）");
}

QString versionCaption(std::optional<qint64> id)
{
    return id ? QStringLiteral("第%1版班级").arg(*id) : QStringLiteral("当前班级");
}

} // namespace

HistoryDialog::HistoryDialog(const Context& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("historyDialog"));
    setWindowTitle(QStringLiteral("历史版本"));
    setModal(false);
    m_table = table({QStringLiteral("编号"), QStringLiteral("时间"), QStringLiteral("操作"),
                     QStringLiteral("调动人数"), QStringLiteral("总分平均分差")},
                    this);
    m_table->setObjectName(QStringLiteral("versionTable"));
    m_compare = new QPushButton(QStringLiteral("比较"), this);
    m_compare->setObjectName(QStringLiteral("compareButton"));
    m_compare->setToolTip(QStringLiteral("选一个版本与当前班级比较，或选两个版本互相比较"));
    m_restore = new QPushButton(QStringLiteral("恢复"), this);
    m_restore->setObjectName(QStringLiteral("restoreButton"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    connect(m_compare, &QPushButton::clicked, this, &HistoryDialog::compareChosen);
    connect(m_restore, &QPushButton::clicked, this, &HistoryDialog::restoreChosen);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_compare, m_restore, close})
        buttons->addWidget(b);
    m_outside = new QLabel(this);
    m_outside->setObjectName(QStringLiteral("outsideChanges"));
    m_outside->setWordWrap(true);
    m_outside->setStyleSheet(QStringLiteral("color:#a00"));
    m_outside->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(m_outside);
    layout->addLayout(buttons);
    resize(760, 480);
}

void HistoryDialog::showDialog()
{
    reload();
    show();
    raise();
    activateWindow();
}

// The versions again, the same versions chosen as before (by id: the rows
// move when a version is added above them).
void HistoryDialog::reload()
{
    const QVector<qint64> chosen = chosenIds();
    QVector<VersionInfo> versions;
    QVector<ClassDifference> outside;
    reportErrors(m_ctx.prompt, [&] {
        versions = VersionList(m_ctx);
        outside = ChangesOutsideProgram(m_ctx);
    });
    std::reverse(versions.begin(), versions.end());
    m_table->clearSelection();
    m_table->setRowCount(int(versions.size()));
    for (int r = 0; r < versions.size(); ++r) {
        const VersionInfo& v = versions.at(r);
        setRow(m_table, r,
               {QString::number(v.id), v.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                v.description(), QString::number(v.moved),
                v.spread ? QString::number(*v.spread, 'f', 2) : QString()});
        if (chosen.contains(v.id)) {
            m_table->selectionModel()->select(m_table->model()->index(r, 0),
                                              QItemSelectionModel::Select |
                                                  QItemSelectionModel::Rows);
            m_table->setCurrentCell(r, 0, QItemSelectionModel::NoUpdate);
        }
    }
    m_table->resizeColumnsToContents();
    showOutside(outside);
}

void HistoryDialog::showOutside(const QVector<ClassDifference>& outside)
{
    m_outside->setText(QStringLiteral("不是本程序做的改动（%1人）：").arg(outside.size()) +
                       classChangesText(outside, QStringLiteral("、")));
    m_outside->setVisible(!outside.isEmpty());
}

// The ids of the chosen rows, oldest first.
QVector<qint64> HistoryDialog::chosenIds() const
{
    QVector<qint64> ids;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        ids.append(m_table->item(index.row(), 0)->text().toLongLong());
    std::sort(ids.begin(), ids.end());
    return ids;
}

void HistoryDialog::compareChosen()
{
    const QVector<qint64> ids = chosenIds();
    if (ids.isEmpty() || ids.size() > 2) {
        m_ctx.prompt.message(QStringLiteral("请选择一个版本（与当前班级比较）或两个版本。"),
                             noticeTitle());
        return;
    }
    showComparison(ids.first(), ids.size() == 2 ? std::optional(ids.last()) : std::nullopt);
}

void HistoryDialog::showComparison(qint64 first, std::optional<qint64> second)
{
    std::optional<QVector<ClassDifference>> rows;
    reportErrors(m_ctx.prompt, [&] { rows = CompareVersions(m_ctx, first, second); });
    if (!rows)
        return;
    delete m_comparison;
    m_comparison = new QDialog(this);
    m_comparison->setObjectName(QStringLiteral("comparisonDialog"));
    m_comparison->setWindowTitle(
        QStringLiteral("比较第%1版与%2").arg(first).arg(versionCaption(second)));
    QTableWidget* t = table({QStringLiteral("编号"), QStringLiteral("姓名"), versionCaption(first),
                             versionCaption(second)},
                            m_comparison);
    t->setRowCount(int(rows->size()));
    for (int r = 0; r < rows->size(); ++r) {
        const ClassDifference& d = rows->at(r);
        setRow(t, r, {d.key, d.name, classText(d.first), classText(d.second)});
    }
    auto* count = new QLabel(QStringLiteral("共%1人").arg(rows->size()), m_comparison);
    count->setObjectName(QStringLiteral("differenceCount"));
    auto* layout = new QVBoxLayout(m_comparison);
    layout->addWidget(t);
    layout->addWidget(count);
    m_comparison->resize(560, 420);
    m_comparison->show();
}

void HistoryDialog::restoreChosen()
{
    const QVector<qint64> ids = chosenIds();
    if (ids.size() != 1) {
        m_ctx.prompt.message(QStringLiteral("请选择要恢复的一个版本。"), noticeTitle());
        return;
    }
    emit aboutToRestore();
    bool done = false;
    reportErrors(m_ctx.prompt, [&] { done = RestoreVersion(m_ctx, ids.first()).restored; });
    if (!done)
        return;
    reload();
    emit restored();
}

} // namespace quorvel
