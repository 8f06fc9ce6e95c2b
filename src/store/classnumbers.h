#pragma once

#include <QVector>
#include <optional>

namespace quorvel {

class Store;

// The class numbers the students of studscore hold. Reads run in whatever
// transaction the caller holds.

// Whether a student has no class: 班级 without a value or below 1.
bool hasUnplacedStudent(Store& store);

// The highest 班级; 0 when no student has one.
qint64 highestClass(Store& store);

// Each distinct 班级 once, highest first; a class without a value
// (nullopt) comes last.
QVector<std::optional<qint64>> classValuesHighestFirst(Store& store);

// Each 班级 above 0 that a student holds, ascending.
QVector<int> placedClassNumbers(Store& store);

} // namespace quorvel
