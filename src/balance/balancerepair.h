#pragma once

#include "balancestate.h"

#include <span>
#include <vector>

namespace quorvel {

// The repair of the attribute values: while a value is spread over the
// classes by more than 1, the exchange between one of its fullest and one
// of its emptiest classes that most lowers the sum of squared counts.
class AttributeRepair {
public:
    explicit AttributeRepair(BalanceState& state);
    void run();

private:
    using Entry = BalanceState::Entry;
    // The positions of a list's students by signature: group g holds
    // pos[start[g]] … pos[start[g + 1] − 1].
    struct SignatureGroups {
        std::vector<int> start, pos;
        std::span<const int> group(size_t g) const
        {
            return {pos.data() + start[g], size_t(start[g + 1] - start[g])};
        }
    };
    // Students of one signature in a class's list of one sex, in its order.
    struct Group {
        const std::vector<Entry>& list;
        std::span<const int> pos;
        int student(int i) const { return list[size_t(pos[size_t(i)])].student; }
        qint64 total(int i) const { return list[size_t(pos[size_t(i)])].total; }
    };
    struct Exchange {
        qint64 penalty = 0, distance = 0;
        int sex = 0, posX = 0, posY = 0;
        int x = -1, y = -1;
        bool beats(const Exchange& best) const;
    };

    bool repairValue(int cat);
    bool repairPair(int a, int b);
    SignatureGroups groupBySignature(const std::vector<Entry>& list);
    void weighGroups(int sex, const Group& gx, const Group& gy, Exchange& best) const;
    static int nearest(const Group& g, qint64 t);

    BalanceState& m_s;
    // Per student the number of the values it holds together (its
    // signature); per signature a scratch slot, −1 when free.
    std::vector<int> m_signature, m_signatureSlot;
};

} // namespace quorvel
