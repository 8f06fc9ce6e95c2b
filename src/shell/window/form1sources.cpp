// The main window's items for the workbooks a school receives and sends
// back: 从表格导入 (also a file dropped on the window), 添加插班生, 从表格新建数据库
// and 导出分班结果.
#include "form1.h"

#include "shell/common/desktopopen.h"
#include "shell/common/filechooser.h"
#include "shell/intake/sourcedialog.h"
#include "shell/results/rowsetgrid.h"

#include "sources/sourcecreate.h"
#include "stats/resultexport.h"
#include "store/store.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>

namespace quorvel {

namespace {

QString workbookFilter()
{
    return QStringLiteral("表格 (*.xlsx *.xls *.ods *.csv *.htm *.html);;所有文件 (*)");
}

// The workbook a drag brings: one local file of a format the readers know.
QString droppedWorkbook(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QString path = data->urls().first().toLocalFile();
    return sourceFormatOf(path) ? path : QString();
}

} // namespace

void Form1::openSource(const QString& path, bool add)
{
    if (!QFileInfo::exists(m_ctx.file(Store::fileName()))) {
        m_ctx.prompt.message(QStringLiteral("还没有数据库，请先单击“第一步创建数据库”，"
                                            "或者“从表格新建数据库”。"),
                             appTitle(), PromptIcon::Exclamation);
        return;
    }
    auto* dialog = new SourceDialog(m_ctx, this, add);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { showImported(dialog->doneText()); });
    dialog->openFile(path);
    dialog->open();
}

// The students just imported: the grid in front and what came in.
void Form1::showImported(const QString& text)
{
    m_grid->raise();
    m_grid->show();
    refreshStudents();
    m_saved->setText(text);
}

void Form1::importWorkbook()
{
    const QString path = fileChooser().openFile(this, QStringLiteral("从表格导入"),
                                                QDir::homePath(), workbookFilter());
    if (!path.isEmpty())
        openSource(path);
}

void Form1::addLateStudents()
{
    const QString path = fileChooser().openFile(this, QStringLiteral("添加插班生"),
                                                QDir::homePath(), workbookFilter());
    if (!path.isEmpty())
        openSource(path, true);
}

void Form1::createFromWorkbook()
{
    const QString path = fileChooser().openFile(this, QStringLiteral("从表格新建数据库"),
                                                QDir::homePath(), workbookFilter());
    if (path.isEmpty())
        return;
    m_resultsGrid->detach(); // the rebuild replaces the file it reads
    // The one question shows the header row and the mapping; a No leaves
    // the folder as it was (in an empty one, without a database to show).
    bool created = false;
    int count = 0;
    reportErrors(m_ctx.prompt, [&] { created = CreateFromSource(m_ctx, path, {}, {}, &count); });
    if (created)
        showImported(QStringLiteral("已导入%1人。").arg(count));
}

void Form1::exportResultsWorkbook()
{
    const QString path = fileChooser().saveFile(
        this, QStringLiteral("导出分班结果"), m_ctx.file(QStringLiteral("分班结果.xlsx")),
        QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    // Students from a workbook may go back in its own layout (按原表格式).
    const std::optional<RememberedSource> source = rememberedSource(m_ctx);
    const bool like =
        source &&
        m_ctx.prompt.question(QStringLiteral("学生来自表格%1（工作表%2）。按原表格式导出吗？"
                                             "选“否”导出本程序的表格。")
                                  .arg(QDir::toNativeSeparators(source->path), source->sheet),
                              QStringLiteral("按原表格式"), PromptIcon::None, DefaultAnswer::Yes);
    QString said;
    const bool done = reportErrors(m_ctx.prompt, [&] {
        if (!like) {
            said = QStringLiteral("已导出%1人。").arg(ExportResults(m_ctx, path));
            return;
        }
        SourceOptions options;
        options.sheet = source->sheet;
        options.headerRow = source->headerRow;
        const LikeExport out = ExportLike(m_ctx, path, source->path, options);
        said = QStringLiteral("已导出%1人。").arg(out.placed);
        if (!out.leftOut.isEmpty())
            said += u'\n' + leftOutRowsText(out.leftOut);
    });
    if (done) {
        m_saved->setText(QStringLiteral("已保存：") + QDir::toNativeSeparators(path));
        reportSaved(m_ctx.prompt, path, said);
    }
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedWorkbook(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    const QString path = droppedWorkbook(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openSource(path);
}

} // namespace quorvel
