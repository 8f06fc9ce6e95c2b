// The three steps of the main window: the template opened for editing, the
// import question and the division wizard, which ends on the automatic
// adjustment.
#include "form1.h"

#include "studentgridview.h"

#include "shell/common/desktopopen.h"
#include "shell/common/qtprompt.h"
#include "shell/wizard/form2.h"
#include "shell/wizard/form3.h"
#include "shell/wizard/form4.h"
#include "shell/wizard/form7.h"

#include "adjust/divisionroad.h"
#include "division/balanced.h"
#include "excel/import.h"
#include "excel/template.h"
#include "sources/templateimport.h"
#include "stats/display.h"
#include "store/store.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTableView>
#include <QUrl>

namespace quorvel {

// The dialogs are windows of their own, not children of the main window:
// each has controls named like controls of the main window.
void Form1::buildWizard()
{
    m_form4 = std::make_unique<Form4>(m_ctx, this);
    m_form2 = std::make_unique<Form2>(m_ctx, m_form4.get(), this);
    m_form7 = std::make_unique<Form7>(m_ctx, this);
    m_form3 = std::make_unique<Form3>(m_ctx, m_form2.get(), m_form7.get(), this);
    connect(m_form2.get(), &Form2::cancelled, m_grid, &QWidget::hide);
    connect(m_form4.get(), &Form4::cancelled, m_grid, &QWidget::hide);
    connect(m_form4.get(), &Form4::divisionWanted, this, &Form1::divideWithTopStudents);
    buildPresets();
}

QString Form1::noDatabaseMessage()
{
    return QStringLiteral("还没有学生数据库，请先单击“第一步创建数据库”。");
}

QString Form1::missingTemplateMessage()
{
    return QStringLiteral("找不到Excel模板") + templateFile() +
           QStringLiteral("，请先单击“第一步创建数据库”。");
}

// Asks the desktop to open a workbook with its application; false when the
// workbook is missing or nothing could open it.
bool Form1::openDocument(const QString& path)
{
    return QFileInfo::exists(path) && openWithDesktop(QUrl::fromLocalFile(path));
}

// A workbook the program wrote: the status bar says where it is, and when
// nothing opens it the user is told to open it by hand.
void Form1::showWrittenDocument(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    m_saved->setText(QStringLiteral("已保存：") + native);
    if (!openDocument(path))
        m_ctx.prompt.message(openWorkbookFailedMessage(native), appTitle());
}

// Step 2: the user edits the template in the spreadsheet program.
void Form1::openTemplate()
{
    const QString path = m_ctx.file(templateFile());
    if (!QFileInfo::exists(path)) {
        m_ctx.prompt.message(missingTemplateMessage(), appTitle(), PromptIcon::Exclamation);
        return;
    }
    if (!openDocument(path))
        m_ctx.prompt.message(openWorkbookFailedMessage(QDir::toNativeSeparators(path)), appTitle(),
                             PromptIcon::Exclamation);
}

void Form1::refreshStudents()
{
    reportErrors(m_ctx.prompt, [this] { ShowStudents(m_ctx, m_grid, countLabel()); });
    followOnBoard();
}

// Step 3: the import question, then, whatever became of it, the scheme
// dialog and the student grid. Without a database there is nothing to
// divide: the user is sent to step 1.
void Form1::startDivision()
{
    if (!QFileInfo::exists(m_ctx.file(Store::fileName()))) {
        m_ctx.prompt.message(noDatabaseMessage(), appTitle(), PromptIcon::Exclamation);
        return;
    }
    {
        const BusyCursor busy;
        reportErrors(m_ctx.prompt, [this] { AskAndImport(m_ctx); });
    }
    m_form3->showDialog();
    m_grid->raise();
    m_grid->show();
    refreshStudents();
}

bool Form1::divideAndAdjust(const Scheme& scheme, const DivisionRequest& request, bool precise,
                            const std::function<void()>& onDivided)
{
    bool divided = false;
    std::optional<BalanceReport> report;
    {
        const BusyCursor busy;
        DivisionRoad road;
        road.precise = precise;
        road.onDivided = [&](const DivisionOutcome&) {
            divided = true;
            onDivided();
            refreshStudents();
            beginStatistics();
        };
        road.onStatistics = [this](const StatsStepResult& step) { showStatistics(step); };
        reportErrors(m_ctx.prompt, [&] {
            const RoadOutcome outcome = DivideAndAdjust(m_ctx, scheme, request, road);
            if (outcome.precise)
                report = outcome.precise->result.report;
        });
    }
    m_ctx.prompt.progress(0, 0);
    if (report) {
        refreshStudents();
        showPreciseReport(*report);
    }
    return divided;
}

// The last dialog's division: the dialog closes once the students are
// placed, the grid shows their classes, then the automatic adjustment runs
// and ends on the statistics.
void Form1::divideWithTopStudents(const DivisionRequest& request)
{
    divideAndAdjust(customScheme(), request, m_form4->preciseBox()->isChecked(),
                    [this] { m_form4->close(); });
}

} // namespace quorvel
