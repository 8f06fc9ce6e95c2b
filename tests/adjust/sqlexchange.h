#pragma once

#include "adjust/autoadjust.h"

namespace quorvel::test {

// The exchange loop of one pair done with the store's queries, row by row,
// the way the adjustment first worked: what ExchangePair must give, class
// for class.
PairRun sqlExchangePair(Store& store, qint16 high, qint16 low, double threshold);

} // namespace quorvel::test
