#pragma once

#include "diduzawidgets_export.h"

namespace Diduza {

/// An item's ordinal among the area's items and its rank, as AutoArrange lists them.
struct TZkSRank {
    int ItemIndex = 0; ///< the item's index for TSchemaDesignArea::GetItem
    int RankWeight = 0; ///< the item's TSchemaItem::GetRank
};

/// A link between two items, as their positions in the area's control list; weight 1 when the
/// positions differ, 0 for an item linked to itself.
struct TZkSRankPair {
    int Item1 = 0; ///< the position of one item in the area's control list
    int Item2 = 0; ///< the position of the other item in the area's control list
    int RankWeight = 0; ///< 1 for two items, 0 for an item linked to itself
};

/// Orders ranks by weight, descending: negative, zero or positive as a sorts before, with or
/// after b (b's weight less a's).
DIDUZAWIDGETS_EXPORT int CompareRanks(const TZkSRank &a, const TZkSRank &b);
/// Orders pairs by Item1, descending, then by Item2, descending: negative, zero or positive as
/// a sorts before, with or after b. RankWeight plays no part.
DIDUZAWIDGETS_EXPORT int CompareRankPairs(const TZkSRankPair &a, const TZkSRankPair &b);

} // namespace Diduza
