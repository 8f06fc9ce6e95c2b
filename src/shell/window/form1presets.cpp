// The preset schemes on the main window: the dialog 预设方案 and the panels
// its schemes ask for.
#include "form1.h"

#include "shell/wizard/boarderpanel.h"
#include "shell/wizard/fastslowpanel.h"
#include "shell/wizard/form7.h"
#include "shell/wizard/subjectpanel.h"

#include "division/presets.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>

namespace quorvel {

void Form1::buildPresets()
{
    connect(m_form7.get(), &Form7::fastSlowPanelWanted, this, &Form1::showFastSlowPanel);
    connect(m_form7.get(), &Form7::boarderPanelWanted, this, &Form1::showBoarderPanel);
    connect(m_form7.get(), &Form7::subjectPanelWanted, this, &Form1::showSubjectPanel);
    connect(m_form7.get(), &Form7::divided, this, &Form1::refreshStudents);
    connect(m_form7.get(), &Form7::subjectBalanceWanted, this, &Form1::balanceSubjects);
    connect(m_subject, &SubjectPanel::divisionWanted, this, &Form1::divideBySubject);
}

// Fast and slow classes (Frame13).
void Form1::showFastSlowPanel()
{
    m_fastSlow->open();
}

// Boarders and day students (frm15).
void Form1::showBoarderPanel()
{
    m_boarder->open();
}

void Form1::showSubjectPanel(const QStringList& subjects)
{
    m_subject->setSubjects(subjects);
    m_subject->raise();
    m_subject->show();
}

// The students placed by one subject: the grid shows their classes, the
// automatic adjustment evens out the totals, and the panel goes.
void Form1::divideBySubject(const DivisionRequest& request)
{
    if (divideAndAdjust(subjectScheme(), request, m_subject->preciseBox()->isChecked(), [] {}))
        m_subject->hide();
}

} // namespace quorvel
