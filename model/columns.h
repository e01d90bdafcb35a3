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

// Titles of columns 1..17 as the table heads them; the selection's columns 18..34 repeat
// them.
inline constexpr std::array<const char*, kSelectionColumnOffset> kColumnTitles{
    "№",
    "Угол в ПСК",
    "Инструм. передний угол",
    "Инструм. задний угол",
    "Инструм. угол наклона РК",
    "Статич. передний угол",
    "Статич. задний угол",
    "Статич. угол наклона РК",
    "Статич. угол в плане",
    "Кинемат. передний угол",
    "Кинемат. задний угол",
    "Кинемат. угол наклона РК",
    "Кинемат. угол в плане",
    "Динамич. передний угол",
    "Динамич. задний угол",
    "Динамич. угол наклона РК",
    "Динамич. угол в плане",
};

// The title of column k, 1..34.
constexpr const char* ColumnTitle(int k) {
    return kColumnTitles.at(static_cast<std::size_t>((k - 1) % kSelectionColumnOffset));
}

// First table column of each system's angles, in G, A, L(, F) order: ISK 3, SSK 6,
// KSK 10, DSK 14.
inline constexpr std::array<int, 4> kFirstAngleColumn{3, 6, 10, 14};

// Number of angle columns of a system: 3 for ISK, 4 for the others.
constexpr int AngleColumnCount(int system) {
    return system == 0 ? 3 : 4;
}

}  // namespace tessarin::model
