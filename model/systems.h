// The coordinate systems in one table: how each is named, where its angles go in the
// segments, the table, the query columns, the data tree and the chart, and which of the
// accepted values its angles are measured with.
//
// Every part of the program that lists the systems (columns, data tree, side bar,
// selection dialog, batch tool) reads this table, so a system or an angle is added here
// and in the formulas, nowhere else.
//
// Angles of a system are numbered in the order the user sees them: 0 G (rake), 1 A
// (clearance), 2 L (inclination), 3 F (plan angle, every system but ISK).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/types.h"

namespace tessarin::model {

inline constexpr int kSystemCount = 4;
inline constexpr int kMaxAnglesPerSystem = 4;

// The angles in the user's order.
enum : int { kAngleG = 0, kAngleA = 1, kAngleL = 2, kAngleF = 3 };

struct TAngleInfo {
    const char* Key;        // "g": the second half of a column key ("ssk.g")
    const char* Caption;    // "Передний угол": data tree, selection dialog
    const char* TitleWord;  // "передний угол": after a system's prefix in column titles
};

inline constexpr std::array<TAngleInfo, kMaxAnglesPerSystem> kAngles{{
    {"g", "Передний угол", "передний угол"},
    {"a", "Задний угол", "задний угол"},
    {"l", "Угол наклона РК", "угол наклона РК"},
    {"f", "Угол в плане", "угол в плане"},
}};

struct TSystemInfo {
    const char* Name;     // "SSK": as the batch tool prints it
    const char* Key;      // "ssk": --compute and the column keys
    const char* Caption;  // "Статическая СК": side bar, data tree, selection dialog
    const char* Abbreviation;  // "ССК": progress texts
    const char* TitlePrefix;  // "Статич.": column titles ("Статич. передний угол")
    int AngleCount;           // G, A, L and, but for ISK, F
    int FirstColumn;          // table column (1..17) of its first angle; also its first
                              // chart series, since series k charts column k
    int FirstQueryColumn;  // query column (0..14) of its first angle
    int TreeKind;          // its node in the data tree's cutting-edge group; its angle
                           // nodes follow as TreeKind + 1 + angle
};

inline constexpr std::array<TSystemInfo, kSystemCount> kSystems{{
    {"ISK", "isk", "Инструментальная СК", "ИСК", "Инструм.", 3, 3, 0, 2},
    {"SSK", "ssk", "Статическая СК", "ССК", "Статич.", 4, 6, 3, 6},
    {"KSK", "ksk", "Кинематическая СК", "КСК", "Кинемат.", 4, 10, 7, 11},
    {"DSK", "dsk", "Динамическая СК", "ДСК", "Динамич.", 4, 14, 11, 16},
}};

// The table's row of system 0..3 (kISK..kDSK).
constexpr const TSystemInfo& SystemInfo(int system) {
    return kSystems.at(static_cast<std::size_t>(system));
}

// The place of a table column or query column among the systems' angles.
struct TAnglePlace {
    int System = -1;  // -1: not an angle column
    int Angle = -1;
};

// Column k (1..34, the selection's 18..34 as the cutting edge's) as system and angle.
TAnglePlace PlaceOfColumn(int k);
// Query column 0..14 as system and angle.
TAnglePlace PlaceOfQueryColumn(int column);

// "ssk.g" and the like, for query column 0..14; and back (nullopt for an unknown key).
std::string QueryColumnKey(int column);
std::optional<int> QueryColumnOfKey(std::string_view key);
// "isk".."dsk" back to 0..3.
std::optional<int> SystemOfKey(std::string_view key);

// The angles of a segment as stored for `system`, in the user's order (F is 0 for ISK).
std::array<double, kMaxAnglesPerSystem> SegmentAngles(const TSegment& segment, int system);
double SegmentAngle(const TSegment& segment, int system, int angle);
// A segment's angles of `system` back to the zeros of a segment never computed.
void ClearSegmentAngles(TSegment& segment, int system);
// `to` takes the angles of `system` from `from`.
void CopySegmentAngles(const TSegment& from, TSegment& to, int system);

// What the angles of a system are measured with: the vectors of the accepted record
// that its formulas read. N is the basic-plane normal, P the working-plane normal (plan
// angle), S the section-plane normal (the dynamic rake angle). Unused ones are zero.
struct TSystemFrame {
    TVector3 N;
    TVector3 P;
    TVector3 S;
};

//   ISK  N (0, 0, 1)
//   SSK  N SSK.OP, P FeedPlan.FP
//   KSK  N KSK.OP, P FeedPlan.FP
//   DSK  N SSK.OP, P FeedPlan.FP, S DSK.SP
// So a new static normal changes SSK and DSK (and KSK, whose normal the static system
// resets), a new working plane SSK, KSK and DSK, a new kinematic system KSK alone and a
// new dynamic system DSK alone.
TSystemFrame FrameOf(const CSValues& accepted, int system);

// True when both frames are the same bit for bit (not-a-number components included), so
// that angles computed with one are those of the other.
bool SameFrame(const TSystemFrame& a, const TSystemFrame& b);

}  // namespace tessarin::model
