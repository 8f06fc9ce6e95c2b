#pragma once

#include <QString>
#include <optional>

namespace quorvel {

struct Context;

// The header names of a rules workbook.
inline QString togetherGroupColumn()
{
    return QStringLiteral("同班组");
}
inline QString apartGroupColumn()
{
    return QStringLiteral("分开组");
}
inline QString fixedClassColumn()
{
    return QStringLiteral("固定班级");
}

// Imports placement rules from a workbook the readers of sources read
// (.xlsx, .xls, .ods, .csv): the header row is the first of the first 20
// rows with a cell naming 编号 (or one of its usual names) and one naming
// 同班组, 分开组 or 固定班级. The rows with one 同班组 value form one 同班
// rule, those with one 分开组 value one 分开 rule, in the order their values
// first appear; a 固定班级 fixes its row's student. Every rule goes through
// the checks of AddRule, all in one transaction that reads the students and
// rules once: the first refusal is shown, followed by the row it came from,
// and nothing is imported (nullopt).
// Otherwise the number of rules added, said in "已导入N条分班规则。".
std::optional<int> ImportRules(const Context& ctx, const QString& path, const QString& sheet = {});

} // namespace quorvel
