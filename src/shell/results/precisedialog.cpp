#include "precisedialog.h"

#include "adjust/precise.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

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
    layout->setSpacing(0);
    layout->addWidget(buildSpreadRow());
    layout->addSpacing(8);
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

// The row of spreads stays under the classes however many there are: a
// table of its own, without headers, whose columns follow the grid's.
QTableWidget* PreciseDialog::buildSpreadRow()
{
    m_spreads = new QTableWidget(1, 0, this);
    m_spreads->setObjectName(QStringLiteral("jingqueSpread"));
    m_spreads->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_spreads->verticalHeader()->hide();
    m_spreads->horizontalHeader()->hide();
    m_spreads->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_spreads->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_spreads->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged,
            m_spreads->horizontalScrollBar(), &QScrollBar::setValue);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { m_spreads->setColumnWidth(column, width); });
    return m_spreads;
}

void PreciseDialog::showReport(const BalanceReport& report)
{
    m_report = report;
    fill();
}

// Each spread with its mark: green when met, red when not, grey for a
// column the balancing keeps or leaves alone.
void PreciseDialog::fillSpreads()
{
    const BalanceReport& r = m_report;
    m_spreads->clear();
    m_spreads->setColumnCount(int(r.columns.size()) + 1);
    m_spreads->setItem(0, 0, new QTableWidgetItem(QStringLiteral("极差")));
    for (int c = 0; c < r.columns.size(); ++c) {
        const ReportColumn& col = r.columns.at(c);
        auto* item = new QTableWidgetItem(spreadText(col.spread) + u' ' +
                                          BalanceReport::mark(col, m_tolerance->value()));
        const bool met = BalanceReport::met(col, m_tolerance->value());
        item->setForeground(col.role != ReportRole::Target ? QColor(110, 118, 130)
                            : met                          ? QColor(20, 120, 40)
                                                           : QColor(190, 30, 30));
        m_spreads->setItem(0, c + 1, item);
    }
}

// The classes, then the row of spreads.
void PreciseDialog::fill()
{
    const BalanceReport& r = m_report;
    QStringList header{QStringLiteral("班级")};
    for (const ReportColumn& c : r.columns)
        header.append(c.name);
    m_grid->clear();
    m_grid->setColumnCount(int(header.size()));
    m_grid->setRowCount(int(r.classes.size()));
    m_grid->setHorizontalHeaderLabels(header);
    for (int row = 0; row < r.classes.size(); ++row) {
        m_grid->setItem(row, 0, new QTableWidgetItem(QString::number(r.classes.at(row))));
        for (int c = 0; c < r.columns.size(); ++c) {
            const ReportColumn& col = r.columns.at(c);
            const auto& v = col.values.at(row);
            const QString text = !v            ? QString()
                                 : col.average ? QString::number(*v, 'f', 2)
                                               : QString::number(*v);
            m_grid->setItem(row, c + 1, new QTableWidgetItem(text));
        }
    }
    fillSpreads();
    m_spreads->resizeColumnsToContents();
    QVector<int> spreadWidths;
    for (int c = 0; c < m_spreads->columnCount(); ++c)
        spreadWidths.append(m_spreads->columnWidth(c));
    m_grid->resizeColumnsToContents();
    for (int c = 0; c < m_grid->columnCount(); ++c) {
        const int width = std::max(m_grid->columnWidth(c), spreadWidths.value(c));
        m_grid->setColumnWidth(c, width);
        m_spreads->setColumnWidth(c, width);
    }
    m_spreads->setFixedHeight(m_spreads->rowHeight(0) + 2 * m_spreads->frameWidth());
    QString floor = QStringLiteral("总分平均分最小可能差值：%1；标准差允许差值：%2")
                        .arg(spreadText(r.floor), QString::number(kDefaultDeviationTolerance));
    if (!r.rules.isEmpty()) // what the check of the placement rules says
        floor += u'\n' + r.rules.join(u'\n');
    m_floor->setText(floor);
}

} // namespace quorvel
