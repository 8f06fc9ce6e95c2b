#include "commands.h"

#include "history/auditverify.h"
#include "public/seal.h"
#include "publish/auditsheet.h"

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
    if (!args.isEmpty()) // only --out FILE.pdf: the sheet goes where it says
        return writeOutFile(
            env, QStringLiteral("audit: 用法：audit | audit verify | audit --out FILE.pdf"), args,
            [&](const QString& path) {
                return path.isEmpty() ? QString() : AuditSheetPdf(env.ctx, path);
            });
    const std::optional<AuditView> view = ReadAudit(env.ctx);
    if (view)
        printLines(env, auditLines(*view));
    // The public division, its lifted seals and its changes with their reasons.
    printLines(env, PublicRecordLines(env.ctx));
    return view ? 0 : 1;
}

} // namespace quorvel
