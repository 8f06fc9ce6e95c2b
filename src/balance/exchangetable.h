#pragma once

#include <QtGlobal>
#include <vector>

namespace quorvel {

// The double exchanges of one pair of classes in an open-addressing table
// by a 64-bit hash (of their grid cell and the attribute values they
// move): a slot keeps part of the hash and the numbers of the two single
// exchanges; a bit per slot tells a lookup that finds its home slot empty
// not to fetch it at all. Every slot stored or visited counts as weighed.
class ExchangeTable {
public:
    // An empty table for up to n · n / 2 doubles (twice that many slots).
    void reset(int n)
    {
        m_bits = 10;
        while ((size_t(1) << m_bits) < size_t(n) * size_t(n))
            ++m_bits;
        m_slots.assign(size_t(1) << m_bits, {0, kEmpty, kEmpty});
        m_occupied.assign((size_t(1) << m_bits) / 64 + 1, 0);
    }
    size_t home(quint64 h) const { return size_t(h >> (64 - m_bits)); }
    bool occupied(size_t at) const { return m_occupied[at >> 6] >> (at & 63) & 1; }
    // Asks for a slot ahead of its lookup (where the compiler can).
    void prefetch(quint64 h) const
    {
#if defined(__GNUC__) || defined(__clang__)
        __builtin_prefetch(&m_slots[home(h)]);
#else
        (void)h;
#endif
    }

    // Stores the double within kReach slots of its home, or drops it: a
    // cell crowded with doubles of one hash (students of equal scores)
    // keeps kReach of them, so no insert or lookup walks further.
    void insert(quint64 h, int i, int j, qint64& weighed)
    {
        const size_t mask = m_slots.size() - 1;
        size_t at = home(h);
        for (int step = 0; m_slots[at].i != kEmpty; ++step, at = (at + 1) & mask)
            if (step == kReach) {
                weighed += kReach;
                return;
            }
        m_slots[at] = {quint32(h), quint16(i), quint16(j)};
        m_occupied[at >> 6] |= quint64(1) << (at & 63);
        weighed += 1 + qint64((at - home(h)) & mask);
    }

    // Calls weigh(i, j) for every double stored under the hash (and,
    // rarely, one whose hash only shares the bits kept).
    template <typename Weigh> void find(quint64 h, qint64& weighed, Weigh&& weigh) const
    {
        const quint32 tag = quint32(h);
        const size_t mask = m_slots.size() - 1;
        size_t at = home(h);
        for (int step = 0; step <= kReach && m_slots[at].i != kEmpty;
             ++step, at = (at + 1) & mask) {
            ++weighed;
            if (m_slots[at].tag == tag)
                weigh(int(m_slots[at].i), int(m_slots[at].j));
        }
    }

private:
    static constexpr quint16 kEmpty = 0xFFFF;
    static constexpr int kReach = 64; // the farthest a double lies from its home slot
    struct Slot {
        quint32 tag;
        quint16 i, j;
    };
    std::vector<Slot> m_slots;
    std::vector<quint64> m_occupied; // a bit per slot
    int m_bits = 0;
};

} // namespace quorvel
