#include "commands.h"

#include "excel/sample.h"
#include "excel/template.h"

namespace quorvel {

namespace {

int numberOption(const QStringList& args, int& i, int max)
{
    const QString name = args.at(i);
    bool ok = false;
    const quint64 v = i + 1 < args.size() ? args.at(i + 1).toULongLong(&ok) : 0;
    if (!ok || v > quint64(max))
        throw UsageError{
            QStringLiteral("sample: %1 后面要跟一个不大于%2的非负整数").arg(name).arg(max)};
    ++i;
    return int(v);
}

} // namespace

// sample --students N [--seed S]: a fictional intake in myexcel.xls.
int cmdSample(CliEnv& env, const QStringList& args)
{
    SampleOptions options;
    bool students = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == u"--students") {
            options.students = numberOption(args, i, kMaxSampleStudents);
            students = true;
        } else if (args.at(i) == u"--seed") {
            if (++i >= args.size())
                throw UsageError{QStringLiteral("sample: --seed 缺少取值")};
            options.seed = seedOption(QStringLiteral("sample"), args.at(i));
        } else {
            throw UsageError{QStringLiteral("sample: 未知参数：") + args.at(i)};
        }
    }
    if (!students || options.students < 1)
        throw UsageError{
            QStringLiteral("sample: 需要 --students N（1到%1）").arg(kMaxSampleStudents)};
    WriteSampleIntake(env.ctx, options);
    env.out << QStringLiteral("已将%1名示例学生写入%2。").arg(options.students).arg(templateFile())
            << '\n';
    env.out.flush();
    return 0;
}

} // namespace quorvel
