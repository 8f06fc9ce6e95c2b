#include "precisedialog.h"

#include "adjust/precise.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quorvel {

PreciseDialog::PreciseDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Fjingque"));
    setWindowTitle(preciseCaption());
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(preciseExplanation(), this);
    note->setObjectName(QStringLiteral("lblshuoming"));
    note->setWordWrap(true);
    layout->addWidget(note);
    m_grid = new QTableWidget(this);
    m_grid->setObjectName(QStringLiteral("jingqueGrid"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    layout->addWidget(m_grid, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("允许差值（平均分）："), this));
    m_tolerance = new QDoubleSpinBox(this);
    m_tolerance->setObjectName(QStringLiteral("txtyuncha"));
    m_tolerance->setDecimals(2);
    m_tolerance->setRange(0, 100);
    m_tolerance->setSingleStep(0.05);
    m_tolerance->setValue(kDefaultTolerance);
    row->addWidget(m_tolerance);
    m_floor = new QLabel(this);
    m_floor->setObjectName(QStringLiteral("lblxiaxian"));
    row->addWidget(m_floor, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_tolerance, &QDoubleSpinBox::valueChanged, this, &PreciseDialog::fill);
    resize(760, 420);
}

void PreciseDialog::showReport(const BalanceReport& report)
{
    m_report = report;
    fill();
}

// The classes, then the row of spreads, coloured by whether each is met.
void PreciseDialog::fill()
{
    const BalanceReport& r = m_report;
    QStringList header{QStringLiteral("班级")};
    for (const ReportColumn& c : r.columns)
        header.append(c.name);
    m_grid->clear();
    m_grid->setColumnCount(int(header.size()));
    m_grid->setRowCount(int(r.classes.size()) + 1);
    m_grid->setHorizontalHeaderLabels(header);
    for (int row = 0; row < r.classes.size(); ++row) {
        m_grid->setItem(row, 0, new QTableWidgetItem(QString::number(r.classes.at(row))));
        for (int c = 0; c < r.columns.size(); ++c) {
            const ReportColumn& col = r.columns.at(c);
            const auto& v = col.values.at(row);
            const QString text = !v ? QString() : col.average ? QString::number(*v, 'f', 2) : QString::number(*v);
            m_grid->setItem(row, c + 1, new QTableWidgetItem(text));
        }
    }
    const int last = int(r.classes.size());
    m_grid->setItem(last, 0, new QTableWidgetItem(QStringLiteral("极差")));
    for (int c = 0; c < r.columns.size(); ++c) {
        const bool met = BalanceReport::met(r.columns.at(c), m_tolerance->value());
        auto* item = new QTableWidgetItem(spreadText(r.columns.at(c).spread) +
                                          (met ? QStringLiteral(" 达标") : QStringLiteral(" 未达标")));
        item->setForeground(met ? QColor(20, 120, 40) : QColor(190, 30, 30));
        m_grid->setItem(last, c + 1, item);
    }
    m_grid->resizeColumnsToContents();
    m_floor->setText(QStringLiteral("总分平均分最小可能差值：") + spreadText(r.floor));
}

} // namespace quorvel
