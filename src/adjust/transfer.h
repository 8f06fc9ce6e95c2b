#pragma once

#include "store/rowset.h"

#include <QString>
#include <functional>
#include <optional>
#include <variant>

namespace quorvel {

struct Context;

inline QString transferHelpText()
{
    return QStringLiteral("说明：1、输入要调班学生的编号。2、输入调到班号，单击 调班 。"
                          "系统会自动在要调到的班中找一个成绩和他最接近的对换。");
}
// "共找到" + N + " 条记录，调班直接修改班号,修改后单击鼠标左键确认！"
QString foundMessage(int count);
inline QString enterStudentMessage()
{
    return QStringLiteral("请输入要调班学生的编号。");
}
// No student has this 编号.
QString unknownStudentMessage(const QString& number);
// The student has no 总分 or no 班级: nobody can be found nearest to him.
QString studentIncompleteMessage(const QString& number);
inline QString targetNotWholeMessage()
{
    return QStringLiteral("调到班号必须是整数（-32768 到 32767），请重新输入。");
}
// The target is class 0 (the students not placed yet) or below.
inline QString targetUnplacedMessage()
{
    return QStringLiteral("调到班号必须大于0（0班是还没有分班的学生），没有调班。");
}
// The transfer exchanged a boy and a girl: the two classes' counts changed.
QString mixedSexMessage(const QString& a, const QString& b);
// Class t holds no student with a 总分.
QString emptyTargetMessage(int cls);

// Students of studscore for the data grid: every column in table order,
// read in the operation's transaction and kept on no connection.
using StudentRows = TableRows;

// Every student, by class and then by 总分 from the highest (显示全部, and
// what 个别学生调班 shows first).
StudentRows ListAllStudents(const Context& ctx);

// The students whose 姓名 begins with text (blanks around it removed, taken
// literally: ' % _ are letters like any other; an empty text finds every
// student), in store order. show, when given, receives them first (the
// window shows them in its grid); then foundMessage() with their number.
StudentRows SearchStudents(const Context& ctx, const QString& text,
                           const std::function<void(const StudentRows&)>& show = {});

// An individual transfer: the student whose 编号 is number into class
// target (1 or above).
struct TransferRequest {
    QString number;
    qint16 target = 1;
};

// The request of the two boxes (要调班学生的编号, 调到班号), blanks around the
// 编号 removed, or the message that refuses them: no 编号, a target that is
// not a whole number, or one below 1 (class 0 holds the students not placed
// yet).
std::variant<TransferRequest, QString> parseTransferRequest(const QString& number,
                                                            const QString& target);

// The individual transfer (调班): the student goes into class target, and
// the student of that class whose 总分 is nearest his (an equal one first,
// then the nearer of the nearest below and the nearest above, equal
// distances taking the one below) comes into his class, both in one
// transaction that also reads everything the transfer decides on. A student
// in class 0 (not placed yet) cannot move. Returns the two students
// afterwards, read before the commit; a refusal shows its message, changes
// nothing and returns nullopt.
std::optional<StudentRows> TransferStudent(const Context& ctx, const TransferRequest& request);
// The same from the boxes' texts: parseTransferRequest's refusal is shown
// before anything is read.
std::optional<StudentRows> TransferStudent(const Context& ctx, const QString& number,
                                           const QString& target);

} // namespace quorvel
