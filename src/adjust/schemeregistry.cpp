#include "schemeregistry.h"

#include "subjectbalance.h"

#include "division/balanced.h"
#include "division/boarders.h"
#include "division/fastslow.h"
#include "division/presets.h"

#include <algorithm>

namespace quorvel {

const QVector<const Scheme*>& schemeRegistry()
{
    static const QVector<const Scheme*> schemes = {
        &customScheme(),  &subjectBalanceScheme(), &gradeScheme(),
        &subjectScheme(), &boarderScheme(),        &fastSlowScheme(),
    };
    return schemes;
}

const Scheme* findScheme(const QString& name)
{
    const auto& all = schemeRegistry();
    const auto it =
        std::find_if(all.cbegin(), all.cend(), [&](const Scheme* s) { return s->name == name; });
    return it == all.cend() ? nullptr : *it;
}

QStringList schemeNames()
{
    QStringList names;
    for (const Scheme* s : schemeRegistry())
        names.append(s->name);
    names.sort();
    return names;
}

} // namespace quorvel
