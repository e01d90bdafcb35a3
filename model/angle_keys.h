// Every angle the program gives for a cutting-edge segment, each under a key
// "system.angle" ("ssk.gn").
//
// The first four kinds of each system (G, A, L, F) are the angles computed and stored in
// the segments; the others are derived from the segment and the accepted systems when
// asked for, so nothing new is stored. A kind that needs the working plane (F and the
// working- and back-plane angles) is not defined for ISK.
//
// Everything that lists angles beyond today's table (edge summaries, tolerances, the
// JSON output, the derived table columns) walks AllAngles() and reads AngleValue().
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/systems.h"
#include "model/types.h"

namespace tessarin::model {

// The kinds in the user's order; the first four are kAngleG..kAngleF of systems.h.
enum TAngleKind : int {
    kKindG = 0,    // rake angle in the main section plane (γo)
    kKindA = 1,    // clearance angle in the main section plane (αo)
    kKindL = 2,    // inclination (λs)
    kKindF = 3,    // plan angle (κr)
    kKindGn = 4,   // rake angle in the plane normal to the segment (γn)
    kKindAn = 5,   // clearance angle in the plane normal to the segment (αn)
    kKindBo = 6,   // wedge angle in the main section plane, 90 - γo - αo
    kKindBn = 7,   // wedge angle in the normal plane, 90 - γn - αn
    kKindGf = 8,   // rake angle in the working plane (γf)
    kKindAf = 9,   // clearance angle in the working plane (αf)
    kKindGp = 10,  // rake angle in the back plane (γp)
    kKindAp = 11,  // clearance angle in the back plane (αp)
    kKindPsi = 12  // approach angle, 90 - κr (ψr)
};

inline constexpr int kAngleKindCount = 13;

struct TAngleKindInfo {
    const char* Key;         // "gn": the second half of a key ("ssk.gn")
    const char* Caption;     // data tree, selection dialog, tolerance dialog
    const char* TitleWord;   // after a system's prefix in column titles
    bool NeedsWorkingPlane;  // not defined for ISK
};

extern const std::array<TAngleKindInfo, kAngleKindCount> kAngleKinds;

const TAngleKindInfo& AngleKindInfo(int kind);

struct TAngleId {
    int System = kISK;
    int Kind = kKindG;

    friend bool operator==(const TAngleId&, const TAngleId&) = default;
};

// True when `kind` exists for `system` (ISK has no F and no working-plane angles).
bool AngleDefined(int system, int kind);

// The angle is one of the four computed and stored in the segments.
constexpr bool StoredAngle(const TAngleId& id) {
    return id.Kind <= kKindF;
}

// Every defined angle: the 15 stored ones in the table's order (ISK G, A, L, SSK G, A,
// L, F, ...), then each system's derived ones in kind order.
const std::vector<TAngleId>& AllAngles();

// "ssk.gn" and back; nullopt for an unknown key or a kind the system does not have.
std::string AngleKey(const TAngleId& id);
std::optional<TAngleId> AngleOfKey(std::string_view key);

// The value of an angle at a segment whose system's angles are computed, in degrees:
// the stored one, or the derived one from the segment's direction, its front and back
// normals and FrameOf(accepted, id.System). Not a number where it is not defined at
// that segment, and for a kind the system does not have.
//
// The derived ones always come from the geometry, never from the stored G and A. So in
// the dynamic system, whose stored G is the rake angle in its own section plane, gamma_o
// of beta_o is the main-section rake angle; as the dynamic system measures with the static
// basic plane and the working plane, its derived angles are those of the static system.
double AngleValue(const TSegment& segment, const CSValues& accepted, const TAngleId& id);

// Every kind of `system` at one segment, indexed by kind, exactly as AngleValue gives
// them one by one (not a number for the kinds the system does not have); the derived
// planes are built once, so a table or a summary of every angle reads this.
std::array<double, kAngleKindCount> AngleValues(const TSegment& segment, const CSValues& accepted,
                                                int system);

// The 13 kinds for a segment with direction D, rake and flank normals Fn, Bn in `frame`,
// the stored four computed afresh as ComputeAngles does (G as in the main section plane,
// also for the dynamic system); the derived ones as AngleValue gives them.
std::array<double, kAngleKindCount> FrameAngles(const TVector3& d, const TVector3& fn,
                                                const TVector3& bn, const TSystemFrame& frame);

}  // namespace tessarin::model
