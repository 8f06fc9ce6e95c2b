#pragma once

#include <QStringList>
#include <QtGlobal>

namespace quorvel {

// The values shared by the operations of one run of the program. The front
// end owns the one instance and hands it to every operation; only the files
// in the application folder carry over from one run to the next.
struct RunState {
    qint16 ClassCount = 0;          // number of classes N
    qint16 TopStudentCount = 0;     // top students dealt first
    QStringList ConditionList;      // chosen condition fields, in field-list order
    bool UseConditions = true;      // whether the custom division uses ConditionList
    bool FieldListEmpty = false;    // last read of ziduan2.txt found no item
    bool YesNoInvalid = false;      // last yes/no check failed
    bool GradeDivisionFlag = false; // a grade-level division has run
    bool StatsUnplacedFlag = false; // last statistics build found an unplaced student
    bool NoYesNoCondition = false;  // no yes/no condition in play
    // Set by the balanced division for the stratum dealing.
    bool SchoolCondition = false;
    bool StratumHasNoWhere = false;
};

} // namespace quorvel
