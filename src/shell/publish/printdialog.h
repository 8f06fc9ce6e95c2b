#pragma once

#include "publish/classlistpdf.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPrintPreviewDialog;

namespace quorvel {

struct Context;

// 打印预览: the title and the columns of the class lists, then the print
// preview (and the printer from it) or a PDF.
class PrintDialog : public QDialog {
    Q_OBJECT
public:
    PrintDialog(const Context& ctx, QWidget* parent = nullptr);

    ListPrintOptions options() const;
    // Opens the preview of the lists (window-modal, not waiting); nullptr
    // when the lists were refused (their message shown).
    QPrintPreviewDialog* openPreview();
    // Asks for a file and writes the PDF there.
    void exportPdf();

signals:
    // 审计记录: the record of the division and its verification.
    void auditRequested();

private:
    void fillColumns();

    const Context& m_ctx;
    QLineEdit* m_title;
    QListWidget* m_columns;
};

} // namespace quorvel
