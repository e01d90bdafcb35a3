#include "model/angle_keys.h"

#include <limits>

#include "model/angles.h"

namespace tessarin::model {

const std::array<TAngleKindInfo, kAngleKindCount> kAngleKinds{{
    {"g", "Передний угол", "передний угол", false},
    {"a", "Задний угол", "задний угол", false},
    {"l", "Угол наклона РК", "угол наклона РК", false},
    {"f", "Угол в плане", "угол в плане", true},
    {"gn", "Нормальный передний угол", "нормальный передний угол", false},
    {"an", "Нормальный задний угол", "нормальный задний угол", false},
    {"bo", "Угол заострения", "угол заострения", false},
    {"bn", "Нормальный угол заострения", "нормальный угол заострения", false},
    {"gf", "Передний угол в рабочей плоскости", "передний угол в Pf", true},
    {"af", "Задний угол в рабочей плоскости", "задний угол в Pf", true},
    {"gp", "Передний угол в плоскости Pp", "передний угол в Pp", true},
    {"ap", "Задний угол в плоскости Pp", "задний угол в Pp", true},
    {"psi", "Угол подхода", "угол подхода", true},
}};

const TAngleKindInfo& AngleKindInfo(int kind) {
    return kAngleKinds.at(static_cast<std::size_t>(kind));
}

bool AngleDefined(int system, int kind) {
    if (system < 0 || system >= kSystemCount || kind < 0 || kind >= kAngleKindCount) {
        return false;
    }
    return system != kISK || !AngleKindInfo(kind).NeedsWorkingPlane;
}

const std::vector<TAngleId>& AllAngles() {
    static const std::vector<TAngleId> all = [] {
        std::vector<TAngleId> ids;
        for (int s = 0; s < kSystemCount; ++s) {
            for (int k = 0; k <= kKindF; ++k) {
                if (AngleDefined(s, k)) {
                    ids.push_back({s, k});
                }
            }
        }
        for (int s = 0; s < kSystemCount; ++s) {
            for (int k = kKindF + 1; k < kAngleKindCount; ++k) {
                if (AngleDefined(s, k)) {
                    ids.push_back({s, k});
                }
            }
        }
        return ids;
    }();
    return all;
}

std::string AngleKey(const TAngleId& id) {
    if (!AngleDefined(id.System, id.Kind)) {
        return {};
    }
    return std::string(SystemInfo(id.System).Key) + "." + AngleKindInfo(id.Kind).Key;
}

std::optional<TAngleId> AngleOfKey(std::string_view key) {
    const std::size_t dot = key.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<int> system = SystemOfKey(key.substr(0, dot));
    if (!system) {
        return std::nullopt;
    }
    const std::string_view kind = key.substr(dot + 1);
    for (int k = 0; k < kAngleKindCount; ++k) {
        if (kind == AngleKindInfo(k).Key && AngleDefined(*system, k)) {
            return TAngleId{*system, k};
        }
    }
    return std::nullopt;
}

std::array<double, kAngleKindCount> FrameAngles(const TVector3& d, const TVector3& fn,
                                                const TVector3& bn, const TSystemFrame& frame) {
    const TDerivedAngles derived = DerivedAngles(d, fn, bn, frame.N, frame.P);
    return {RakeAngle(d, fn, frame.N),
            ClearanceAngle(d, bn, frame.N),
            InclinationAngle(d, frame.N),
            PlanAngle(d, frame.P, frame.N),
            derived.Gn,
            derived.An,
            derived.Bo,
            derived.Bn,
            derived.Gf,
            derived.Af,
            derived.Gp,
            derived.Ap,
            derived.Psi};
}

std::array<double, kAngleKindCount> AngleValues(const TSegment& segment, const CSValues& accepted,
                                                int system) {
    std::array<double, kAngleKindCount> values;
    values.fill(std::numeric_limits<double>::quiet_NaN());
    if (system < 0 || system >= kSystemCount) {
        return values;
    }
    // From the geometry, never from the stored angles: the dynamic system's stored rake
    // angle lies in its own section plane, so its wedge angle would mix two planes.
    const TSystemFrame frame = FrameOf(accepted, system);
    const TDerivedAngles derived =
        DerivedAngles(segment.Direct, segment.Front.Normal, segment.Back.Normal, frame.N, frame.P);
    values[kKindGn] = derived.Gn;
    values[kKindAn] = derived.An;
    values[kKindBo] = derived.Bo;
    values[kKindBn] = derived.Bn;
    if (system != kISK) {
        values[kKindGf] = derived.Gf;
        values[kKindAf] = derived.Af;
        values[kKindGp] = derived.Gp;
        values[kKindAp] = derived.Ap;
        values[kKindPsi] = derived.Psi;
    }
    const std::array<double, kMaxAnglesPerSystem> stored = SegmentAngles(segment, system);
    for (int kind = kKindG; kind <= kKindF; ++kind) {
        if (AngleDefined(system, kind)) {
            values[static_cast<std::size_t>(kind)] = stored[static_cast<std::size_t>(kind)];
        }
    }
    return values;
}

double AngleValue(const TSegment& segment, const CSValues& accepted, const TAngleId& id) {
    if (!AngleDefined(id.System, id.Kind)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (StoredAngle(id)) {
        return SegmentAngle(segment, id.System, id.Kind);
    }
    return AngleValues(segment, accepted, id.System)[static_cast<std::size_t>(id.Kind)];
}

}  // namespace tessarin::model
