#include "samenames.h"

#include "ruleentry.h"
#include "ruleintake.h"

#include "core/context.h"
#include "store/store.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <memory>
#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace quorvel {

namespace {

// One transliterator for the program's life: making one reads ICU's rules.
icu::Transliterator* pinyin()
{
    static const std::unique_ptr<icu::Transliterator> transliterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createInstance(
            "Han-Latin; Latin-ASCII; Lower", UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(t) : nullptr;
    }();
    return transliterator.get();
}

} // namespace

QString nameReading(const QString& name)
{
    icu::Transliterator* t = pinyin();
    if (!t)
        return name;
    icu::UnicodeString text(reinterpret_cast<const UChar*>(name.utf16()), int32_t(name.size()));
    t->transliterate(text);
    QString out = QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
    // The middle dot of minority names, and blanks, as one blank.
    out.replace(QChar(0x00B7), u' ').replace(QChar(0x30FB), u' ');
    return out.simplified();
}

QVector<SameNameGroup> sameNameGroups(const QStringList& keys, const QStringList& names, bool sound)
{
    // Students by what groups them, in the order each is first met.
    QMap<int, QString> firstSeen;
    QHash<QString, QVector<int>> members;
    for (int s = 0; s < names.size(); ++s) {
        const QString name = names.at(s).trimmed();
        if (name.isEmpty())
            continue;
        const QString by = sound ? nameReading(name) : name;
        auto& list = members[by];
        if (list.isEmpty())
            firstSeen.insert(s, by);
        list.append(s);
    }
    QVector<SameNameGroup> groups;
    for (const QString& by : firstSeen) {
        const QVector<int>& list = members.value(by);
        if (list.size() < 2)
            continue;
        SameNameGroup g;
        QSet<QString> written;
        for (int s : list) {
            g.keys.append(keys.at(s));
            g.names.append(names.at(s).trimmed());
            written.insert(names.at(s).trimmed());
        }
        g.sound = written.size() > 1;
        g.reading = g.sound ? by : g.names.first();
        groups.append(g);
    }
    return groups;
}

SameNamesOutcome AddSameNameRules(const Context& ctx, bool sound)
{
    SameNamesOutcome out;
    Store store = OpenStore(ctx);
    Transaction tr(store);
    const RuleIntake in = LoadRuleIntake(store);
    ctx.readingDone();
    out.groups = sameNameGroups(in.keys, in.names, sound);
    QSet<QStringList> existing;
    for (const PlacementRule& r : in.rules) {
        if (r.kind != RuleKind::Apart)
            continue;
        QStringList sorted = r.members;
        sorted.sort();
        existing.insert(sorted);
    }
    RuleAdder adder(store);
    for (const SameNameGroup& g : out.groups) {
        QStringList sorted = g.keys;
        sorted.sort();
        RuleRequest request;
        request.kind = RuleKind::Apart;
        request.members = g.keys;
        request.note = (g.sound ? QStringLiteral("同音：") : QStringLiteral("重名：")) + g.reading;
        QString refusal;
        if (existing.contains(sorted))
            refusal = QStringLiteral("已有同样的分开规则");
        else
            refusal = adder.refusal(request);
        out.refusals.append(refusal);
        out.added.append(refusal.isEmpty() ? adder.add(request) : 0);
    }
    tr.commit();
    return out;
}

} // namespace quorvel
