// Fuzzes the cutting-edge search and its limits on small models. The bytes choose the
// sorting angles, a scale and a palette of up to 32 vertices, then up to 256 facets as
// three palette indices and a byte for the stored normal and a nudge of about the point
// tolerance, so that shared and nearly shared vertices are common; a tiny scale collapses
// the whole palette within the tolerance, a huge or a not-a-number coordinate puts
// polygons off the search grid. The model is sorted and searched, and:
//  - a found cutting edge is exactly the literal search's, ordered and numbered, with
//    columns 1 and 2 filled;
//  - a refusal happens exactly when the candidate pairs or the segments of the unlimited
//    search exceed the limits, and says so;
//  - no segment gives exactly the no-intersection reason;
//  - on any failure the model is unchanged, and progress is always balanced.
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "geometry/vector3.h"
#include "model/cut_edge.h"
#include "model/model.h"
#include "tests/support/cut_edge_reference.h"
#include "tests/support/same_bits.h"

using namespace tessarin::model;

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

class TBytes {
public:
    TBytes(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}
    bool Empty() const { return Position >= Size; }
    std::uint8_t Next() { return Position < Size ? Data[Position++] : 0; }

private:
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t Position = 0;
};

class TCheckedProgress final : public TProgress {
public:
    void Start(std::string_view, int maximum) override {
        Check(maximum >= 0);
        Check(!Open);
        Open = true;
    }
    void Step(int count) override {
        Check(Open);
        Check(count >= 0);
    }
    void Finish() override {
        Check(Open);
        Open = false;
    }
    bool Open = false;
};

using tessarin::test::SameBits;
// The fields the search sets; the angles stay zero.
bool SameBits(const TSegment& a, const TSegment& b) {
    return SameBits(a.Point1, b.Point1) && SameBits(a.Point2, b.Point2) &&
           SameBits(a.Direct, b.Direct) && SameBits(a.Polar, b.Polar) &&
           SameBits(a.Front, b.Front) && SameBits(a.Back, b.Back) && a.ISK == TAngles3{} &&
           a.SSK == TAngles4{} && a.KSK == TAngles4{} && a.DSK == TAngles4{} &&
           a.Number == b.Number;
}

constexpr std::array<double, 8> kScales{1.0, 0.01, 0.001, 0.0004, 1e-5, 1e3, 1e9, 1e12};
constexpr std::array<double, 4> kNudges{0.0009, -0.0009, 0.001, -0.0005};
constexpr std::size_t kMaxFacets = 256;

TVector3 Normal(std::uint8_t choice, const TPolygon& p) {
    const double cx = (p.Vert1.x + p.Vert2.x + p.Vert3.x) / 3.0;
    const double cy = (p.Vert1.y + p.Vert2.y + p.Vert3.y) / 3.0;
    const double r = std::hypot(cx, cy);
    switch (choice % 8) {
        case 0:
            return {0, 0, 1};  // rake
        case 1:
            return {0, 0.2, 0.98};
        case 2:
            return {cx / r, cy / r, 0.05};  // flank, facing away from the axis
        case 3:
            return {-cx / r, -cy / r, 0};  // flank facing the axis
        case 4:
            return {0, 0, -1};
        case 5:
            return tessarin::geometry::Normalize(tessarin::geometry::CrossProduct(
                tessarin::geometry::VectorFromTo(p.Vert1, p.Vert2),
                tessarin::geometry::VectorFromTo(p.Vert1, p.Vert3)));
        case 6:
            return {1, 0, 0};
        default:
            return {std::numeric_limits<double>::quiet_NaN(), 0, 0.5};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TBytes bytes(data, size);
    const std::uint8_t setup = bytes.Next();
    TModel model(setup & 1 ? ',' : '.');
    TGeometrySettings& settings = model.SurfaceData.GeometrySettings;
    settings = kDefaultGeometrySettings;
    settings.Gamma = std::array<double, 4>{80, 89.99, 45, 90}[(setup >> 1) & 3];
    settings.Alpha = std::array<double, 4>{10, 90, 1, 45}[(setup >> 3) & 3];
    settings.DiscardInt = (setup >> 5) & 1;
    const bool wild = (setup >> 6) & 1;
    const double scale = kScales[bytes.Next() % kScales.size()];

    std::array<TVector3, 32> palette{};
    const std::size_t paletteSize = 1 + bytes.Next() % palette.size();
    for (std::size_t i = 0; i < paletteSize; ++i) {
        std::array<double, 3> c{};
        for (double& v : c) {
            const auto raw = static_cast<std::int8_t>(bytes.Next());
            if (wild && raw == -128) {
                v = std::numeric_limits<double>::quiet_NaN();
            } else if (wild && raw == 127) {
                v = std::numeric_limits<double>::infinity();
            } else {
                v = raw * scale;
            }
        }
        palette[i] = {c[0], c[1], c[2]};
    }

    TSurface& polygons = model.SurfaceData.Polygons;
    while (!bytes.Empty() && polygons.size() < kMaxFacets) {
        std::array<TVector3, 3> v{};
        for (TVector3& p : v) {
            p = palette[bytes.Next() % paletteSize];
        }
        const std::uint8_t role = bytes.Next();
        if (role & 0x80) {
            TVector3& p = v[(role >> 3) % 3];
            const double d = kNudges[(role >> 5) & 3];
            ((role >> 4) & 1 ? p.x : p.z) += d;
        }
        TPolygon polygon{v[0], v[1], v[2], {}};
        polygon.Normal = Normal(role, polygon);
        polygons.push_back(polygon);
    }
    model.SurfaceData.PolygonCount = static_cast<std::int32_t>(polygons.size());
    model.SurfaceData.SurfaceExist = true;
    model.SurfaceData.SortSurfaces();
    model.Columns[1] = {"kept"};
    model.Columns[2] = {"kept too"};

    const TSurface& front = model.SurfaceData.FrontPolygons;
    const TSurface& back = model.SurfaceData.BackPolygons;
    TCutEdgeData expected;
    tessarin::test::ReferenceCollectSegments(front, back, expected);
    TCutEdgeData unlimited;
    const TCutEdgeSearchSize search = CollectCutEdgeSegments(front, back, unlimited);
    Check(!search.Refused);
    Check(search.Segments == expected.size());
    Check(3 * search.Segments <= 4 * search.CandidatePairs);
    const TCutEdgeLimits limits = CutEdgeLimits(front.size() + back.size());
    const bool beyond =
        search.CandidatePairs > limits.CandidatePairs || search.Segments > limits.Segments;

    const bool modified = model.SurfaceData.Modified;
    TCheckedProgress progress;
    const TResult result = model.FindCutEdge(progress);
    Check(!progress.Open);
    Check(model.SurfaceData.Modified == modified);
    Check(result.Ok() == model.CutEdgeExist);
    if (result) {
        Check(!beyond && !expected.empty());
        Check(result.Reason().empty());
        tessarin::test::ReferenceOrderByPolar(expected);
        Check(model.CutEdge.size() == expected.size());
        Check(model.SegmentCount == static_cast<std::int32_t>(expected.size()));
        for (std::size_t i = 0; i < expected.size(); ++i) {
            expected[i].Number = static_cast<std::int32_t>(i + 1);
            Check(SameBits(model.CutEdge[i], expected[i]));
        }
        Check(model.Columns[1].size() == expected.size() + 1 && model.Columns[1][0] == "№");
        Check(model.Columns[2].size() == expected.size() + 1 && model.Columns[2][0].empty());
        return 0;
    }
    if (beyond) {
        Check(result.Reason().starts_with("Режущая кромка не определяется: "));
    } else {
        Check(expected.empty());
        Check(result.Reason().starts_with("Нет пересечений передней и задней поверхностей ("));
    }
    Check(model.CutEdge.empty() && model.SegmentCount == 0);
    Check(model.Columns[1] == TStringList{"kept"} && model.Columns[2] == TStringList{"kept too"});
    return 0;
}
