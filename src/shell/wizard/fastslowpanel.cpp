#include "fastslowpanel.h"

#include "shell/common/qtprompt.h"

#include "division/fastslow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvel {

namespace {

QString unplacedCaption()
{
    return QStringLiteral("未分学生数");
}

} // namespace

FastSlowPanel::FastSlowPanel(const Context& ctx, qint16& FastSlowOffset, QWidget* parent)
    : SchemePanel(QStringLiteral("Frame13"), QStringLiteral("多次分班、分快慢班"), parent),
      m_ctx(ctx), m_offset(FastSlowOffset)
{
    addLabel(QStringLiteral("Label13"), QStringLiteral("输入要分的人数"), 0, 0);
    m_students = addBox(QStringLiteral("Text12"), 0, 1);
    addLabel(QStringLiteral("Label12"), QStringLiteral("输入要分的班数"), 1, 0);
    m_classes = addBox(QStringLiteral("Text13"), 1, 1);
    m_unplaced = addLabel(QStringLiteral("labweifen"), unplacedCaption(), 2, 0, 2);
    m_divide = addButton(QStringLiteral("FlatBttn17"), QStringLiteral("分班"), 3, 0);
    auto* back = addButton(QStringLiteral("FlatBttn11"), QStringLiteral("返回"), 3, 1);
    addNote(QStringLiteral("Label7"),
            QStringLiteral("说明：先分的为快班，后分的为慢班，可多次分班。"));
    connect(m_divide, &QPushButton::clicked, this, &FastSlowPanel::divideOneRun);
    connect(back, &QPushButton::clicked, this, &FastSlowPanel::goBack);
}

QString FastSlowPanel::newSeriesQuestion(qint16 lastClass)
{
    return QStringLiteral("前面已经分出第1至%1班。是否重新开始，从第1班分起？"
                          "（选“否”则接着分第%2班以后的班）")
        .arg(lastClass)
        .arg(lastClass + 1);
}

void FastSlowPanel::open()
{
    if (m_offset > 0 && m_ctx.prompt.question(newSeriesQuestion(m_offset), noticeTitle())) {
        m_offset = 0;
        m_divide->setEnabled(true);
    }
    int remaining = 0;
    reportErrors(m_ctx.prompt, [&] { remaining = StudentsToDivide(m_ctx, m_offset); });
    m_unplaced->setText(QStringLiteral("有%1人未分班").arg(remaining));
    showPanel();
    m_students->setFocus();
}

void FastSlowPanel::showRemaining(int remaining)
{
    m_unplaced->setText(QStringLiteral("有%1人未分班").arg(remaining));
    m_students->setText(QString::number(remaining));
    if (remaining < 1)
        m_divide->setEnabled(false);
}

void FastSlowPanel::divideOneRun()
{
    FastSlowResult result;
    {
        const BusyCursor busy;
        FastSlowOptions options;
        options.onDealt = [this](int remaining) { showRemaining(remaining); };
        reportErrors(m_ctx.prompt, [&] {
            const auto request =
                fastSlowRequest(m_ctx, m_offset, m_students->text(), m_classes->text());
            if (request)
                result = FastSlowRun(m_ctx, *request, options);
        });
        if (result.divided)
            m_offset = result.lastClass;
    }
    if (result.divided && result.remaining == 0)
        emit finished();
}

void FastSlowPanel::goBack()
{
    hide();
}

} // namespace quorvel
