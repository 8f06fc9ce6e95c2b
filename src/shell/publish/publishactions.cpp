#include "publishactions.h"

#include "core/context.h"
#include "drawdialog.h"
#include "history/auditverify.h"
#include "printdialog.h"
#include "publish/auditsheet.h"
#include "publish/lookuppage.h"
#include "publish/notice.h"
#include "shell/common/desktopopen.h"
#include "shell/common/filechooser.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace quorvel {

PublishActions::PublishActions(QWidget* window, const Context& ctx)
    : QObject(window), m_window(window), m_ctx(ctx)
{
    const struct {
        const char* name;
        void (PublishActions::*run)();
    } items[] = {{"dayin", &PublishActions::printLists},
                 {"gongshi", &PublishActions::notice},
                 {"chouqian", &PublishActions::headTeacherDraw},
                 {"chaxun", &PublishActions::lookupPage}};
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
        openWithDesktop(QUrl::fromLocalFile(written));
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
    auto* text = new QPlainTextEdit(auditLines(*view).join(u'\n'), dialog);
    text->setReadOnly(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QPushButton* check = buttons->addButton(QStringLiteral("核对"), QDialogButtonBox::ActionRole);
    QPushButton* pdf =
        buttons->addButton(QStringLiteral("打印审计单"), QDialogButtonBox::ActionRole);
    connect(check, &QPushButton::clicked, dialog, [this, text] {
        std::optional<AuditCheck> c;
        reportErrors(m_ctx.prompt, [&] { c = VerifyLatestDivision(m_ctx); });
        if (c)
            text->appendPlainText(u'\n' + auditCheckLines(*c).join(u'\n'));
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
