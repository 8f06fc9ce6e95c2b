#pragma once

#include <QStringList>
#include <QtGlobal>

namespace quorvel {

// What one run of the program carries from operation to operation. The
// front end owns the one instance and hands it to every operation through
// its context; only the files in the application folder carry over from one
// run to the next. A division reads nothing here: its request says what it
// needs and its outcome says what it changes, applied once it is committed.
struct Session {
    qint16 ClassCount = 0;          // number of classes N
    qint16 TopStudentCount = 0;     // top students dealt first
    QStringList ConditionList;      // chosen condition fields, in field-list order
    bool UseConditions = true;      // whether the custom division uses ConditionList
    bool FieldListEmpty = false;    // last read of ziduan2.txt found no item
    bool YesNoInvalid = false;      // last yes/no check failed
    bool GradeDivisionFlag = false; // a grade-level division has run
    bool StatsUnplacedFlag = false; // last statistics build found an unplaced student
    bool NoYesNoCondition = false;  // no yes/no condition in play
};

} // namespace quorvel
