#include "ruleguard.h"

#include "rulecheck.h"
#include "ruleintake.h"

#include "core/context.h"
#include "store/store.h"

namespace quorvel {

RuleGuard RuleGuard::load(Store& store)
{
    RuleGuard g;
    if (readRules(store).isEmpty())
        return g;
    const RuleIntake in = LoadRuleIntake(store);
    PlacementRuleSet byNumber = in.set; // 固定 classes as class numbers
    for (size_t i = 0; i < byNumber.rules.size(); ++i) {
        const PlacementRule& rule = in.rules.at(in.ruleOfSetEntry.at(int(i)));
        byNumber.rules[i].cls = rule.cls;
        byNumber.rules[i].allowed.assign(rule.classes.begin(), rule.classes.end());
    }
    g.m_moves = PlacementMoves(int(in.rowids.size()), byNumber);
    for (int s = 0; s < in.rowids.size(); ++s) {
        g.m_index.insert(in.rowids.at(s), s);
        g.m_cls.append(in.classOf(s));
    }
    return g;
}

bool RuleGuard::mayMove(qint64 row, int to) const
{
    const auto it = m_index.constFind(row);
    if (it == m_index.constEnd())
        return true;
    return m_moves.mayMove(*it, to, [this](int p) { return m_cls.at(p); });
}

bool RuleGuard::mayExchange(qint64 rowA, int toA, qint64 rowB, int toB) const
{
    return empty() || (mayMove(rowA, toA) && mayMove(rowB, toB));
}

void RuleGuard::moved(qint64 row, int to)
{
    if (const auto it = m_index.constFind(row); it != m_index.constEnd())
        m_cls[*it] = to;
}

std::function<bool(int, int)> balancingRules(Store& store, const std::vector<int>& cls)
{
    if (readRules(store).isEmpty())
        return {};
    const RuleIntake in = LoadRuleIntake(store);
    auto moves = std::make_shared<PlacementMoves>(int(in.rowids.size()), in.set);
    const std::vector<int>* live = &cls;
    return [moves, live](int s, int to) {
        return moves->mayMove(s, to, [live](int p) { return (*live)[size_t(p)]; });
    };
}

ManualMoveCheck::ManualMoveCheck(Store& store)
{
    const RuleCheck check = CheckRules(store);
    QSet<qint64> broken;
    for (const RuleBreach& b : check.breaches)
        broken.insert(b.rule.id);
    for (const PlacementRule& r : readRules(store))
        if (!broken.contains(r.id))
            m_held.insert(r.id);
}

QString ManualMoveCheck::question(Store& store) const
{
    if (m_held.isEmpty())
        return {};
    const RuleIntake in = LoadRuleIntake(store);
    QStringList lines;
    for (const RuleBreach& b : FindRuleBreaches(in))
        if (m_held.contains(b.rule.id))
            lines.append(describeRule(in, b.rule) + QStringLiteral("：") + b.why);
    if (lines.isEmpty())
        return {};
    return QStringLiteral("调动后将违反分班规则：\n%1\n是否仍然调动？").arg(lines.join(u'\n'));
}

bool runManualMove(const Context& ctx, Store& store, const std::function<MoveTry(Store&)>& attempt)
{
    QString agreed;
    for (;;) {
        Transaction tr(store);
        const MoveTry t = attempt(store);
        if (t.refusal.isEmpty() && (t.question.isEmpty() || t.question == agreed)) {
            tr.commit();
            return true;
        }
        tr.rollback();
        if (!t.refusal.isEmpty()) {
            ctx.prompt.message(t.refusal);
            return false;
        }
        if (!ctx.prompt.question(t.question, appTitle(), PromptIcon::Exclamation,
                                 DefaultAnswer::No))
            return false;
        agreed = t.question;
    }
}

} // namespace quorvel
