#pragma once

#include "store/recordtables.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace quorvel {

struct Context;

// The head-teacher draw (班主任抽签), redone by anyone with the list and the
// seed: the classes in use are taken in ascending order; for the k-th of
// them (k = 1, 2, …) the SHA-256 of the UTF-8 text "S-k" (S the seed in
// decimal, so "2718-1" for the first class) is read, its first 8 bytes as an
// unsigned big-endian number h; of the m teachers not drawn yet, in the
// order they were entered and counted from 0, the one at position h mod m
// becomes the head teacher of that class and leaves the list. With 回避教师
// rules the m teachers are only those not drawn yet whom no student of the
// class avoids and after whose drawing every later class can still get a
// teacher none of its students avoids (store/teacheravoid.h).
QStringList drawTeachers(quint32 seed, const QStringList& teachers);
// The number h of the k-th class for the seed.
quint64 drawNumber(quint32 seed, int k);

// "班主任有N位，在用的班级有M个：每个班一位班主任。"
QString drawCountMessage(int teachers, int classes);
// "班主任的名字不能为空，也不能重复：T"
QString drawNameMessage(const QString& teacher);
// "班主任的名字不能含有控制字符：T", T's control characters written out
QString drawControlMessage(const QString& teacher);
// "还没有抽签。"
QString noDrawMessage();

// Draws the head teachers of the classes in use and stores the draw, in one
// transaction that reads the classes it assigns. The blanks around each
// name (ASCII, full-width, any other space) are dropped first, which leaves
// the draw of names without them as it was. nullopt, with the message shown
// and nothing changed, when a name is empty, repeated or holds a control
// character, or the count of teachers is not that of the classes in use.
std::optional<DrawRecord> HeadTeacherDraw(const Context& ctx, const QStringList& teachers,
                                          quint32 seed);
// The stored draw; nullopt (nothing shown) when there is none.
std::optional<DrawRecord> StoredDraw(const Context& ctx);

// The draw as lines: 种子, 时间, then each class with its teacher.
QStringList drawLines(const DrawRecord& draw);

} // namespace quorvel
