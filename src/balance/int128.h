#pragma once

#include <QtGlobal>

namespace quorvel {

// A signed 128-bit integer in two 64-bit words (two's complement), with
// the few operations the balancer's exact comparisons need: products of
// two 64-bit numbers and their sums overflow 64 bits for large intakes.
// Arithmetic wraps modulo 2^128 like the built-in type of some compilers,
// so that every compiler gives the same results.
class Int128 {
public:
    constexpr Int128() = default;
    constexpr Int128(qint64 v) : m_hi(v < 0 ? ~quint64(0) : 0), m_lo(quint64(v)) {}

    friend constexpr Int128 operator+(Int128 a, Int128 b)
    {
        const quint64 lo = a.m_lo + b.m_lo;
        return {a.m_hi + b.m_hi + (lo < a.m_lo ? 1 : 0), lo};
    }
    friend constexpr Int128 operator-(Int128 a, Int128 b)
    {
        const quint64 lo = a.m_lo - b.m_lo;
        return {a.m_hi - b.m_hi - (a.m_lo < b.m_lo ? 1 : 0), lo};
    }
    friend constexpr Int128 operator*(Int128 a, Int128 b)
    {
        Int128 p = wideProduct(a.m_lo, b.m_lo);
        p.m_hi += a.m_hi * b.m_lo + a.m_lo * b.m_hi;
        return p;
    }
    friend constexpr bool operator==(Int128 a, Int128 b)
    {
        return a.m_hi == b.m_hi && a.m_lo == b.m_lo;
    }
    friend constexpr bool operator<(Int128 a, Int128 b)
    {
        const qint64 ha = qint64(a.m_hi), hb = qint64(b.m_hi);
        return ha != hb ? ha < hb : a.m_lo < b.m_lo;
    }
    friend constexpr bool operator>(Int128 a, Int128 b) { return b < a; }
    friend constexpr bool operator<=(Int128 a, Int128 b) { return !(b < a); }
    friend constexpr bool operator>=(Int128 a, Int128 b) { return !(a < b); }

private:
    constexpr Int128(quint64 hi, quint64 lo) : m_hi(hi), m_lo(lo) {}

    // The full product of two unsigned 64-bit numbers, by 32-bit halves.
    static constexpr Int128 wideProduct(quint64 a, quint64 b)
    {
        const quint64 a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
        const quint64 low = a0 * b0, mid1 = a1 * b0, mid2 = a0 * b1;
        const quint64 carry = ((low >> 32) + (mid1 & 0xFFFFFFFFu) + (mid2 & 0xFFFFFFFFu)) >> 32;
        return {a1 * b1 + (mid1 >> 32) + (mid2 >> 32) + carry, a * b};
    }

    quint64 m_hi = 0, m_lo = 0;
};

} // namespace quorvel
