#include "resultspanel.h"

#include "chartpanel.h"
#include "transferstrip.h"

#include "rowsetgrid.h"

#include "stats/display.h"

#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvel {

namespace {

// The strip under the grid holds the search and transfer controls: 1000
// twips at 96 dots per inch.
constexpr int StripHeight = 1000 / 15;
constexpr int SideWidth = 132;

const char* panelStyle()
{
    return "#Frmchengji { background-color: rgb(250, 252, 255);"
           "  border: 1px solid rgb(150, 170, 210); }"
           "#Frame2 { border-top: 1px solid rgb(185, 200, 225); }"
           "#Frame3 { background-color: rgb(240, 245, 252);"
           "  border-left: 1px solid rgb(185, 200, 225); }";
}

} // namespace

ResultsPanel::ResultsPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Frmchengji"));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QString::fromLatin1(panelStyle()));
    m_grid = new RowSetGrid(this);
    m_side = buildSideColumn();
    m_side->hide();
}

QFrame* ResultsPanel::buildSideColumn()
{
    auto* side = new QFrame(this);
    side->setObjectName(QStringLiteral("Frame3"));
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(8);
    m_stats = new QPushButton(QStringLiteral("信息统计"), side);
    m_stats->setObjectName(QStringLiteral("FlatBttn34"));
    m_book = new QPushButton(QStringLiteral("Command4"), side);
    m_book->setObjectName(QStringLiteral("FlatBttn35"));
    for (QPushButton* button : {m_stats, m_book}) {
        button->hide();
        column->addWidget(button);
    }
    column->addStretch(1);
    connect(m_stats, &QPushButton::clicked, this, &ResultsPanel::statisticsClicked);
    connect(m_book, &QPushButton::clicked, this, &ResultsPanel::workbookClicked);
    return side;
}

void ResultsPanel::showForStatistics()
{
    m_stats->show();
    m_book->show();
    raise();
    show();
}

void ResultsPanel::showStatistics(const Context& ctx, const StatsDisplayResult& display)
{
    if (!display.view) {
        m_grid->detach();
        return;
    }
    m_grid->bindTable(ctx, resultTable());
    m_grid->rowSetModel()->showTwoDecimals();
    m_showsStatistics = true;
    connect(m_grid->rowSetModel(), &QObject::destroyed, this,
            [this] { m_showsStatistics = false; });
    m_book->setEnabled(true);
    if (m_charts) {
        m_charts->refresh();
        m_charts->show();
        // Whatever the grid shows next, the charts of these statistics go.
        connect(m_grid->rowSetModel(), &QObject::destroyed, this,
                [this, charts = QPointer<ChartPanel>(m_charts)] {
                    if (charts)
                        charts->hide();
                    layoutPanel();
                });
        layoutPanel();
    }
}

// The grid, a child, goes after this panel: the model it lets go must not
// call back into a panel already half taken down.
ResultsPanel::~ResultsPanel()
{
    if (const QObject* model = m_grid->rowSetModel())
        disconnect(model, nullptr, this, nullptr);
}

void ResultsPanel::attachCharts(ChartPanel* charts)
{
    m_charts = charts;
    m_charts->hide();
    layoutPanel();
}

void ResultsPanel::attachStrip(QFrame* strip)
{
    m_strip = strip;
    layoutPanel();
}

void ResultsPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    layoutPanel();
}

// The height that shows the header and every row of the grid, with the
// horizontal scroll bar when the columns are wider than the grid.
int ResultsPanel::statisticsHeight() const
{
    const QAbstractItemModel* model = m_grid->model();
    int rows = 0;
    for (int r = 0; model && r < model->rowCount(); ++r)
        rows += m_grid->rowHeight(r);
    const int frame = 2 * m_grid->frameWidth();
    return m_grid->horizontalHeader()->height() + rows + frame +
           m_grid->horizontalScrollBar()->sizeHint().height();
}

// The grid takes the panel but for the strip under it and, when the side
// column is shown, the column on the right.
void ResultsPanel::layoutPanel()
{
    const int side = m_side->isHidden() ? 0 : SideWidth;
    int stripHeight = StripHeight;
    // A narrow panel puts the transfer under the search.
    if (auto* strip = qobject_cast<TransferStrip*>(m_strip)) {
        const bool compact = width() < strip->wideWidth();
        strip->setCompact(compact);
        stripHeight = std::max(StripHeight, strip->heightFor(compact));
    }
    int gridHeight = qMax(0, height() - stripHeight);
    if (m_charts && !m_charts->isHidden()) {
        // The statistics take what their classes need, at least a third and
        // at most three fifths (a scroll bar beyond), the charts the rest.
        const int need = statisticsHeight();
        const int charts = gridHeight - std::clamp(need, gridHeight / 3, gridHeight * 3 / 5);
        gridHeight -= charts;
        m_charts->setGeometry(0, gridHeight, qMax(0, width() - side), charts);
    }
    m_grid->setGeometry(0, 0, qMax(0, width() - side), gridHeight);
    m_side->setGeometry(width() - SideWidth, 0, SideWidth, gridHeight);
    if (m_strip)
        m_strip->setGeometry(0, qMax(0, height() - stripHeight), width(), stripHeight);
}

} // namespace quorvel
