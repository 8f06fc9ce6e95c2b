#include "form1.h"

#include "aboutbox.h"
#include "movepanel.h"
#include "navpanel.h"
#include "shell/board/boardwindow.h"
#include "shell/common/artwork.h"
#include "shell/intake/createpanel.h"
#include "shell/results/chartpanel.h"
#include "shell/results/ftiao.h"
#include "shell/results/resultspanel.h"
#include "shell/results/rowsetgrid.h"
#include "shell/results/transferstrip.h"
#include "shell/wizard/boarderpanel.h"
#include "shell/wizard/fastslowpanel.h"
#include "shell/wizard/form2.h"
#include "shell/wizard/form3.h"
#include "shell/wizard/form4.h"
#include "shell/wizard/form7.h"
#include "shell/wizard/subjectpanel.h"

#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

namespace quorvel {

namespace {

// The form sizes are counted in twips; 15 twips are one pixel at 96 dots per inch.
constexpr int px(int twips)
{
    return twips / 15;
}

constexpr int BannerHeight = 84;
constexpr int NavWidth = 168;
constexpr int PanelMargin = 12;

QLabel* bannerLabel(const QString& text, int pointSize, bool bold, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    label->setFont(f);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    return label;
}

// The work area and the strip of the progress bar under it share one colour.
QPalette workPalette(QPalette pal)
{
    pal.setColor(QPalette::Window, QColor(246, 248, 252));
    return pal;
}

} // namespace

Form1::Form1(const Context& ctx, QWidget* parent) : QMainWindow(parent), m_ctx(ctx)
{
    setAcceptDrops(true); // a workbook dropped on the window is imported
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(caption());
    setWindowIcon(programIcon());
    buildHistory();
    addHelpMenu(this);
    m_ctx.state.UseConditions = true;

    auto* central = new QWidget(this);
    central->setAutoFillBackground(true);
    central->setPalette(workPalette(central->palette()));
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(buildBanner(), 0, 0, 1, 2);
    m_nav = new NavPanel(central);
    m_nav->setFixedWidth(NavWidth);
    grid->addWidget(m_nav, 1, 0, 2, 1);
    grid->addWidget(buildWorkArea(), 1, 1);

    grid->addWidget(buildProgressBar(), 2, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    setCentralWidget(central);

    buildStatusBar();
    buildWizard();
    buildManualAdjustment();
    for (QWidget* panel : {static_cast<QWidget*>(m_subject), static_cast<QWidget*>(m_fastSlow),
                           static_cast<QWidget*>(m_boarder), static_cast<QWidget*>(m_create)})
        MovePanel(panel);
    connectItems();
    connectHeaders();
    // The menu bar comes on top of the sizes the work area was laid out for.
    const int menuHeight = menuBar()->sizeHint().height();
    setMinimumSize(860, 640 + menuHeight);
    resize(startSize());
}

Form1::~Form1() = default;

// 1100×760 and the menu bar, or less where the screen's free area is smaller
// (a high scale factor on a small screen), never below the minimum.
QSize Form1::startSize() const
{
    QSize size(1100, 760 + menuBar()->sizeHint().height());
    if (const QScreen* s = screen()) {
        const QSize room = s->availableGeometry().size() - QSize(16, 48); // frame and title bar
        size = size.boundedTo(room).expandedTo(minimumSize());
    }
    return size;
}

QWidget* Form1::buildBanner()
{
    m_banner = new QLabel(this);
    m_banner->setObjectName(QStringLiteral("Image1"));
    m_banner->setFixedHeight(BannerHeight);
    m_banner->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_banner->setPixmap(bannerPixmap(QSize(1100, BannerHeight)));
    m_banner->installEventFilter(this);

    auto* row = new QHBoxLayout(m_banner);
    row->setContentsMargins(22, 6, 22, 8);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(bannerLabel(QStringLiteral("Quorvel"), 26, true, m_banner));
    texts->addWidget(bannerLabel(
        QStringLiteral("最精确的分班软件,分班后各班总分平均分差小于0.3分."), 12, false, m_banner));
    row->addLayout(texts);
    row->addStretch(1);

    m_web = new LinkLabel(webAddress(), m_banner);
    m_web->setObjectName(QStringLiteral("lblweb"));
    m_web->setStyleSheet(QStringLiteral("color: rgb(200, 236, 255); background: transparent;"));
    row->addWidget(m_web, 0, Qt::AlignRight | Qt::AlignBottom);
    connect(m_web, &LinkLabel::clicked, this, &Form1::openWebSite);
    return m_banner;
}

// The bar keeps its place while hidden, so the work area does not move
// when an operation shows it.
QWidget* Form1::buildProgressBar()
{
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("gbar2"));
    QSizePolicy keep = m_bar->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_bar->setSizePolicy(keep);
    m_bar->setFixedHeight(18);
    m_bar->hide();
    return m_bar;
}

void Form1::MovePanel(QWidget* panel)
{
    m_mover->attach(panel);
}

QWidget* Form1::buildWorkArea()
{
    m_work = new QWidget(this);
    m_work->setObjectName(QStringLiteral("Picture1"));
    m_work->setAutoFillBackground(true);
    m_work->setPalette(workPalette(m_work->palette()));
    m_work->installEventFilter(this);
    m_mover = new PanelMover(this);

    m_grid = new QTableView(m_work);
    m_grid->setObjectName(QStringLiteral("Mgd1"));
    // The store's order until the user clicks a column header.
    m_grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_grid->setSortingEnabled(true);
    m_grid->hide();

    m_results = new ResultsPanel(m_work);
    m_results->hide();
    m_resultsGrid = m_results->grid();
    m_results->attachStrip(new TransferStrip(m_ctx, m_resultsGrid, m_results));
    m_results->attachCharts(new ChartPanel(m_ctx, m_results));
    connect(m_results, &ResultsPanel::statisticsClicked, this, &Form1::showStatisticsTable);
    connect(m_results, &ResultsPanel::workbookClicked, this, &Form1::openStatisticsWorkbook);
    m_fastSlow = new FastSlowPanel(m_ctx, FastSlowOffset, m_work);
    connect(m_fastSlow, &FastSlowPanel::finished, this, &Form1::refreshStudents);
    m_boarder = new BoarderPanel(m_ctx, m_work);
    connect(m_boarder, &BoarderPanel::divided, this, &Form1::refreshStudents);
    connect(m_boarder, &BoarderPanel::statisticsWanted, this, &Form1::runStatistics);
    // These two panels take the height their controls need.
    for (SchemePanel* panel : std::initializer_list<SchemePanel*>{m_fastSlow, m_boarder})
        panel->setGeometry(PanelMargin, PanelMargin, 480, panel->sizeHint().height());
    m_subject = new SubjectPanel(m_ctx, m_work);
    m_subject->setGeometry(PanelMargin, PanelMargin, 480, m_subject->sizeHint().height());
    m_subject->hide();

    m_create = new CreatePanel(m_ctx, m_work);
    // The grid must not keep a connection to the file the creation replaced.
    connect(m_create, &CreatePanel::databaseCreated, m_resultsGrid, &RowSetGrid::detach);
    m_create->hide();
    m_create->move(PanelMargin, PanelMargin);
    m_create->resize(m_create->sizeHint());
    return m_work;
}

void Form1::buildStatusBar()
{
    auto* folder =
        new QLabel(QStringLiteral("数据文件夹：") + QDir::toNativeSeparators(m_ctx.folder));
    folder->setObjectName(QStringLiteral("lblfolder"));
    folder->setStyleSheet(QStringLiteral("color: rgb(110, 118, 130);"));
    QFont f = folder->font();
    f.setPointSizeF(f.pointSizeF() * 0.9);
    folder->setFont(f);
    statusBar()->addWidget(folder, 1);
    // The workbook written last, beside the folder.
    m_saved = new QLabel(this);
    m_saved->setObjectName(QStringLiteral("lblsaved"));
    m_saved->setFont(f);
    m_saved->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addPermanentWidget(m_saved);
    m_rulesState = new QLabel(this);
    m_rulesState->setObjectName(QStringLiteral("lblrules"));
    m_rulesState->setFont(f);
    statusBar()->addPermanentWidget(m_rulesState);
    statusBar()->setSizeGripEnabled(true);
}

// The grids fill the work area; the results panel lays out its grid and the
// strip under it itself. The movable panels keep the place the user gave
// them.
void Form1::layoutWorkArea()
{
    const int w = m_work->width();
    const int h = m_work->height();
    m_grid->setGeometry(0, 0, w - px(50), h - px(50));
    m_results->setGeometry(0, 0, w - px(50), h);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == m_work)
            layoutWorkArea();
        else if (watched == m_banner)
            m_banner->setPixmap(bannerPixmap(m_banner->size()));
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Everything is in the store already: nothing to save, nothing to ask.
    event->accept();
    emit closed();
}

} // namespace quorvel
