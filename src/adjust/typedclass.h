#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace quorvel {

struct Context;

// A class typed into the 班级 cell of the students' grid.
struct TypedClassRequest {
    QString number; // the student's 编号
    QVariant cls;   // the class as the column takes it: a whole number, or null (not placed)
};

// What became of a typed class.
struct TypedClassOutcome {
    bool saved = false;
    // The class the student has afterwards (the one typed, or the one kept);
    // nullopt when no student has the 编号.
    std::optional<QVariant> cls;
};

// Gives the student whose 编号 is request.number the class typed, in one
// transaction that reads the student there: the change of the classes the
// grid makes, as a transfer makes one, with the same question when a
// placement rule that held no longer would (default 否), and its version
// "修改班级" of the class history. No such student: the transfer's message.
TypedClassOutcome SaveTypedClass(const Context& ctx, const TypedClassRequest& request);

} // namespace quorvel
