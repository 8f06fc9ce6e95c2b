#include "publicdisplay.h"

#include "core/context.h"
#include "publish/publicsheet.h"
#include "shell/common/qtprompt.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quorvel {

namespace {

constexpr int stepMs = 1500;

QFont displayFont(int pixels, bool bold, bool fixed = false)
{
    QFont f;
    if (fixed)
        f.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono CJK SC"),
                       QStringLiteral("monospace")});
    else
        f.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                       QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QLabel* label(const QString& name, const QString& text, const QFont& font, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(font);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

// A digest in two lines of eight groups of four digits.
QString twoLines(const QString& hex)
{
    return groupedByFour(hex.left(32)) + u'\n' + groupedByFour(hex.mid(32));
}

QString classLine(const PublicClass& c)
{
    return QStringLiteral("%1班　%2人（男%3，女%4）　总分平均分%5　班主任：%6")
        .arg(c.cls)
        .arg(c.students)
        .arg(c.boys)
        .arg(c.girls)
        .arg(c.averageTotal ? QString::number(*c.averageTotal, 'f', 2) : QStringLiteral("—"),
             c.teacher.isEmpty() ? QStringLiteral("—") : c.teacher);
}

} // namespace

PublicDisplay::PublicDisplay(const Context& ctx, const QString& fingerprint,
                             const QStringList& parties, QWidget* parent)
    : QWidget(parent, Qt::Window), m_ctx(ctx),
      m_run(new QPushButton(QStringLiteral("开始分班"), this)), m_seed(nullptr),
      m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("publicDisplay"));
    setWindowTitle(QStringLiteral("阳光分班"));
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(QStringLiteral("#publicDisplay { background-color: rgb(120, 16, 24); }"
                                 "QLabel { color: white; }"
                                 "QLabel#publicDisplayTitle, QLabel#publicDisplayFingerprint"
                                 " { color: rgb(255, 215, 120); }"
                                 "QLineEdit { background: white; color: black; }"));
    setAutoFillBackground(true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(40, 24, 40, 24);
    column->addWidget(label(QStringLiteral("publicDisplayTitle"),
                            QStringLiteral("阳光分班　现场分班"), displayFont(44, true), this));
    column->addWidget(label(QStringLiteral("publicDisplayFingerprintCaption"),
                            QStringLiteral("封存的名单指纹（请与封存公告核对）"),
                            displayFont(22, false), this));
    column->addWidget(label(QStringLiteral("publicDisplayFingerprint"), twoLines(fingerprint),
                            displayFont(40, true, true), this));

    auto* partsGrid = new QGridLayout;
    for (int k = 0; k < parties.size(); ++k) {
        partsGrid->addWidget(label({}, parties.at(k) + QStringLiteral("给出的数或词："),
                                   displayFont(26, false), this),
                             k, 0, Qt::AlignRight);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("publicPart%1").arg(k + 1));
        edit->setFont(displayFont(26, true));
        edit->setMinimumWidth(360);
        partsGrid->addWidget(edit, k, 1, Qt::AlignLeft);
        m_parts.append(edit);
    }
    column->addLayout(partsGrid);
    m_run->setObjectName(QStringLiteral("publicDisplayRun"));
    m_run->setFont(displayFont(26, true));
    connect(m_run, &QPushButton::clicked, this, &PublicDisplay::run);
    column->addWidget(m_run, 0, Qt::AlignHCenter);
    m_seed = label(QStringLiteral("publicDisplaySeed"), {}, displayFont(20, false, true), this);
    column->addWidget(m_seed);
    auto* lines = new QGridLayout;
    lines->setObjectName(QStringLiteral("publicDisplayLines"));
    column->addLayout(lines, 1);
    m_timer->setInterval(stepMs);
    connect(m_timer, &QTimer::timeout, this, &PublicDisplay::next);
}

bool PublicDisplay::run()
{
    QStringList parts;
    for (QLineEdit* e : m_parts)
        parts.append(e->text());
    std::optional<PublicRunOutcome> o;
    {
        const BusyCursor busy;
        reportErrors(m_ctx.prompt, [&] { o = PublicRun(m_ctx, parts); });
    }
    if (!o)
        return false;
    for (QLineEdit* e : m_parts)
        e->setReadOnly(true);
    m_run->hide();
    m_seed->setText(QStringLiteral("种子\n%1\n分班结果摘要\n%2")
                        .arg(twoLines(o->seed), twoLines(o->resultDigest)));
    auto* grid = findChild<QGridLayout*>(QStringLiteral("publicDisplayLines"));
    const int n = int(o->classes.size());
    const int rows = n > 10 ? (n + 1) / 2 : n;
    const int pixels = std::clamp(360 / std::max(1, rows), 14, 30);
    for (int k = 0; k < n; ++k) {
        QLabel* l = label(QStringLiteral("publicDisplayClass%1").arg(k + 1),
                          classLine(o->classes.at(k)), displayFont(pixels, true), this);
        l->setVisible(false);
        grid->addWidget(l, k % rows, k / rows);
        m_lines.append(l);
    }
    QLabel* spread = label(QStringLiteral("publicDisplaySpread"),
                           QStringLiteral("各班总分平均分之差：%1").arg(o->spread, 0, 'f', 2),
                           displayFont(pixels, false), this);
    spread->setVisible(false);
    grid->addWidget(spread, rows, 0, 1, n > 10 ? 2 : 1);
    m_lines.append(spread);
    m_timer->start();
    setFocus();
    emit ran(*o);
    return true;
}

void PublicDisplay::next()
{
    if (m_shown < m_lines.size())
        m_lines.at(m_shown++)->setVisible(true);
    if (m_shown >= m_lines.size())
        m_timer->stop();
}

void PublicDisplay::showAll()
{
    while (m_shown < m_lines.size())
        next();
}

void PublicDisplay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else if (!m_lines.isEmpty())
        next();
    else
        QWidget::keyPressEvent(event);
}

void PublicDisplay::mousePressEvent(QMouseEvent*)
{
    next();
}

} // namespace quorvel
