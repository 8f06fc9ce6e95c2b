// The navigation panel of the main window: each item and group header
// connected to its handler, the create panel, and the items of the help
// group with the banner's link.
#include "form1.h"

#include "navpanel.h"
#include "shell/common/desktopopen.h"
#include "shell/intake/createpanel.h"
#include "shell/publish/publishactions.h"
#include "shell/results/resultspanel.h"

#include "adjust/precise.h"
#include "stats/display.h"

#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QUrl>

#include <quorvel/version.h>

namespace quorvel {

QString Form1::caption()
{
    return QStringLiteral("Quorvel（%1）").arg(QString::fromLatin1(ProgramVersion));
}

QString Form1::webAddress()
{
    return QStringLiteral("https://www.quorvel.example/");
}

QString Form1::creditsText()
{
    return QStringLiteral("Quorvel %1 分班软件  制作：Quorvel开发组  联系：support@quorvel.example")
        .arg(QString::fromLatin1(ProgramVersion));
}

void Form1::connectItems()
{
    using Handler = void (Form1::*)();
    const struct {
        const char* name;
        Handler handler;
    } items[] = {{"create", &Form1::showCreatePanel},
                 {"openexcel", &Form1::openTemplate},
                 {"fb", &Form1::startDivision},
                 {"rules", &Form1::showRules},
                 {"fbttj", &Form1::runStatistics},
                 {"FlatBttn2", &Form1::exportStatistics},
                 {"FlatBttn7", &Form1::adjustAutomatically},
                 {"jingque", &Form1::adjustPrecisely},
                 {"FlatBttn3", &Form1::openManualAdjustment},
                 {"FlatBttn5", &Form1::listAllStudents},
                 {"kanban", &Form1::showBoard},
                 {"FlatBttn8", &Form1::exportStatistics},
                 {"FlatBttn6", &Form1::writeRosters},
                 {"fbtweb", &Form1::openWebSite},
                 {"fbthelp", &Form1::showCredits},
                 {"sourceimport", &Form1::importWorkbook},
                 {"sourceadd", &Form1::addLateStudents},
                 {"placenew", &Form1::placeLateStudents},
                 {"sourcecreate", &Form1::createFromWorkbook},
                 {"resultexport", &Form1::exportResultsWorkbook}};
    for (const auto& i : items)
        connect(item(QString::fromLatin1(i.name)), &QToolButton::clicked, this, i.handler);
    new PublishActions(this, m_ctx); // the printing and publishing items
    // A tooltip only: a status tip would cover the folder in the status bar.
    item(QStringLiteral("jingque"))->setToolTip(preciseExplanation());
}

void Form1::connectHeaders()
{
    for (int group = 0; group < NavPanel::GroupCount; ++group)
        connect(m_nav->header(group), &QAbstractButton::clicked, this,
                [this, group] { openGroup(group); });
}

QToolButton* Form1::item(const QString& name) const
{
    return m_nav->item(name);
}

QLabel* Form1::countLabel() const
{
    return m_nav->countLabel();
}

// Every header click, whatever it does to the groups, closes the results,
// the create panel and the student grid.
void Form1::openGroup(int group)
{
    m_nav->headerClicked(group);
    m_results->hide();
    m_create->hide();
    m_grid->hide();
}

void Form1::showCreatePanel()
{
    m_create->raise();
    m_create->show();
}

void Form1::openWebSite()
{
    if (!openWithDesktop(QUrl(webAddress())))
        m_ctx.prompt.message(openWorkbookFailedMessage(webAddress()), appTitle());
}

void Form1::showCredits()
{
    m_ctx.prompt.message(creditsText(), appTitle(), PromptIcon::Information);
}

} // namespace quorvel
