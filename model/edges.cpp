#include "model/edges.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "base/text_file.h"
#include "base/two_halves.h"
#include "geometry/vector3.h"
#include "model/model.h"

namespace tessarin::model {

namespace {

const TVector3& End(const TSegment& segment, int end) {
    return end == 0 ? segment.Point1 : segment.Point2;
}

// A zero-length direction has no angle to anything; VectorAngle would call it 180 and
// break an edge at every degenerate segment. atan2 of the cross and dot products, not the
// arc cosine: pieces of one straight side turn by 1e-14 degrees, not by the 1e-6 that
// the arc cosine's rounding near 1 gives.
double Kink(const TVector3& in, const TVector3& out) {
    const double lengths = geometry::VectorLength(in) * geometry::VectorLength(out);
    if (!(lengths > 0.0)) {
        return 0.0;
    }
    const TVector3 cross = geometry::CrossProduct(in, out);
    const double dot = in.x * out.x + in.y * out.y + in.z * out.z;
    return std::atan2(geometry::VectorLength(cross), dot) * (180.0 / std::numbers::pi);
}

struct TAccumulator {
    double Min = std::numeric_limits<double>::infinity();
    double Max = -std::numeric_limits<double>::infinity();
    double WeightedSum = 0.0;
    double Weight = 0.0;
    double Sum = 0.0;
    std::int32_t Numbers = 0;
    std::int32_t NotNumbers = 0;

    void Add(double value, double length) {
        if (std::isnan(value)) {
            ++NotNumbers;
            return;
        }
        Min = std::min(Min, value);
        Max = std::max(Max, value);
        WeightedSum += value * length;
        Weight += length;
        Sum += value;
        ++Numbers;
    }

    void Merge(const TAccumulator& other) {
        Min = std::min(Min, other.Min);
        Max = std::max(Max, other.Max);
        WeightedSum += other.WeightedSum;
        Weight += other.Weight;
        Sum += other.Sum;
        Numbers += other.Numbers;
        NotNumbers += other.NotNumbers;
    }

    TAngleStats Stats() const {
        TAngleStats stats;
        stats.Numbers = Numbers;
        stats.NotNumbers = NotNumbers;
        if (Numbers > 0) {
            stats.Min = Min;
            stats.Max = Max;
            // Rounding may carry the mean of equal values a hair past them.
            stats.Mean = std::clamp(Weight > 0.0 ? WeightedSum / Weight : Sum / Numbers, Min, Max);
        }
        return stats;
    }
};

}  // namespace

int TAngleTable::IndexOf(const TAngleId& id) const {
    const auto found = std::find(Angles.begin(), Angles.end(), id);
    return found == Angles.end() ? -1 : static_cast<int>(found - Angles.begin());
}

TAngleTable ComputedAngleTable(const TModel& model) {
    TAngleTable table;
    for (const TAngleId& id : AllAngles()) {
        if (model.DefinedAngles.at(static_cast<std::size_t>(id.System))) {
            table.Angles.push_back(id);
        }
    }
    if (!model.CutEdgeExist) {
        return table;
    }
    table.SegmentCount = model.CutEdge.size();
    // Tens of megabytes for 100 k segments: taken a small page at a time, the fresh memory
    // would cost more than the values that fill it.
    const std::size_t count = table.SegmentCount * table.Angles.size();
    table.Values.reserve(count);
    base::AdviseLargeBuffer(table.Values.data(), count * sizeof(double));
    table.Values.resize(count);
    // All kinds of a system at once: the derived planes are built once per segment and
    // system, not once per angle. The values are those AngleValue gives, bit for bit, and
    // each half of the segments fills its own rows, so two threads give the same table.
    const std::size_t width = table.Angles.size();
    const auto fill = [&](std::size_t from, std::size_t to) {
        double* value = table.Values.data() + from * width;
        std::array<std::array<double, kAngleKindCount>, kSystemCount> kinds{};
        for (std::size_t i = from; i < to; ++i) {
            const TSegment& segment = model.CutEdge[i];
            for (int s = 0; s < kSystemCount; ++s) {
                if (model.DefinedAngles.at(static_cast<std::size_t>(s))) {
                    kinds.at(static_cast<std::size_t>(s)) =
                        AngleValues(segment, model.AcceptedCS, s);
                }
            }
            for (const TAngleId& id : table.Angles) {
                *value++ = kinds.at(static_cast<std::size_t>(id.System))
                               .at(static_cast<std::size_t>(id.Kind));
            }
        }
    };
    const std::size_t half = table.SegmentCount / 2;
    base::RunInTwoHalves([&] { fill(0, half); }, [&] { fill(half, table.SegmentCount); });
    return table;
}

std::optional<TJoint> JoinSegments(const TSegment& a, int aFrom, const TSegment& b,
                                   double pointTolerance) {
    // The chain's direction through a is known once a has a neighbour before it; a lone
    // first segment may be walked either way, its natural direction first.
    const std::array<int, 2> entries =
        aFrom < 0 ? std::array<int, 2>{0, 1} : std::array<int, 2>{aFrom, aFrom};
    for (const int entry : entries) {
        const TVector3& joint = End(a, 1 - entry);
        for (const int bEntry : {0, 1}) {
            if (geometry::SamePoint(joint, End(b, bEntry), pointTolerance)) {
                const TVector3 in = geometry::VectorFromTo(End(a, entry), joint);
                const TVector3 out = geometry::VectorFromTo(End(b, bEntry), End(b, 1 - bEntry));
                return TJoint{Kink(in, out), 1 - bEntry, entry};
            }
        }
    }
    return std::nullopt;
}

TEdges GroupEdges(const TCutEdgeData& segments, double pointTolerance, double kinkAngle) {
    TEdges result;
    const auto n = static_cast<std::int32_t>(segments.size());
    if (n == 0) {
        return result;
    }
    result.EdgeOfSegment.assign(segments.size(), 0);
    // The end each segment is entered by along its chain, -1 while it is unknown.
    std::vector<int> entryOf(segments.size(), -1);
    std::vector<TEdge> edges;
    edges.push_back({1, 0, 1, 0.0, segments[0].Polar, segments[0].Polar});
    for (std::int32_t i = 1; i < n; ++i) {
        const auto prev = static_cast<std::size_t>(i - 1);
        const auto at = static_cast<std::size_t>(i);
        const std::optional<TJoint> joint =
            JoinSegments(segments[prev], entryOf[prev], segments[at], pointTolerance);
        if (joint) {
            entryOf[prev] = joint->AEntry;
            entryOf[at] = 1 - joint->BExit;
        }
        // "not above": a NaN kink (a NaN coordinate) keeps the edge whole.
        if (joint && !(joint->Kink > kinkAngle)) {
            TEdge& edge = edges.back();
            ++edge.Count;
            edge.PolarTo = segments[at].Polar;
        } else {
            edges.push_back({0, i, 1, 0.0, segments[at].Polar, segments[at].Polar});
        }
    }
    // Across +-180: the last chain goes on into the first when they meet without a kink.
    if (edges.size() > 1) {
        const auto last = static_cast<std::size_t>(n - 1);
        const std::optional<TJoint> joint =
            JoinSegments(segments[last], entryOf[last], segments[0], pointTolerance);
        // The first segment must be entered by the end its own chain did not use.
        const bool fits = joint && (entryOf[0] < 0 || 1 - joint->BExit == entryOf[0]);
        if (fits && !(joint->Kink > kinkAngle)) {
            TEdge merged = edges.back();
            merged.Count += edges.front().Count;
            merged.PolarTo = edges.front().PolarTo;
            edges.pop_back();
            edges.front() = merged;
        }
    }
    for (std::size_t e = 0; e < edges.size(); ++e) {
        TEdge& edge = edges[e];
        edge.Number = static_cast<std::int32_t>(e + 1);
        for (std::int32_t k = 0; k < edge.Count; ++k) {
            const auto s = static_cast<std::size_t>((edge.First + k) % n);
            result.EdgeOfSegment[s] = static_cast<std::int32_t>(e);
            edge.Length += geometry::VectorLength(segments[s].Direct);
        }
    }
    result.Edges = std::move(edges);
    return result;
}

TEdgeReport SummarizeEdges(const TCutEdgeData& segments, const TEdges& edges,
                           const TAngleTable& table) {
    const std::size_t angles = table.Angles.size();
    std::vector<TAccumulator> perEdge(edges.Edges.size() * angles);
    const std::size_t rows = std::min(segments.size(), table.SegmentCount);
    for (std::size_t s = 0; s < rows; ++s) {
        const double length = geometry::VectorLength(segments[s].Direct);
        const auto edge = static_cast<std::size_t>(edges.EdgeOfSegment[s]);
        TAccumulator* own = perEdge.data() + edge * angles;
        const double* values = table.Values.data() + s * angles;
        for (std::size_t a = 0; a < angles; ++a) {
            own[a].Add(values[a], length);
        }
    }
    // The tool's figures from the edges' own: one pass over the table, not two.
    std::vector<TAccumulator> tool(angles);
    for (std::size_t e = 0; e < edges.Edges.size(); ++e) {
        for (std::size_t a = 0; a < angles; ++a) {
            tool[a].Merge(perEdge[e * angles + a]);
        }
    }
    TEdgeReport report;
    report.Edges.reserve(edges.Edges.size());
    for (std::size_t e = 0; e < edges.Edges.size(); ++e) {
        const TEdge& edge = edges.Edges[e];
        TEdgeSummary summary{edge.Number,    edge.Count,   edge.Length,
                             edge.PolarFrom, edge.PolarTo, {}};
        summary.Angles.reserve(angles);
        for (std::size_t a = 0; a < angles; ++a) {
            summary.Angles.push_back(perEdge[e * angles + a].Stats());
        }
        report.Edges.push_back(std::move(summary));
    }
    TEdgeSummary& all = report.Tool;
    all.Segments = static_cast<std::int32_t>(segments.size());
    for (const TEdge& edge : edges.Edges) {
        all.Length += edge.Length;
    }
    if (!segments.empty()) {
        all.PolarFrom = segments.front().Polar;
        all.PolarTo = segments.back().Polar;
    }
    for (const TAccumulator& accumulator : tool) {
        all.Angles.push_back(accumulator.Stats());
    }
    return report;
}

TEdges GroupModelEdges(const TModel& model) {
    if (!model.CutEdgeExist) {
        return {};
    }
    const TGeometrySettings& settings = model.SurfaceData.GeometrySettings;
    return GroupEdges(model.CutEdge, settings.PointTolerance, settings.EdgeKinkAngle);
}

}  // namespace tessarin::model
