#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

class ClassIntake;
class Store;

// Figures of the classes of studscore, each over the students of one class.
// Each is computed over the store, in whatever transaction the caller holds
// (its grouped queries, which over a large table are quicker than reading
// the rows; the value ranges read the two columns once). The figures of the
// balance report also come over the students an operation has read once
// and may have moved in memory (ClassIntake: it must hold 班级 and the
// columns the figures name).

// The figures of the statistics table, for the classes 1 … classCount: one
// entry per class, index c − 1 for class c.

// The average of each column per class, over the students with a value (no
// value when none has one); empty for a class without students.
QVector<QVector<std::optional<double>>> classAverages(Store& store, const QStringList& columns,
                                                      int classCount);

struct ClassSexes {
    int boys = 0;     // trimmed 性别 is 男
    int students = 0; // every student of the class, with or without 性别
};
// Zero for a class without students.
QVector<ClassSexes> classSexes(Store& store, int classCount);

struct ClassYesNo {
    int yes = 0; // the column holds 是
    int no = 0;  // it holds another value; a student without a value counts in neither
};
// Zero for a class without students.
QVector<ClassYesNo> classYesNo(Store& store, const QString& column, int classCount);

// For each class, the students holding each value of column (trimmed; a
// student without a value counts under none), by value.
QVector<QMap<QString, int>> classValueCounts(Store& store, const QString& column, int classCount);

// The figures of the statistics table in one grouped query: per class the
// averages of the score columns (as classAverages), its sexes (as
// classSexes) and the counts of each yes/no column (as classYesNo).
struct ClassStatistics {
    QVector<std::optional<double>> averages; // one per score column
    ClassSexes sexes;
    QVector<ClassYesNo> yesNo; // one per yes/no column
};
QVector<ClassStatistics> classStatistics(Store& store, const QStringList& scores,
                                         const QStringList& yesNo, int classCount);

// One figure of the balance report.
struct ReportFigure {
    enum Kind {
        Average,  // the average of the column (no value when no student has one)
        Variance, // the average of its squares less the square of its average
        Boys,     // students whose trimmed column is 男 (no value when none has a value)
        NotBoys,  // the others, a student without a value among them
        Yes,      // students whose column is 是
    };
    Kind kind = Average;
    QString column;
};

struct ClassReportRow {
    int cls = 0;
    QVector<std::optional<double>> values; // one per figure
};
// The figures of every class above 0, ascending.
QVector<ClassReportRow> classReportRows(const ClassIntake& intake,
                                        const QVector<ReportFigure>& figures);
QVector<ClassReportRow> classReportRows(Store& store, const QVector<ReportFigure>& figures);

// The highest less the lowest class average of column over the classes
// other than 0 that have one (students without a class left out); 0 when
// none has.
double classAverageSpread(Store& store, const QString& column);

// For each value of column: the most less the fewest students holding it in
// one class, over the classes above 0; the largest of these, 0 when no
// student has a value.
double largestValueRange(const ClassIntake& intake, const QString& column);
double largestValueRange(Store& store, const QString& column);

} // namespace quorvel
