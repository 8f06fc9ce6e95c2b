#include "classcount.h"

#include "core/context.h"
#include "core/numbertext.h"

namespace quorvel {

std::optional<qint16> classCountAnswer(const std::optional<QString>& answer)
{
    if (!answer)
        return std::nullopt;
    const std::optional<double> v = wholeNumber(*answer);
    if (!v)
        return std::nullopt;
    const std::optional<qint16> k = roundToInt16(*v);
    if (!k || *k < 1)
        return std::nullopt;
    return k;
}

std::optional<qint16> AskClassCount(const Context& ctx)
{
    const std::optional<qint16> k = classCountAnswer(ctx.prompt.input(classCountQuestion()));
    if (!k) {
        ctx.prompt.message(classCountRefusedMessage(), noticeTitle());
        return std::nullopt;
    }
    return k;
}

} // namespace quorvel
