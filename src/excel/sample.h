#pragma once

#include "biffwriter.h"

#include <QStringList>
#include <QtGlobal>

namespace quorvel {

struct Context;

// A fictional intake for trying the program out and for measurements. The
// same seed gives the same students on every platform: the numbers come from
// std::mt19937 through distributions of our own.
struct SampleOptions {
    int students = 100;
    quint32 seed = 1;
};

// The largest intake a sample holds: an Excel 5.0 sheet has 16,384 rows.
constexpr int kMaxSampleStudents = 16383;

// The worksheet rows of a sample intake for a table with these columns: the
// column names, then one row per student. 编号 counts up from 2026001, names
// are distinct, both sexes occur (from two students on), subjects get scores
// in steps of 0.5 from 0 to 100, 原学校 one of ten schools, 品质等级 好, 中 or
// 差, every column whose name begins with 是 是 or 否, 班级 stays empty and
// 总分 holds the sum of the subjects.
SheetRows makeSampleIntake(const QStringList& columns, const SampleOptions& options);

// Writes a sample intake matching the columns of the current studscore into
// myexcel.xls. Throws OperationError when the store cannot be read or the
// workbook cannot be written.
void WriteSampleIntake(const Context& ctx, const SampleOptions& options);

} // namespace quorvel
