#include "chartpanel.h"

#include "classcharts.h"
#include "shell/common/filechooser.h"

#include "adjust/precisereport.h"
#include "core/context.h"
#include "publish/chartpicture.h"
#include "store/fieldlists.h"
#include "store/ownfiles.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace quorvel {

namespace {

QChartView* chartView(const QString& name, const QString& accessible, QWidget* parent)
{
    auto* view = new QChartView(parent);
    view->setObjectName(name);
    view->setAccessibleName(accessible);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(320, 240);
    return view;
}

} // namespace

ChartPanel::ChartPanel(const Context& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("tubiao"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* bar = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("图表成绩列(&C)："), this);
    m_columns = new QComboBox(this);
    m_columns->setObjectName(QStringLiteral("chartColumn"));
    m_columns->setAccessibleName(QStringLiteral("图表的成绩列"));
    label->setBuddy(m_columns);
    m_export = new QPushButton(QStringLiteral("导出PNG(&E)…"), this);
    m_export->setObjectName(QStringLiteral("chartExport"));
    bar->addWidget(label);
    bar->addWidget(m_columns);
    bar->addStretch(1);
    bar->addWidget(m_export);
    column->addLayout(bar);
    auto* charts = new QHBoxLayout;
    m_box = chartView(QStringLiteral("chartBox"), QStringLiteral("各班成绩箱线图"), this);
    m_averages =
        chartView(QStringLiteral("chartAverages"), QStringLiteral("各班平均分与允许差带"), this);
    charts->addWidget(m_box, 1);
    charts->addWidget(m_averages, 1);
    column->addLayout(charts, 1);
    connect(m_columns, &QComboBox::currentTextChanged, this, [this] { refresh(); });
    connect(m_export, &QPushButton::clicked, this, &ChartPanel::exportPng);
}

void ChartPanel::refresh()
{
    reportErrors(m_ctx.prompt, [this] {
        const QStringList columns = chartColumns(m_ctx);
        const QString chosen =
            columns.contains(m_columns->currentText()) ? m_columns->currentText() : totalColumn();
        {
            const QSignalBlocker quiet(m_columns);
            m_columns->clear();
            m_columns->addItems(columns);
            m_columns->setCurrentText(chosen);
        }
        m_data = ReadChartData(m_ctx, chosen, kDefaultTolerance);
    });
    draw();
}

void ChartPanel::draw()
{
    // A view owns its chart; the one it showed before goes with the new one.
    for (QChartView* view : {m_box, m_averages}) {
        QChart* old = view->chart();
        view->setChart(view == m_box ? boxPlotChart(m_data) : averageChart(m_data));
        delete old;
    }
    m_export->setEnabled(!m_data.classes.isEmpty());
}

bool ChartPanel::exportPng()
{
    const QString suggested =
        QDir(m_ctx.folder).absoluteFilePath(QStringLiteral("统计图表-%1.png").arg(m_data.column));
    QString path = fileChooser().saveFile(this, QStringLiteral("导出图表"), suggested,
                                          QStringLiteral("PNG 图片 (*.png)"));
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    bool written = false;
    reportErrors(m_ctx.prompt, [&] {
        RequireOutputPath(m_ctx, path);
        written = writeChartImage(m_data, path, devicePixelRatioF());
        m_ctx.prompt.message(written
                                 ? QStringLiteral("图表已保存到：") + QDir::toNativeSeparators(path)
                                 : chartNotWrittenMessage(path));
    });
    return written;
}

} // namespace quorvel
