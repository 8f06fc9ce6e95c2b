#include "publicdialog.h"

#include "publicdisplay.h"

#include "adjust/schemeregistry.h"
#include "core/context.h"
#include "core/errors.h"
#include "public/package.h"
#include "public/run.h"
#include "public/seal.h"
#include "public/stage.h"
#include "publish/publicsheet.h"
#include "shell/common/qtprompt.h"
#include "store/fieldlists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace quorvel {

namespace {

// The schemes a public plan can take, in the order of the registry.
QVector<const Scheme*> planSchemes()
{
    static const QStringList names = {QStringLiteral("custom"),   QStringLiteral("subject"),
                                      QStringLiteral("grade"),    QStringLiteral("balance"),
                                      QStringLiteral("fastslow"), QStringLiteral("boarders")};
    QVector<const Scheme*> out;
    for (const Scheme* s : schemeRegistry())
        if (names.contains(s->name))
            out.append(s);
    return out;
}

QString fullPath(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QSpinBox* spin(const QString& name, int low, int high, int value, QWidget* parent)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(low, high);
    s->setValue(value);
    return s;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QLabel* note(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}

QStringList lines(const QPlainTextEdit* edit)
{
    QStringList out;
    for (const QString& line : edit->toPlainText().split(u'\n'))
        if (!line.trimmed().isEmpty())
            out.append(line.trimmed());
    return out;
}

} // namespace

PublicDialog::PublicDialog(const Context& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_steps(new QListWidget(this)),
      m_pages(new QStackedWidget(this)), m_log(new QPlainTextEdit(this)), m_state(new QLabel(this))
{
    setObjectName(QStringLiteral("publicDialog"));
    setWindowTitle(QStringLiteral("阳光分班"));
    try {
        m_compulsory = ReadSchoolStage(ctx) == SchoolStage::Compulsory;
    } catch (const OperationError&) {
        m_compulsory = false; // no database yet: each step says why it cannot go on
    }
    m_steps->setObjectName(QStringLiteral("publicSteps"));
    m_pages->setObjectName(QStringLiteral("publicPages"));
    m_log->setObjectName(QStringLiteral("publicLog"));
    m_log->setReadOnly(true);
    m_log->setPlaceholderText(QStringLiteral("每一步做了什么、文件保存在哪里，都记在这里。"));
    m_state->setObjectName(QStringLiteral("publicState"));
    m_state->setWordWrap(true);
    const std::pair<QString, QWidget*> pages[] = {{QStringLiteral("一、分班方案"), planPage()},
                                                  {QStringLiteral("二、封存名单"), sealPage()},
                                                  {QStringLiteral("三、现场分班"), dayPage()},
                                                  {QStringLiteral("四、分班记录"), sheetPage()},
                                                  {QStringLiteral("五、数据包"), packagePage()}};
    for (const auto& [caption, page] : pages) {
        m_steps->addItem(caption);
        m_pages->addWidget(page);
    }
    m_steps->setFixedWidth(m_steps->sizeHintForColumn(0) + 24);
    connect(m_steps, &QListWidget::currentRowChanged, m_pages, &QStackedWidget::setCurrentIndex);
    m_steps->setCurrentRow(0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* next = buttons->addButton(QStringLiteral("下一步"), QDialogButtonBox::ActionRole);
    next->setObjectName(QStringLiteral("publicNext"));
    connect(next, &QPushButton::clicked, this, [this] {
        m_steps->setCurrentRow(std::min(m_steps->currentRow() + 1, m_steps->count() - 1));
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(m_steps);
    row->addWidget(m_pages, 1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_state);
    column->addLayout(row, 3);
    column->addWidget(new QLabel(QStringLiteral("记录："), this));
    column->addWidget(m_log, 2);
    column->addWidget(buttons);
    refreshState();
    resize(820, 640);
}

QWidget* PublicDialog::planPage()
{
    auto* page = new QWidget(this);
    m_form = new QFormLayout(page);
    m_scheme = new QComboBox(page);
    m_scheme->setObjectName(QStringLiteral("publicScheme"));
    for (const Scheme* s : planSchemes()) {
        m_scheme->addItem(s->caption, s->name);
        if (m_compulsory && s->ranksClasses) { // greyed, with the reason
            auto* model = qobject_cast<QStandardItemModel*>(m_scheme->model());
            QStandardItem* item = model->item(m_scheme->count() - 1);
            item->setEnabled(false);
            item->setToolTip(compulsoryRankingMessage());
        }
    }
    QStringList conditions, scores;
    try {
        readConditionList(m_ctx, conditions);
        readScoreList(m_ctx, scores);
    } catch (const OperationError&) {
        // no field lists yet: the seal says why it cannot go on
    }
    m_classes = spin(QStringLiteral("publicClasses"), 1, 999, 4, page);
    m_top = spin(QStringLiteral("publicTop"), 0, 9999, 0, page);
    m_conditions = new QListWidget(page);
    m_conditions->setObjectName(QStringLiteral("publicConditions"));
    for (const QString& c : conditions) {
        auto* item = new QListWidgetItem(c, m_conditions);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_conditions->setMaximumHeight(90);
    m_subject = new QComboBox(page);
    m_subject->setObjectName(QStringLiteral("publicSubject"));
    m_subject->addItems(scores);
    m_balanceSeed = spin(QStringLiteral("publicBalanceSeed"), 0, 999999999, 1, page);
    m_students = spin(QStringLiteral("publicStudents"), 1, 99999, 50, page);
    m_dayClasses = spin(QStringLiteral("publicDayClasses"), 0, 999, 0, page);
    m_precise = new QCheckBox(QStringLiteral("分班后精确调整（种子由公开种子决定）"), page);
    m_precise->setObjectName(QStringLiteral("publicPrecise"));
    m_teachers = new QPlainTextEdit(page);
    m_teachers->setObjectName(QStringLiteral("publicTeachers"));
    m_teachers->setPlaceholderText(QStringLiteral("每行一位班主任，每个班一位；不抽班主任可不填"));
    m_teachers->setMaximumHeight(110);
    m_form->addRow(QStringLiteral("分班方案："), m_scheme);
    if (m_compulsory)
        m_form->addRow(
            note(QStringLiteral("本校学段为义务教育：") + compulsoryRankingMessage(), page));
    m_form->addRow(QStringLiteral("班数："), m_classes);
    m_form->addRow(QStringLiteral("优先均分的尖子生人数："), m_top);
    m_form->addRow(QStringLiteral("均衡的条件："), m_conditions);
    m_form->addRow(QStringLiteral("按哪一科："), m_subject);
    m_form->addRow(QStringLiteral("均衡各科的种子："), m_balanceSeed);
    m_form->addRow(QStringLiteral("本次分班的学生数："), m_students);
    m_form->addRow(QStringLiteral("走读生班数："), m_dayClasses);
    m_form->addRow(QString(), m_precise);
    m_form->addRow(QStringLiteral("班主任："), m_teachers);
    connect(m_scheme, &QComboBox::currentIndexChanged, this, &PublicDialog::schemeChanged);
    schemeChanged();
    return page;
}

void PublicDialog::schemeChanged()
{
    const QString s = m_scheme->currentData().toString();
    m_form->setRowVisible(m_top, s == u"custom");
    m_form->setRowVisible(m_conditions, s == u"custom");
    m_form->setRowVisible(m_subject, s == u"subject");
    m_form->setRowVisible(m_balanceSeed, s == u"balance");
    m_form->setRowVisible(m_students, s == u"fastslow");
    m_form->setRowVisible(m_dayClasses, s == u"boarders");
    m_form->labelForField(m_classes)->setProperty(
        "text", s == u"boarders" ? QStringLiteral("住宿生班数：") : QStringLiteral("班数："));
}

PublicPlan PublicDialog::plan() const
{
    DivisionRequest r;
    r.scheme = m_scheme->currentData().toString();
    r.classes = qint16(m_classes->value());
    r.topStudents = qint16(m_top->value());
    for (int i = 0; i < m_conditions->count(); ++i)
        if (m_conditions->item(i)->checkState() == Qt::Checked)
            r.conditions.append(m_conditions->item(i)->text());
    r.subject = m_subject->currentText();
    r.balance.seed = quint32(m_balanceSeed->value());
    r.students = m_students->value();
    r.dayClasses = qint16(m_dayClasses->value());
    return publicPlanOf(r, m_precise->isChecked(), lines(m_teachers));
}

QWidget* PublicDialog::sealPage()
{
    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);
    column->addWidget(note(QStringLiteral("封存名单、分班规则和第一步的方案，算出名单指纹，并生成"
                                          "分班前张贴的封存公告（PDF）。封存后，学生、规则和班级"
                                          "都不能再改动，直到现场分班。"),
                           page));
    QPushButton* freeze =
        button(QStringLiteral("publicFreeze"), QStringLiteral("封存名单并生成封存公告"), page);
    QPushButton* unfreeze =
        button(QStringLiteral("publicUnfreeze"), QStringLiteral("解除封存…"), page);
    connect(freeze, &QPushButton::clicked, this, &PublicDialog::freeze);
    connect(unfreeze, &QPushButton::clicked, this, &PublicDialog::unfreeze);
    column->addWidget(freeze);
    column->addWidget(unfreeze);
    column->addStretch();
    return page;
}

QWidget* PublicDialog::dayPage()
{
    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);
    column->addWidget(note(QStringLiteral("分班当天，在投影上打开全屏画面：核对名单指纹后，每一方"
                                          "各自给出一个数或一个词，合成种子后当场分班，各班的班号"
                                          "和班主任逐个抽出。下面每行写一方的称呼。"),
                           page));
    m_parties = new QPlainTextEdit(page);
    m_parties->setObjectName(QStringLiteral("publicParties"));
    m_parties->setPlainText(QStringLiteral("家长代表一\n家长代表二\n监督人员"));
    column->addWidget(m_parties);
    QPushButton* open =
        button(QStringLiteral("publicShowDisplay"), QStringLiteral("打开投影画面"), page);
    connect(open, &QPushButton::clicked, this, &PublicDialog::openDisplay);
    column->addWidget(open);
    return page;
}

QWidget* PublicDialog::sheetPage()
{
    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);
    column->addWidget(note(QStringLiteral("生成阳光分班记录（PDF）：名单指纹、方案、种子、分班结果"
                                          "摘要、各班人数和平均分、分班后的改动及理由，留有监督"
                                          "人员、家长代表和学校负责人签名的位置。"),
                           page));
    QPushButton* sheet =
        button(QStringLiteral("publicSheet"), QStringLiteral("生成分班记录"), page);
    connect(sheet, &QPushButton::clicked, this, &PublicDialog::writeSheet);
    column->addWidget(sheet);
    column->addStretch();
    return page;
}

QWidget* PublicDialog::packagePage()
{
    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);
    column->addWidget(note(QStringLiteral("生成数据包（zip）并当场核对：任何人都可以用 "
                                          "quorvel-cli public verify 重算一遍。"),
                           page));
    QPushButton* package =
        button(QStringLiteral("publicPackage"), QStringLiteral("生成数据包并核对"), page);
    connect(package, &QPushButton::clicked, this, &PublicDialog::writePackage);
    column->addWidget(package);
    column->addStretch();
    return page;
}

void PublicDialog::log(const QString& line)
{
    m_log->appendPlainText(line);
}

void PublicDialog::refreshState()
{
    std::optional<PublicState> s;
    try {
        s = ReadPublicState(m_ctx);
    } catch (const OperationError&) {
        s.reset();
    }
    QString text = QStringLiteral("学段：%1。")
                       .arg(m_compulsory ? QStringLiteral("义务教育") : QStringLiteral("普通高中"));
    if (!s)
        text += QStringLiteral("名单尚未封存。");
    else if (s->ran())
        text += QStringLiteral("已公开分班，名单指纹%1。").arg(groupedByFour(s->fingerprint));
    else if (s->sealed)
        text += QStringLiteral("名单已封存，名单指纹%1。").arg(groupedByFour(s->fingerprint));
    else
        text += QStringLiteral("封存已解除。");
    m_state->setText(text);
}

bool PublicDialog::freeze()
{
    std::optional<FreezeOutcome> o;
    {
        const BusyCursor busy;
        reportErrors(m_ctx.prompt, [&] { o = FreezeRoster(m_ctx, plan()); });
    }
    if (!o)
        return false;
    log(QStringLiteral("已封存名单：学生%1人，规则%2条；方案：%3")
            .arg(o->students)
            .arg(o->rules)
            .arg(o->plan.words()));
    log(QStringLiteral("名单指纹：") + groupedByFour(o->fingerprint));
    log(QStringLiteral("封存的名单.csv、规则.csv和方案.txt保存在：") + fullPath(o->folder));
    QString notice;
    reportErrors(m_ctx.prompt, [&] {
        notice = SealNoticePdf(m_ctx, m_ctx.file(QStringLiteral("阳光分班名单封存公告.pdf")));
    });
    if (!notice.isEmpty())
        log(QStringLiteral("封存公告（请打印张贴）保存在：") + fullPath(notice));
    refreshState();
    m_steps->setCurrentRow(2);
    return true;
}

bool PublicDialog::unfreeze()
{
    const std::optional<QString> reason = m_ctx.prompt.input(
        QStringLiteral("解除封存的理由（将记入审计记录和分班记录）："), QStringLiteral("解除封存"));
    if (!reason)
        return false;
    bool done = false;
    reportErrors(m_ctx.prompt, [&] { done = UnfreezeRoster(m_ctx, *reason); });
    if (done)
        log(QStringLiteral("已解除封存，理由：") + reason->trimmed());
    refreshState();
    return done;
}

PublicDisplay* PublicDialog::openDisplay()
{
    std::optional<PublicState> s;
    reportErrors(m_ctx.prompt, [&] { s = ReadPublicState(m_ctx); });
    if (!s || !s->sealed || s->ran()) {
        m_ctx.prompt.message(s && s->ran() ? QStringLiteral("已经公开分班，不能再分一次。")
                                           : notSealedMessage(),
                             appTitle());
        return nullptr;
    }
    QStringList parties = lines(m_parties);
    if (parties.isEmpty())
        parties = {QStringLiteral("监督人员")};
    auto* display = new PublicDisplay(m_ctx, s->fingerprint, parties, this);
    connect(display, &PublicDisplay::ran, this, &PublicDialog::ran);
    display->showFullScreen();
    log(QStringLiteral("已打开投影画面，名单指纹：") + groupedByFour(s->fingerprint));
    return display;
}

void PublicDialog::ran(const PublicRunOutcome& o)
{
    log(QStringLiteral("已公开分班：种子 %1").arg(groupedByFour(o.seed)));
    log(QStringLiteral("分班结果摘要：") + groupedByFour(o.resultDigest));
    for (const PublicClass& c : o.classes)
        log(QStringLiteral("%1班　%2人（男%3，女%4）　总分平均分%5　班主任%6")
                .arg(c.cls)
                .arg(c.students)
                .arg(c.boys)
                .arg(c.girls)
                .arg(c.averageTotal ? QString::number(*c.averageTotal, 'f', 2) : QString(),
                     c.teacher));
    log(QStringLiteral("各班总分平均分之差：%1；分班结果已存入数据库：%2")
            .arg(o.spread, 0, 'f', 2)
            .arg(fullPath(m_ctx.folder)));
    refreshState();
    m_steps->setCurrentRow(3);
}

bool PublicDialog::writeSheet()
{
    QString written;
    reportErrors(m_ctx.prompt, [&] {
        written = PublicSheetPdf(m_ctx, m_ctx.file(QStringLiteral("阳光分班记录.pdf")));
    });
    if (written.isEmpty())
        return false;
    log(QStringLiteral("分班记录（请打印后签名）保存在：") + fullPath(written));
    m_steps->setCurrentRow(4);
    return true;
}

bool PublicDialog::writePackage()
{
    std::optional<QString> written;
    reportErrors(m_ctx.prompt, [&] {
        written = WritePackage(m_ctx, m_ctx.file(QStringLiteral("阳光分班.zip")));
    });
    if (!written)
        return false;
    log(QStringLiteral("数据包保存在：") + fullPath(*written));
    PackageCheck check;
    {
        const BusyCursor busy;
        check = VerifyPackage(*written);
    }
    for (const QString& line : check.differences)
        log(line);
    log(check.passed() ? QStringLiteral("核对通过：重算的名单指纹、种子和分班结果与数据包相同。")
                       : check.failure);
    return check.passed();
}

} // namespace quorvel
