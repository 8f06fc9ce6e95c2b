#include "commands.h"

#include "history/auditverify.h"
#include "publish/auditsheet.h"

#include <QDir>

namespace quorvel {

namespace {

int printLines(CliEnv& env, const QStringList& lines)
{
    for (const QString& line : lines)
        env.out << line << '\n';
    return 0;
}

int verify(CliEnv& env)
{
    const std::optional<AuditCheck> check = VerifyLatestDivision(env.ctx);
    if (!check)
        return 1;
    printLines(env, auditCheckLines(*check));
    return check->passed() ? 0 : 1;
}

} // namespace

// audit: the record of the latest division; audit verify: the division run
// again and compared; audit --out FILE.pdf: the printable sheet.
int cmdAudit(CliEnv& env, const QStringList& args)
{
    if (args == QStringList{QStringLiteral("verify")})
        return verify(env);
    if (args.size() == 2 && args.first() == u"--out") {
        int i = 0;
        const QString written =
            AuditSheetPdf(env.ctx, outputOption(env, QStringLiteral("audit"), args, i));
        if (written.isEmpty())
            return 1;
        env.out << QDir::toNativeSeparators(written) << '\n';
        return 0;
    }
    if (!args.isEmpty())
        throw UsageError{
            QStringLiteral("audit: 用法：audit | audit verify | audit --out FILE.pdf")};
    const std::optional<AuditView> view = ReadAudit(env.ctx);
    return view ? printLines(env, auditLines(*view)) : 1;
}

} // namespace quorvel
