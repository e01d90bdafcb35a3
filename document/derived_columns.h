// The table columns and data-tree nodes beyond the 34 text columns: the edge number of
// each segment and the derived angles of model/angle_keys.h. Their values are computed
// from the segments when a cell is drawn, so nothing is stored for them.
//
// A derived angle's tree node kind and its table column share one code: 100 + 13 *
// system + kind in the cutting-edge group, 200 + ... in the selection group. The edge
// column is 99 (cutting edge) or 199 (selection), and so is the kind of the node
// "Кромки" that chooses it, the last under its group's root. None of these codes is ever a column
// of the project file or of model::TColumns.
#pragma once

#include <vector>

#include "model/angle_keys.h"

namespace tessarin::document {

inline constexpr int kDerivedCodeBase = 100;
inline constexpr int kDerivedSelectionOffset = 100;

constexpr int DerivedCode(const model::TAngleId& id, bool selection) {
    return kDerivedCodeBase + (selection ? kDerivedSelectionOffset : 0) +
           id.System * model::kAngleKindCount + id.Kind;
}

constexpr int EdgeColumnCode(bool selection) {
    return kDerivedCodeBase - 1 + (selection ? kDerivedSelectionOffset : 0);
}

constexpr bool IsDerivedCode(int code) {
    const int local = code - kDerivedCodeBase;
    const int inGroup = local >= kDerivedSelectionOffset ? local - kDerivedSelectionOffset : local;
    return local >= 0 && local < 2 * kDerivedSelectionOffset &&
           inGroup < model::kSystemCount * model::kAngleKindCount;
}

constexpr bool IsEdgeColumnCode(int code) {
    return code == EdgeColumnCode(false) || code == EdgeColumnCode(true);
}

// A derived code or an edge column code: a node kind and column beyond today's.
constexpr bool IsExtraCode(int code) {
    return IsDerivedCode(code) || IsEdgeColumnCode(code);
}

// A derived code or an edge column code of the selection group.
constexpr bool IsSelectionCode(int code) {
    return code >= kDerivedCodeBase - 1 + kDerivedSelectionOffset;
}

// The angle of a derived code.
constexpr model::TAngleId DerivedAngle(int code) {
    int local = code - kDerivedCodeBase;
    if (local >= kDerivedSelectionOffset) {
        local -= kDerivedSelectionOffset;
    }
    return {local / model::kAngleKindCount, local % model::kAngleKindCount};
}

// The derived and edge codes among `selectedKinds` (tree node kinds), each once, in
// their order.
std::vector<int> DerivedColumnsOf(const std::vector<int>& selectedKinds);

}  // namespace tessarin::document
