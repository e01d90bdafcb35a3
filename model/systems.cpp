#include "model/systems.h"

#include <bit>
#include <cstdint>

#include "model/columns.h"

namespace tessarin::model {

const char* ColumnTitle(int k) {
    static const std::array<std::string, kSelectionColumnOffset> titles = [] {
        std::array<std::string, kSelectionColumnOffset> t;
        t[0] = "№";
        t[1] = "Угол в ПСК";
        for (int s = 0; s < kSystemCount; ++s) {
            const TSystemInfo& info = SystemInfo(s);
            for (int a = 0; a < info.AngleCount; ++a) {
                t.at(static_cast<std::size_t>(info.FirstColumn + a - 1)) =
                    std::string(info.TitlePrefix) + " " +
                    kAngles.at(static_cast<std::size_t>(a)).TitleWord;
            }
        }
        return t;
    }();
    return titles.at(static_cast<std::size_t>((k - 1) % kSelectionColumnOffset)).c_str();
}

TAnglePlace PlaceOfColumn(int k) {
    const int edgeColumn = k > kSelectionColumnOffset ? k - kSelectionColumnOffset : k;
    for (int s = 0; s < kSystemCount; ++s) {
        const TSystemInfo& info = SystemInfo(s);
        if (edgeColumn >= info.FirstColumn && edgeColumn < info.FirstColumn + info.AngleCount) {
            return {s, edgeColumn - info.FirstColumn};
        }
    }
    return {};
}

TAnglePlace PlaceOfQueryColumn(int column) {
    for (int s = 0; s < kSystemCount; ++s) {
        const TSystemInfo& info = SystemInfo(s);
        if (column >= info.FirstQueryColumn && column < info.FirstQueryColumn + info.AngleCount) {
            return {s, column - info.FirstQueryColumn};
        }
    }
    return {};
}

std::string QueryColumnKey(int column) {
    const TAnglePlace place = PlaceOfQueryColumn(column);
    if (place.System < 0) {
        return {};
    }
    return std::string(SystemInfo(place.System).Key) + "." +
           kAngles.at(static_cast<std::size_t>(place.Angle)).Key;
}

std::optional<int> QueryColumnOfKey(std::string_view key) {
    for (int s = 0; s < kSystemCount; ++s) {
        const TSystemInfo& info = SystemInfo(s);
        for (int a = 0; a < info.AngleCount; ++a) {
            if (key == QueryColumnKey(info.FirstQueryColumn + a)) {
                return info.FirstQueryColumn + a;
            }
        }
    }
    return std::nullopt;
}

std::optional<int> SystemOfKey(std::string_view key) {
    for (int s = 0; s < kSystemCount; ++s) {
        if (key == SystemInfo(s).Key) {
            return s;
        }
    }
    return std::nullopt;
}

std::array<double, kMaxAnglesPerSystem> SegmentAngles(const TSegment& segment, int system) {
    // Stored A, G, L, F; seen G, A, L, F.
    switch (system) {
        case kISK:
            return {segment.ISK.G, segment.ISK.A, segment.ISK.L, 0.0};
        case kSSK:
            return {segment.SSK.G, segment.SSK.A, segment.SSK.L, segment.SSK.F};
        case kKSK:
            return {segment.KSK.G, segment.KSK.A, segment.KSK.L, segment.KSK.F};
        default:
            return {segment.DSK.G, segment.DSK.A, segment.DSK.L, segment.DSK.F};
    }
}

double SegmentAngle(const TSegment& segment, int system, int angle) {
    return SegmentAngles(segment, system).at(static_cast<std::size_t>(angle));
}

void ClearSegmentAngles(TSegment& segment, int system) {
    switch (system) {
        case kISK:
            segment.ISK = {};
            break;
        case kSSK:
            segment.SSK = {};
            break;
        case kKSK:
            segment.KSK = {};
            break;
        default:
            segment.DSK = {};
            break;
    }
}

void CopySegmentAngles(const TSegment& from, TSegment& to, int system) {
    switch (system) {
        case kISK:
            to.ISK = from.ISK;
            break;
        case kSSK:
            to.SSK = from.SSK;
            break;
        case kKSK:
            to.KSK = from.KSK;
            break;
        default:
            to.DSK = from.DSK;
            break;
    }
}

TSystemFrame FrameOf(const CSValues& accepted, int system) {
    switch (system) {
        case kISK:
            return {{0.0, 0.0, 1.0}, {}, {}};
        case kSSK:
            return {accepted.SSK.OP, accepted.FeedPlan.FP, {}};
        case kKSK:
            return {accepted.KSK.OP, accepted.FeedPlan.FP, {}};
        default:
            return {accepted.SSK.OP, accepted.FeedPlan.FP, accepted.DSK.SP};
    }
}

namespace {

bool SameBits(const TVector3& a, const TVector3& b) {
    return std::bit_cast<std::uint64_t>(a.x) == std::bit_cast<std::uint64_t>(b.x) &&
           std::bit_cast<std::uint64_t>(a.y) == std::bit_cast<std::uint64_t>(b.y) &&
           std::bit_cast<std::uint64_t>(a.z) == std::bit_cast<std::uint64_t>(b.z);
}

}  // namespace

bool SameFrame(const TSystemFrame& a, const TSystemFrame& b) {
    return SameBits(a.N, b.N) && SameBits(a.P, b.P) && SameBits(a.S, b.S);
}

}  // namespace tessarin::model
