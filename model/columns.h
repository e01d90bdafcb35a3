// The 34 text columns of the data table, numbered 1 to 34 as the table shows them.
//
// Line 0 of a column is its header row, line i the value for segment i - 1:
//   1       "№", then the segment numbers
//   2       an empty line, then the polar angles
//   3..5    ISK G, A, L
//   6..9    SSK G, A, L, F
//   10..13  KSK G, A, L, F
//   14..17  DSK G, A, L, F
//   18..34  the same 17 columns for the selected segments
#pragma once

#include <array>
#include <string>
#include <vector>

namespace tessarin::model {

using TStringList = std::vector<std::string>;

inline constexpr int kColumnCount = 34;

class TColumns {
public:
    // k is 1-based, 1..34.
    TStringList& operator[](int k) { return Lists.at(static_cast<std::size_t>(k - 1)); }
    const TStringList& operator[](int k) const { return Lists.at(static_cast<std::size_t>(k - 1)); }

private:
    std::array<TStringList, kColumnCount> Lists;
};

// Offset of the selection's columns from the cutting edge's: column k + 17.
inline constexpr int kSelectionColumnOffset = 17;

// The title of column k, 1..34, as the table heads it: "№", "Угол в ПСК", then each
// system's angles ("Статич. передний угол"); the selection's columns 18..34 repeat them.
const char* ColumnTitle(int k);

}  // namespace tessarin::model
