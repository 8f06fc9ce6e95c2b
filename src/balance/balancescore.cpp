// Subject mode: how an exchange between two classes that moves u (总分 and
// every subject) from class a to class b is weighed — by the change of the
// weighted squared deviations of the class averages, or, in the polish, by
// the change of the largest spread (highest minus lowest class average)
// over the dimensions, the sum of the squared spreads deciding between
// equals.
#include "balancesubjects.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

constexpr double kLargest = 1000; // the largest spread before the sum of squares

} // namespace

double SubjectDescent::PairScore::change(const double* u) const
{
    double c = 0;
    if (!polish) {
        for (size_t d = 0; d < q.size(); ++d)
            c += u[d] * (q[d] * u[d] - l[d]);
        return c;
    }
    double largest = 0;
    for (size_t d = 0; d < hi.size(); ++d) {
        double h = hi[d], w = lo[d];
        if (inA[d] > 0) {
            const double v = (devA[d] - u[d]) * inA[d];
            h = std::max(h, v), w = std::min(w, v);
        }
        if (inB[d] > 0) {
            const double v = (devB[d] + u[d]) * inB[d];
            h = std::max(h, v), w = std::min(w, v);
        }
        const double range = std::max(0.0, h - w);
        if (int(d) < baseDims) {
            largest = std::max(largest, range);
            c += range * range;
        } else {
            c += spreadWeight * range * range;
        }
    }
    return c + kLargest * largest - current;
}

// The least change for a vector in the grid cell, whose nearest point to
// rem is that far from the ideal: in the polish the pair's two averages
// are then apart by (1/na + 1/nb) times that distance.
double SubjectDescent::PairScore::least(const int* cell, const qint64* rem, double width,
                                        int grid) const
{
    double c = polish ? othersSquares : -base;
    double largest = othersLargest;
    for (int g = 0; g < grid; ++g) {
        const double r = double(rem[g]);
        const double gap = std::max({0.0, cell[g] * width - r, r - (cell[g] + 1) * width});
        if (!polish) {
            c += q[g] * gap * gap;
        } else if (inA[g] > 0 && inB[g] > 0) {
            const double range = std::max(others[g], (inA[g] + inB[g]) * gap);
            c += range * range - others[g] * others[g];
            largest = std::max(largest, range);
        }
    }
    return polish ? c + kLargest * largest - current : c;
}

SubjectDescent::PairScore SubjectDescent::squaresScore(int a, int b) const
{
    PairScore s;
    s.rest = comboCoefficients(a, b, s.q, s.l);
    s.target.assign(m_s.m_dims, 0);
    for (int d = 0; d < m_s.m_dims; ++d) {
        s.target[d] = s.q[d] > 0 ? s.l[d] / (2 * s.q[d]) : 0;
        s.base += s.q[d] * s.target[d] * s.target[d];
    }
    return s;
}

// The deviation of class c's sum in dimension d from its share.
double SubjectDescent::sumDeviation(int c, int d) const
{
    const size_t i = size_t(c) * m_s.m_dims + d;
    return m_s.m_dimSum[i] - m_s.m_dimSize[i] * m_s.m_dimMean[d];
}

double SubjectDescent::averageDeviation(int c, int d) const
{
    const double size = m_s.m_dimSize[size_t(c) * m_s.m_dims + d];
    return size > 0 ? sumDeviation(c, d) / size : 0;
}

// The classes with the lowest and the highest average in dimension d.
std::pair<int, int> SubjectDescent::extremeClasses(int d) const
{
    int lo = -1, hi = -1;
    for (int c = 0; c < m_s.m_k; ++c) {
        if (m_s.m_dimSize[size_t(c) * m_s.m_dims + d] <= 0)
            continue;
        const double v = averageDeviation(c, d);
        if (lo < 0 || v < averageDeviation(lo, d))
            lo = c;
        if (hi < 0 || v > averageDeviation(hi, d))
            hi = c;
    }
    return {std::max(lo, 0), std::max(hi, 0)};
}

SubjectDescent::PairScore SubjectDescent::polishScore(int a, int b) const
{
    PairScore s;
    s.polish = true;
    s.baseDims = m_s.m_baseDims;
    s.spreadWeight = m_s.m_settings.deviationWeight;
    s.hi.assign(m_s.m_dims, -1e300);
    s.lo.assign(m_s.m_dims, 1e300);
    s.target.assign(m_s.m_dims, 0);
    for (int d = 0; d < m_s.m_dims; ++d) {
        for (int c = 0; c < m_s.m_k; ++c) {
            const double size = m_s.m_dimSize[size_t(c) * m_s.m_dims + d];
            if (c == a || c == b || size <= 0)
                continue;
            s.hi[d] = std::max(s.hi[d], sumDeviation(c, d) / size);
            s.lo[d] = std::min(s.lo[d], sumDeviation(c, d) / size);
        }
        const double na = m_s.m_dimSize[size_t(a) * m_s.m_dims + d],
                     nb = m_s.m_dimSize[size_t(b) * m_s.m_dims + d];
        s.devA.push_back(sumDeviation(a, d));
        s.devB.push_back(sumDeviation(b, d));
        s.inA.push_back(na > 0 ? 1 / na : 0);
        s.inB.push_back(nb > 0 ? 1 / nb : 0);
        if (na > 0 && nb > 0)
            s.target[d] = (nb * s.devA[d] - na * s.devB[d]) / (na + nb);
    }
    for (int d = 0; d < m_s.m_dims; ++d) {
        s.others.push_back(std::max(0.0, s.hi[d] - s.lo[d]));
        if (d < m_s.m_baseDims) {
            s.othersSquares += s.others[d] * s.others[d];
            s.othersLargest = std::max(s.othersLargest, s.others[d]);
        }
    }
    const std::vector<double> none(m_s.m_dims, 0);
    s.current = s.change(none.data());
    return s;
}

} // namespace quorvel
