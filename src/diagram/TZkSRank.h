#pragma once

#include "diduzawidgets_export.h"

namespace Diduza {

// An item's ordinal among the area's items and its rank.
struct TZkSRank {
    int ItemIndex = 0;
    int RankWeight = 0;
};

// A link between two items, as their positions in the area's control list; weight 1 when the
// positions differ, 0 for an item linked to itself.
struct TZkSRankPair {
    int Item1 = 0;
    int Item2 = 0;
    int RankWeight = 0;
};

// Orderings: negative, zero or positive as a sorts before, with or after b.
// Ranks by weight, descending.
DIDUZAWIDGETS_EXPORT int CompareRanks(const TZkSRank &a, const TZkSRank &b);
// Pairs by Item1, descending, then by Item2, descending.
DIDUZAWIDGETS_EXPORT int CompareRankPairs(const TZkSRankPair &a, const TZkSRankPair &b);

} // namespace Diduza
