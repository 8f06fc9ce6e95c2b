#pragma once

#include "versions.h"

#include <QByteArray>

namespace quorvel {

// The compact forms a version is kept in: the list of students (编号 and
// 姓名) once per intake, and the classes as little-endian 16-bit numbers in
// the order of that list, both compressed.
QByteArray encodeStudents(const ClassSnapshot& snapshot);
void decodeStudents(const QByteArray& blob, ClassSnapshot& snapshot);

QByteArray encodeClasses(const QVector<qint16>& classes);
QVector<qint16> decodeClasses(const QByteArray& blob);

// The students of after whose class is not the one they had in before; a
// student new in after counts when after places them.
int movedBetween(const ClassSnapshot& before, const ClassSnapshot& after);

} // namespace quorvel
