#include "printdialog.h"

#include "core/context.h"
#include "publish/printsheets.h"
#include "shell/common/desktopopen.h"
#include "shell/common/filechooser.h"
#include "store/fieldlists.h"
#include "store/store.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {

PrintDialog::PrintDialog(const Context& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_title(new QLineEdit(defaultListTitle(), this)),
      m_columns(new QListWidget(this))
{
    setObjectName(QStringLiteral("printDialog"));
    setWindowTitle(QStringLiteral("打印班级名单"));
    m_title->setObjectName(QStringLiteral("printTitle"));
    m_title->setToolTip(QStringLiteral("N 换成班号"));
    m_columns->setObjectName(QStringLiteral("printColumns"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("标题："), m_title);
    form->addRow(QStringLiteral("打印的列："), m_columns);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* preview =
        buttons->addButton(QStringLiteral("打印预览"), QDialogButtonBox::ActionRole);
    QPushButton* pdf = buttons->addButton(QStringLiteral("导出PDF"), QDialogButtonBox::ActionRole);
    pdf->setObjectName(QStringLiteral("printPdf"));
    connect(preview, &QPushButton::clicked, this, [this] { openPreview(); });
    connect(pdf, &QPushButton::clicked, this, &PrintDialog::exportPdf);
    QPushButton* audit =
        buttons->addButton(QStringLiteral("审计记录"), QDialogButtonBox::ActionRole);
    audit->setObjectName(QStringLiteral("printAudit"));
    connect(audit, &QPushButton::clicked, this, &PrintDialog::auditRequested);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);
    reportErrors(ctx.prompt, [this] { fillColumns(); });
}

void PrintDialog::fillColumns()
{
    QStringList names{serialColumn()};
    Store store = OpenStore(m_ctx);
    for (const ColumnInfo& c : store.columns(studentTable()))
        names.append(c.name);
    const QStringList chosen = defaultListColumns();
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(name, m_columns);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(chosen.contains(name) ? Qt::Checked : Qt::Unchecked);
    }
}

ListPrintOptions PrintDialog::options() const
{
    ListPrintOptions o;
    o.title = m_title->text().isEmpty() ? defaultListTitle() : m_title->text();
    o.columns.clear();
    for (int i = 0; i < m_columns->count(); ++i)
        if (m_columns->item(i)->checkState() == Qt::Checked)
            o.columns.append(m_columns->item(i)->text());
    if (o.columns.isEmpty())
        o.columns = defaultListColumns();
    return o;
}

QPrintPreviewDialog* PrintDialog::openPreview()
{
    std::optional<QVector<PrintSheet>> sheets;
    reportErrors(m_ctx.prompt, [&] { sheets = PrintableClassLists(m_ctx, options()); });
    if (!sheets)
        return nullptr;
    auto* printer = new QPrinter(QPrinter::HighResolution);
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    printer->setDocName(QStringLiteral("班级名单"));
    auto* dialog = new QPrintPreviewDialog(printer, this);
    dialog->setObjectName(QStringLiteral("printPreview"));
    dialog->setWindowTitle(QStringLiteral("打印预览"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QObject::destroyed, this, [printer] { delete printer; });
    connect(dialog, &QPrintPreviewDialog::paintRequested, this,
            [pages = *sheets](QPrinter* p) { paintSheets(*p, pages, QDate::currentDate()); });
    dialog->resize(900, 1000);
    dialog->open();
    return dialog;
}

void PrintDialog::exportPdf()
{
    const QString path = fileChooser().saveFile(this, QStringLiteral("导出PDF"),
                                                m_ctx.file(QStringLiteral("班级名单.pdf")),
                                                QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    QString written;
    reportErrors(m_ctx.prompt, [&] { written = ClassListsPdf(m_ctx, options(), path); });
    if (!written.isEmpty())
        reportSaved(m_ctx.prompt, written);
}

} // namespace quorvel
