// The preset schemes on the main window: the dialog 预设方案 and the panels
// its schemes ask for.
#include "form1.h"

#include "boarderpanel.h"
#include "fastslowpanel.h"
#include "form7.h"

#include <QFrame>
#include <QLineEdit>

namespace quorvel {

void Form1::buildPresets()
{
    connect(m_form7.get(), &Form7::fastSlowPanelWanted, this, &Form1::showFastSlowPanel);
    connect(m_form7.get(), &Form7::boarderPanelWanted, this, &Form1::showBoarderPanel);
    connect(m_form7.get(), &Form7::subjectPanelWanted, this, &Form1::showSubjectPanel);
    connect(m_form7.get(), &Form7::divided, this, &Form1::refreshStudents);
}

// Fast and slow classes (Frame13).
void Form1::showFastSlowPanel()
{
    m_fastSlow->open();
}

// Boarders and day students (frm15).
void Form1::showBoarderPanel()
{
    m_boarder->showPanel();
    m_boarder->boarderClassesBox()->setFocus();
}

void Form1::showSubjectPanel(const QStringList& subjects)
{
    Q_UNUSED(subjects);
    m_subject->raise();
    m_subject->show();
}

} // namespace quorvel
