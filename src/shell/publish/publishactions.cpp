#include "publishactions.h"

#include "adjust/schemeregistry.h"
#include "core/context.h"
#include "drawdialog.h"
#include "history/auditverify.h"
#include "printdialog.h"
#include "publicdialog.h"
#include "publish/auditsheet.h"
#include "publish/lookuppage.h"
#include "publish/notice.h"
#include "shell/common/desktopopen.h"
#include "shell/common/filechooser.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace quorvel {

namespace {

// A value of the record: a digest in the fixed-width font, so that two can
// be compared digit by digit.
QString valueHtml(const QString& value, const QString& fixedFamily)
{
    static const QRegularExpression digest(QStringLiteral("^[0-9a-f]{64}$"));
    return digest.match(value).hasMatch()
               ? QStringLiteral("<span style=\"font-family:'%1'\">%2</span>")
                     .arg(fixedFamily, value.toHtmlEscaped())
               : value.toHtmlEscaped();
}

// The record as a table of label and value (the scheme by its Chinese name);
// the lines of a change (time, what, students) in three columns.
QString auditHtml(const AuditView& view)
{
    const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");
    for (const QString& line : auditLines(view)) {
        QStringList cells = line.split(u'\t');
        if (cells.first() == QStringLiteral("分班方案"))
            if (const Scheme* scheme = findScheme(view.record.scheme))
                cells = QStringList{cells.first(), scheme->caption};
        const QString label = cells.takeFirst();
        html += QStringLiteral("<tr><td style=\"white-space:pre\">%1</td><td>%2</td></tr>")
                    .arg(label.toHtmlEscaped(), valueHtml(cells.join(QStringLiteral("　")), fixed));
    }
    return html + QStringLiteral("</table>");
}

} // namespace

PublishActions::PublishActions(QWidget* window, const Context& ctx)
    : QObject(window), m_window(window), m_ctx(ctx)
{
    const struct {
        const char* name;
        void (PublishActions::*run)();
    } items[] = {{"dayin", &PublishActions::printLists},
                 {"gongshi", &PublishActions::notice},
                 {"chouqian", &PublishActions::headTeacherDraw},
                 {"chaxun", &PublishActions::lookupPage},
                 {"yangguang", &PublishActions::publicDivision}};
    for (const auto& i : items)
        if (auto* item = window->findChild<QToolButton*>(QLatin1String(i.name)))
            connect(item, &QToolButton::clicked, this, i.run);
}

void PublishActions::saveAs(const QString& caption, const QString& name, const QString& filter,
                            const std::function<QString(const QString&)>& write)
{
    const QString path = fileChooser().saveFile(m_window, caption, m_ctx.file(name), filter);
    if (path.isEmpty())
        return;
    QString written;
    reportErrors(m_ctx.prompt, [&] { written = write(path); });
    if (!written.isEmpty())
        reportSaved(m_ctx.prompt, written);
}

void PublishActions::printLists()
{
    auto* dialog = new PrintDialog(m_ctx, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &PrintDialog::auditRequested, this, &PublishActions::audit);
    dialog->open();
}

void PublishActions::notice()
{
    saveAs(QStringLiteral("保存分班公示"), QStringLiteral("分班公示.pdf"),
           QStringLiteral("PDF (*.pdf);;网页 (*.html)"),
           [this](const QString& path) { return PublicNotice(m_ctx, path); });
}

void PublishActions::headTeacherDraw()
{
    auto* dialog = new DrawDialog(m_ctx, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void PublishActions::publicDivision()
{
    auto* dialog = new PublicDialog(m_ctx, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void PublishActions::lookupPage()
{
    saveAs(QStringLiteral("保存家长查询页"), QStringLiteral("分班查询.html"),
           QStringLiteral("网页 (*.html)"),
           [this](const QString& path) { return LookupPage(m_ctx, path); });
}

void PublishActions::audit()
{
    std::optional<AuditView> view;
    reportErrors(m_ctx.prompt, [&] { view = ReadAudit(m_ctx); });
    if (!view)
        return;
    auto* dialog = new QDialog(m_window);
    dialog->setObjectName(QStringLiteral("auditDialog"));
    dialog->setWindowTitle(QStringLiteral("分班审计记录"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QTextBrowser(dialog);
    text->setObjectName(QStringLiteral("auditText"));
    text->setHtml(auditHtml(*view));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QPushButton* check = buttons->addButton(QStringLiteral("核对"), QDialogButtonBox::ActionRole);
    QPushButton* pdf =
        buttons->addButton(QStringLiteral("打印审计单"), QDialogButtonBox::ActionRole);
    connect(check, &QPushButton::clicked, dialog, [this, text] {
        std::optional<AuditCheck> c;
        reportErrors(m_ctx.prompt, [&] { c = VerifyLatestDivision(m_ctx); });
        if (c)
            for (const QString& line : auditCheckLines(*c))
                text->append(line.toHtmlEscaped().replace(u'\t', QStringLiteral("　")));
    });
    connect(pdf, &QPushButton::clicked, dialog, [this] {
        saveAs(QStringLiteral("保存审计单"), QStringLiteral("分班审计记录.pdf"),
               QStringLiteral("PDF (*.pdf)"),
               [this](const QString& path) { return AuditSheetPdf(m_ctx, path); });
    });
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* column = new QVBoxLayout(dialog);
    column->addWidget(text);
    column->addWidget(buttons);
    dialog->resize(760, 420);
    dialog->open();
}

} // namespace quorvel
