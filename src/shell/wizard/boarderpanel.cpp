#include "boarderpanel.h"

#include "shell/common/qtprompt.h"

#include "division/boarders.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvel {

BoarderPanel::BoarderPanel(const Context& ctx, QWidget* parent)
    : SchemePanel(QStringLiteral("frm15"), QStringLiteral("住宿生单分"), parent), m_ctx(ctx)
{
    addLabel(QStringLiteral("Label34"), QStringLiteral("①输入住宿生班数"), 0, 0);
    m_boarders = addBox(QStringLiteral("Text10"), 0, 1);
    auto* first = addButton(QStringLiteral("FlatBttn27"), QStringLiteral("确定"), 0, 2);
    addLabel(QStringLiteral("Label8"), QStringLiteral("②输入非住宿生班数"), 1, 0);
    m_day = addBox(QStringLiteral("Text9"), 1, 1);
    auto* second = addButton(QStringLiteral("Fbtn24"), QStringLiteral("确定"), 1, 2);
    m_counts = addLabel(QStringLiteral("labcounts"), QString(), 2, 0, 2);
    auto* back = addButton(QStringLiteral("Command9"), QStringLiteral("返回"), 2, 2);
    connect(first, &QPushButton::clicked, this, &BoarderPanel::divideBoarders);
    connect(second, &QPushButton::clicked, this, &BoarderPanel::divideBoth);
    connect(back, &QPushButton::clicked, this, &BoarderPanel::goBack);
}

void BoarderPanel::open()
{
    std::optional<BoardingCounts> counts;
    reportErrors(m_ctx.prompt, [&] { counts = CountBoarding(m_ctx); });
    m_counts->setText(counts ? boardingCountsText(*counts) : QString());
    showPanel();
    m_boarders->setFocus();
}

bool BoarderPanel::divide(const std::optional<QString>& dayClasses)
{
    bool divided = false;
    const BusyCursor busy;
    reportErrors(m_ctx.prompt, [&] {
        const auto request = boarderRequest(m_ctx, m_boarders->text(), dayClasses);
        divided = request && BoarderDivide(m_ctx, *request).divided;
    });
    return divided;
}

void BoarderPanel::divideBoarders()
{
    if (divide(std::nullopt))
        emit divided();
}

void BoarderPanel::divideBoth()
{
    if (!divide(m_day->text()))
        return;
    emit divided();
    emit statisticsWanted();
    hide();
}

void BoarderPanel::goBack()
{
    hide();
}

} // namespace quorvel
