// Detection of the cutting edge: triangle edges that a front polygon shares with a back
// polygon, turned into segments and ordered by the polar angle of their midpoints.
//
// The result is defined by a loop over every (front, back) pair running six vertex-pairing
// tests, followed by an exchange sort. Both are quadratic, so the pairs that can produce
// a segment are found on a uniform grid over the vertex coordinates (spatial hashing with
// a bit filter in front of it), visited in the same (front, back) order, and the sort is
// replaced by a key sort that gives the same permutation.
#include "model/cut_edge.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "geometry/vector3.h"
#include "model/model.h"

namespace tessarin::model {

namespace {

using geometry::SamePoint;

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

// Cells are twenty times the point tolerance wide (0.02 at the default 0.001, 1/50 of a
// unit), so a vertex has partners in a neighbouring cell only when it lies within a
// twentieth of a cell of that side. kReach, twice that, is the offset below which (or
// above 1 - kReach) the neighbour is searched too; the factor two leaves room for the
// rounding of the scaled coordinates. In cells, nothing depends on the tolerance: a model
// searched with k times the tolerance is searched as the model shrunk k times.
constexpr double kCellsPerUnit = 50.0;  // at kDefaultPointTolerance
constexpr double kReach = 2.0 * kDefaultPointTolerance * kCellsPerUnit;

// Cells per unit for a tolerance; exactly kCellsPerUnit at the default.
double CellsPerUnit(double tolerance) {
    return kCellsPerUnit * (kDefaultPointTolerance / tolerance);
}
// A scaled coordinate at or beyond this, or one that is not finite, keeps its polygon
// off the grid. Below it the cell index fits an integer and the rounding of the scaled
// coordinate (at most 2^-13 of a cell) stays far inside the margin.
constexpr double kGridLimit = 0x1p40;

using TCell = std::array<std::int64_t, 3>;

// Where a vertex lies on the grid: its cell and, per axis, the direction (-1, 0, +1) of
// the neighbouring cell that may also hold vertices within the tolerance.
struct TGridPoint {
    TCell Cell{};
    std::array<std::int8_t, 3> Side{};

    // The cell and the neighbours a partner can lie in: 1, 2, 4 or 8 cells. `visit`
    // returns true to stop early.
    template <class TVisit>
    bool ForEachNear(TVisit&& visit) const {
        for (int i = 0; i < 8; ++i) {
            TCell cell = Cell;
            bool used = true;
            for (std::size_t k = 0; k < 3 && used; ++k) {
                if ((i >> k) & 1) {
                    used = Side[k] != 0;
                    cell[k] += Side[k];
                }
            }
            if (used && visit(cell)) {
                return true;
            }
        }
        return false;
    }
};

bool Locate(const TVector3& v, double cellsPerUnit, TGridPoint& at) {
    const std::array<double, 3> coordinates{v.x, v.y, v.z};
    for (std::size_t k = 0; k < 3; ++k) {
        const double t = coordinates[k] * cellsPerUnit;
        if (!(std::fabs(t) < kGridLimit)) {  // NaN fails too
            return false;
        }
        // Floor through the truncating conversion; both are exact in this range.
        auto cell = static_cast<std::int64_t>(t);
        if (t < static_cast<double>(cell)) {
            --cell;
        }
        const double offset = t - static_cast<double>(cell);
        at.Cell[k] = cell;
        at.Side[k] =
            static_cast<std::int8_t>(offset < kReach ? -1 : (offset > 1.0 - kReach ? 1 : 0));
    }
    return true;
}

std::uint64_t CellHash(const TCell& cell) {
    std::uint64_t h = static_cast<std::uint64_t>(cell[0]) * 0x9E3779B97F4A7C15ULL;
    h ^= static_cast<std::uint64_t>(cell[1]) * 0xC2B2AE3D27D4EB4FULL;
    h ^= static_cast<std::uint64_t>(cell[2]) * 0x165667B19E3779F9ULL;
    h ^= h >> 31;
    h *= 0xD6E8FEB86659FD93ULL;
    h ^= h >> 32;
    return h;
}

// A set of cells that may answer "yes" for a cell never inserted (a Bloom filter with
// three bits per cell, all in one word, so that a test costs one memory access). It is
// sized at four bits per expected insertion: a vertex is shared by about six triangles,
// which leaves some twenty bits per distinct cell, false answers for about one front
// vertex in a hundred, and a filter small enough to stay in the cache.
class TCellFilter {
public:
    explicit TCellFilter(std::size_t expectedCells) {
        const std::size_t words = std::bit_ceil(std::max<std::size_t>(expectedCells / 16, 64));
        Shift = 64 - std::countr_zero(words);
        Words.assign(words, 0);
    }

    void Insert(std::uint64_t hash) { Words[hash >> Shift] |= Bits(hash); }
    [[nodiscard]] bool Contains(std::uint64_t hash) const {
        const std::uint64_t bits = Bits(hash);
        return (Words[hash >> Shift] & bits) == bits;
    }

private:
    static std::uint64_t Bits(std::uint64_t hash) {
        return (std::uint64_t{1} << (hash & 63)) | (std::uint64_t{1} << ((hash >> 6) & 63)) |
               (std::uint64_t{1} << ((hash >> 12) & 63));
    }

    std::vector<std::uint64_t> Words;
    int Shift = 0;
};

const TVector3& Vertex(const TPolygon& polygon, std::uint32_t slot) {
    return slot == 0 ? polygon.Vert1 : (slot == 1 ? polygon.Vert2 : polygon.Vert3);
}

// (front index << 32) | back index: sorting these keys gives the order of the loop.
using TPairKey = std::uint64_t;

TPairKey PairKey(std::size_t front, std::size_t back) {
    return (static_cast<TPairKey>(front) << 32) | static_cast<TPairKey>(back);
}

std::size_t FrontOf(TPairKey key) {
    return static_cast<std::size_t>(key >> 32);
}
std::size_t BackOf(TPairKey key) {
    return static_cast<std::size_t>(key & 0xFFFFFFFFULL);
}

struct TVertexRef {
    std::uint32_t Polygon;
    std::uint32_t Slot;
};

struct TBackVertex {
    std::uint64_t Hash;  // of its cell; cells that collide are told apart by SamePoint
    TVertexRef Ref;
};

bool OnGrid(const TPolygon& polygon, double cellsPerUnit, std::array<TGridPoint, 3>& at) {
    return Locate(polygon.Vert1, cellsPerUnit, at[0]) &&
           Locate(polygon.Vert2, cellsPerUnit, at[1]) && Locate(polygon.Vert3, cellsPerUnit, at[2]);
}

// Polygons that have a vertex off the grid are left out of it; they are paired with
// every polygon of the other list instead, since SamePoint lets a NaN coordinate match
// anything.
struct TCandidates {
    std::vector<TPairKey> Pairs;              // sorted, unique
    std::vector<std::uint32_t> FrontOffGrid;  // ascending
    std::vector<std::uint32_t> BackOffGrid;   // ascending
    std::uint64_t Count = 0;                  // candidate pairs, as CollectCutEdgeSegments counts
    bool Refused = false;                     // Count beyond the limit: nothing else is filled
};

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}
std::uint64_t SaturatingMultiply(std::uint64_t a, std::uint64_t b) {
    return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b;
}

// Every pair of an off-grid polygon with a polygon of the other list is tested vertex
// against vertex: it counts as the nine vertex pairs it compares.
std::uint64_t OffGridCandidates(const TCandidates& candidates, std::size_t frontCount,
                                std::size_t backCount) {
    const std::uint64_t frontOff = candidates.FrontOffGrid.size();
    const std::uint64_t backOff = candidates.BackOffGrid.size();
    const std::uint64_t polygonPairs =
        SaturatingAdd(SaturatingMultiply(frontOff, backCount),
                      SaturatingMultiply(frontCount - frontOff, backOff));
    return SaturatingMultiply(polygonPairs, 9);
}

// The (front, back) pairs with a vertex of each within the tolerance. Work and memory
// follow the number of polygons near the cutting edge: two bit filters, one over the
// cells of all back vertices and one over the near cells of the front vertices that
// passed the first, narrow the search down before anything is stored per vertex.
// Before anything is stored per pair, the candidates are counted (the back vertices in
// the near cells of every front vertex, by binary search, so counting costs the same
// however crowded the cells are); beyond `limit` the search stops there.
TCandidates FindCandidates(const TSurface& front, const TSurface& back, std::uint64_t limit,
                           double tolerance) {
    TCandidates result;
    const double cellsPerUnit = CellsPerUnit(tolerance);

    TCellFilter backCells(back.size() * 3);
    for (std::size_t b = 0; b < back.size(); ++b) {
        std::array<TGridPoint, 3> at;
        if (!OnGrid(back[b], cellsPerUnit, at)) {
            result.BackOffGrid.push_back(static_cast<std::uint32_t>(b));
            continue;
        }
        for (const TGridPoint& point : at) {
            backCells.Insert(CellHash(point.Cell));
        }
    }

    std::vector<TVertexRef> frontVertices;
    for (std::size_t f = 0; f < front.size(); ++f) {
        std::array<TGridPoint, 3> at;
        if (!OnGrid(front[f], cellsPerUnit, at)) {
            result.FrontOffGrid.push_back(static_cast<std::uint32_t>(f));
            continue;
        }
        for (std::uint32_t slot = 0; slot < 3; ++slot) {
            const bool reachable = at[slot].ForEachNear(
                [&](const TCell& cell) { return backCells.Contains(CellHash(cell)); });
            if (reachable) {
                frontVertices.push_back({static_cast<std::uint32_t>(f), slot});
            }
        }
    }
    result.Count = OffGridCandidates(result, front.size(), back.size());
    if (frontVertices.empty() || back.empty()) {
        result.Refused = result.Count > limit;
        return result;
    }

    TCellFilter frontCells(frontVertices.size() * 8);
    for (const TVertexRef& ref : frontVertices) {
        TGridPoint at;
        Locate(Vertex(front[ref.Polygon], ref.Slot), cellsPerUnit, at);
        at.ForEachNear([&](const TCell& cell) {
            frontCells.Insert(CellHash(cell));
            return false;
        });
    }
    std::vector<TBackVertex> backVertices;
    std::size_t offGrid = 0;
    for (std::size_t b = 0; b < back.size(); ++b) {
        if (offGrid < result.BackOffGrid.size() && result.BackOffGrid[offGrid] == b) {
            ++offGrid;
            continue;
        }
        for (std::uint32_t slot = 0; slot < 3; ++slot) {
            TGridPoint at;
            Locate(Vertex(back[b], slot), cellsPerUnit, at);
            const std::uint64_t hash = CellHash(at.Cell);
            if (frontCells.Contains(hash)) {
                backVertices.push_back({hash, {static_cast<std::uint32_t>(b), slot}});
            }
        }
    }
    const auto byHash = [](const TBackVertex& p, const TBackVertex& q) { return p.Hash < q.Hash; };
    std::sort(backVertices.begin(), backVertices.end(), byHash);
    const auto cellOf = [&](std::uint64_t hash) {
        return std::equal_range(backVertices.begin(), backVertices.end(), TBackVertex{hash, {0, 0}},
                                byHash);
    };

    for (const TVertexRef& ref : frontVertices) {
        TGridPoint at;
        Locate(Vertex(front[ref.Polygon], ref.Slot), cellsPerUnit, at);
        at.ForEachNear([&](const TCell& cell) {
            const auto [first, last] = cellOf(CellHash(cell));
            result.Count = SaturatingAdd(result.Count, static_cast<std::uint64_t>(last - first));
            return false;
        });
    }
    if (result.Count > limit) {
        result.Refused = true;
        return result;
    }

    for (const TVertexRef& ref : frontVertices) {
        const TVector3& point = Vertex(front[ref.Polygon], ref.Slot);
        TGridPoint at;
        Locate(point, cellsPerUnit, at);
        at.ForEachNear([&](const TCell& cell) {
            const std::uint64_t hash = CellHash(cell);
            auto it = std::lower_bound(backVertices.begin(), backVertices.end(),
                                       TBackVertex{hash, {0, 0}}, byHash);
            for (; it != backVertices.end() && it->Hash == hash; ++it) {
                if (SamePoint(point, Vertex(back[it->Ref.Polygon], it->Ref.Slot), tolerance)) {
                    result.Pairs.push_back(PairKey(ref.Polygon, it->Ref.Polygon));
                }
            }
            return false;
        });
    }
    std::sort(result.Pairs.begin(), result.Pairs.end());
    result.Pairs.erase(std::unique(result.Pairs.begin(), result.Pairs.end()), result.Pairs.end());
    return result;
}

// Only here, where a pair shares a vertex, is the angle worth computing. With no smallest
// angle (0, or NaN) every pair counts, as VectorAngle is never below 0.
bool NormalsApart(const TPolygon& front, const TPolygon& back, double minNormalAngle) {
    return !(minNormalAngle > 0.0) ||
           !(geometry::VectorAngle(front.Normal, back.Normal) < minNormalAngle);
}

// One segment found: the pair and the two front vertices, in detection order.
struct TFound {
    std::uint32_t Front;
    std::uint32_t Back;
    std::uint8_t A;
    std::uint8_t B;
};

// The six pairing blocks for one pair. They are independent tests, not alternatives;
// the first three join their two alternatives by "or", the last three test them
// separately, so a degenerate back triangle can give the same edge twice.
void PairVertices(const TSurface& front, const TSurface& back, std::uint32_t f, std::uint32_t b,
                  const TCutEdgeSearch& search, std::vector<TFound>& found) {
    const TPolygon& fp = front[f];
    const TPolygon& bp = back[b];
    const double tolerance = search.PointTolerance;
    const bool m11 = SamePoint(fp.Vert1, bp.Vert1, tolerance);
    const bool m12 = SamePoint(fp.Vert1, bp.Vert2, tolerance);
    const bool m13 = SamePoint(fp.Vert1, bp.Vert3, tolerance);
    const bool m21 = SamePoint(fp.Vert2, bp.Vert1, tolerance);
    const bool m22 = SamePoint(fp.Vert2, bp.Vert2, tolerance);
    const bool m23 = SamePoint(fp.Vert2, bp.Vert3, tolerance);
    if (!(m11 || m12 || m13 || m21 || m22 || m23)) {
        return;  // every block needs the first or the second front vertex
    }
    if (!NormalsApart(fp, bp, search.MinNormalAngle)) {
        return;
    }
    const bool m31 = SamePoint(fp.Vert3, bp.Vert1, tolerance);
    const bool m32 = SamePoint(fp.Vert3, bp.Vert2, tolerance);
    const bool m33 = SamePoint(fp.Vert3, bp.Vert3, tolerance);
    const auto add = [&](std::uint8_t a, std::uint8_t c) { found.push_back({f, b, a, c}); };
    if (m11) {
        if (m22 || m23) {
            add(0, 1);
        }
        if (m32 || m33) {
            add(0, 2);
        }
    }
    if (m12) {
        if (m21 || m23) {
            add(0, 1);
        }
        if (m31 || m33) {
            add(0, 2);
        }
    }
    if (m13) {
        if (m21 || m22) {
            add(0, 1);
        }
        if (m31 || m32) {
            add(0, 2);
        }
    }
    if (m21) {
        if (m32) {
            add(1, 2);
        }
        if (m33) {
            add(1, 2);
        }
    }
    if (m22) {
        if (m33) {
            add(1, 2);
        }
        if (m31) {
            add(1, 2);
        }
    }
    if (m23) {
        if (m31) {
            add(1, 2);
        }
        if (m32) {
            add(1, 2);
        }
    }
}

// What a real tool needs. Its cutting edge pairs few vertices: a vertex on the edge is
// shared by a handful of rake and flank triangles, and most polygons lie nowhere near the
// edge. The sample tools of 1 k to 1 M facets count 0.04 to 0.9 candidate pairs per front
// or back polygon; their variant with 100 k edge pieces of 0.005 mm, far finer than any
// exporter makes them, 12. A model whose units are not millimetres (metres, or scaled
// down otherwise) puts many vertices into one cell or within the point tolerance of one
// another: the sample tool in metres counts 300, shrunk by 1e5 5000, and a model that has
// collapsed grows with the square of its polygons. 256 leaves a margin of 20 over the
// finest edge and bounds the pairs stored to 2 KB per polygon.
constexpr std::uint64_t kCandidatePairsPerPolygon = 256;
// The sample tools find 0.04 to 0.25 segments per front or back polygon; every polygon in
// both lists (the widest sorting angles) gives 3, each sharing its three edges with
// itself and with its neighbours. 16 bounds the segments to some 6 KB per polygon; more
// means vertices collapsed within the tolerance (the segments then grow with the square
// of the polygons) or faces stored many times over.
constexpr std::uint64_t kSegmentsPerPolygon = 16;

// Digits grouped by thousands with a space, as the warning texts show counts.
std::string GroupedCount(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t i = digits.size(); i > 3; i -= 3) {
        digits.insert(i - 3, 1, ' ');
    }
    return digits;
}

// Three significant digits, the decimal separator of the model's texts.
std::string Approximate(double value, char separator) {
    std::array<char, 32> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 3);
    std::string out = error == std::errc{} ? std::string(text.data(), end) : std::string("?");
    std::replace(out.begin(), out.end(), '.', separator);
    return out;
}

// The diagonal of the box around the finite vertices of both lists; 0 without any.
double Diagonal(const TSurface& front, const TSurface& back) {
    std::array<double, 3> low{INFINITY, INFINITY, INFINITY};
    std::array<double, 3> high{-INFINITY, -INFINITY, -INFINITY};
    for (const TSurface* list : {&front, &back}) {
        for (const TPolygon& polygon : *list) {
            for (const TVector3* v : {&polygon.Vert1, &polygon.Vert2, &polygon.Vert3}) {
                const std::array<double, 3> c{v->x, v->y, v->z};
                for (std::size_t k = 0; k < 3; ++k) {
                    if (std::isfinite(c[k])) {
                        low[k] = std::min(low[k], c[k]);
                        high[k] = std::max(high[k], c[k]);
                    }
                }
            }
        }
    }
    double sum = 0.0;
    for (std::size_t k = 0; k < 3; ++k) {
        if (low[k] <= high[k]) {
            const double d = high[k] - low[k];
            sum += d * d;
        }
    }
    return std::sqrt(sum);
}

std::string RefusalReason(const TSurface& front, const TSurface& back,
                          const TCutEdgeSearchSize& size, double tolerance, char separator) {
    const std::size_t polygons = front.size() + back.size();
    const TCutEdgeLimits limits = CutEdgeLimits(polygons);
    const bool pairs = size.CandidatePairs > limits.CandidatePairs;
    const std::string what = pairs ? GroupedCount(size.CandidatePairs) + " пар вершин-кандидатов"
                                   : "более " + GroupedCount(limits.Segments) + " отрезков";
    const std::string allowed =
        pairs ? ", допустимо не более " + GroupedCount(limits.CandidatePairs) : std::string();
    return "Режущая кромка не определяется: " + what + " на " + GroupedCount(polygons) +
           " передних и задних граней (" + GroupedCount(front.size()) + " передних, " +
           GroupedCount(back.size()) + " задних)" + allowed + ". Вероятно, " +
           (pairs ? std::string() : std::string("грани модели многократно повторяются или ")) +
           "модель сохранена не в миллиметрах или не в своём масштабе: диагональ "
           "габарита поверхностей " +
           Approximate(Diagonal(front, back), separator) +
           ", а точки считаются совпадающими ближе " + Approximate(tolerance, separator) +
           " по каждой координате.";
}

// The counts tell which of the usual causes it is: no front or no back polygon at all
// (sorting limits, a tool axis other than Z), or both there but apart.
std::string NoIntersectionsReason(const TSurFaceData& surface, const TCutEdgeSearch& search,
                                  char separator) {
    std::string reason = std::string(kNoIntersections) +
                         " (передних граней: " + GroupedCount(surface.FrontPolygons.size()) +
                         ", задних: " + GroupedCount(surface.BackPolygons.size()) +
                         ", прочих: " + GroupedCount(surface.OtherPolygons.size()) +
                         "). Проверьте пределы сортировки, ось инструмента (Z) и единицы модели";
    if (search.MinNormalAngle > 0.0) {
        reason += ", а также наименьший угол между нормалями граней кромки (" +
                  Approximate(search.MinNormalAngle, separator) + ")";
    }
    return reason + ".";
}

}  // namespace

TSegment MakeSegment(const TVector3& a, const TVector3& b, const TPolygon& front,
                     const TPolygon& back) {
    const double polar = std::atan2((a.y + b.y) / 2.0, (a.x + b.x) / 2.0) * kDegreesPerRadian;
    double pa = std::atan2(a.y, a.x) * kDegreesPerRadian;
    double pb = std::atan2(b.y, b.x) * kDegreesPerRadian;
    // A segment across the negative X axis has one end near +180 and the other near
    // -180; the end on the far side of the midpoint is moved by a full turn so that the
    // comparison below sees the counter-clockwise order. The second test sees the result
    // of the first.
    if (pa >= 0.0 && pb < 0.0 && pa > 90.0 && pb < -90.0) {
        if (polar > 0.0) {
            pb += 360.0;
        }
        if (polar < 0.0) {
            pa -= 360.0;
        }
    }
    if (pa < 0.0 && pb >= 0.0 && pa < -90.0 && pb > 90.0) {
        if (polar > 0.0) {
            pa += 360.0;
        }
        if (polar < 0.0) {
            pb -= 360.0;
        }
    }
    TSegment segment;
    // Equal (or NaN) end angles take the second point first.
    const bool aFirst = pa < pb;
    segment.Point1 = aFirst ? a : b;
    segment.Point2 = aFirst ? b : a;
    segment.Direct = geometry::VectorFromTo(segment.Point1, segment.Point2);
    // The polar rule is arbitrary on an edge that runs (nearly) radially, such as the end
    // edge of a face mill or the side edge of a lathe tool: neighbouring segments could
    // run opposite ways, and every angle measured along Direct would flip with them. The
    // edge's own direction is the line where the two faces meet, front normal x back
    // normal; on a peripheral edge whose rake faces up and whose flank faces outwards it
    // runs counter-clockwise, as the polar rule does. Where the normals give no direction
    // (parallel, zero or NaN) the polar choice stays.
    const TVector3 along = geometry::CrossProduct(front.Normal, back.Normal);
    const TVector3& d = segment.Direct;
    if (along.x * d.x + along.y * d.y + along.z * d.z < 0.0) {
        std::swap(segment.Point1, segment.Point2);
        segment.Direct = geometry::VectorFromTo(segment.Point1, segment.Point2);
    }
    segment.Polar = polar;
    segment.Front = front;
    segment.Back = back;
    return segment;
}

TCutEdgeSearchSize CollectCutEdgeSegments(const TSurface& front, const TSurface& back,
                                          TCutEdgeData& segments, TProgress& progress,
                                          const TCutEdgeLimits& limits,
                                          const TCutEdgeSearch& search) {
    const TCandidates candidates =
        FindCandidates(front, back, limits.CandidatePairs, search.PointTolerance);
    if (candidates.Refused) {
        return {candidates.Count, 0, true};
    }
    const auto tooMany = [&](const std::vector<TFound>& found) {
        return found.size() > limits.Segments;
    };
    const std::vector<std::uint32_t>& backOffGrid = candidates.BackOffGrid;

    std::vector<TFound> found;
    TBatchedSteps steps(progress);
    std::size_t next = 0;         // first pair of the current front polygon
    std::size_t nextOffGrid = 0;  // next entry of FrontOffGrid
    for (std::size_t f = 0; f < front.size(); ++f) {
        const auto fi = static_cast<std::uint32_t>(f);
        if (nextOffGrid < candidates.FrontOffGrid.size() &&
            candidates.FrontOffGrid[nextOffGrid] == f) {
            ++nextOffGrid;
            for (std::size_t b = 0; b < back.size() && !tooMany(found); ++b) {
                PairVertices(front, back, fi, static_cast<std::uint32_t>(b), search, found);
            }
        } else {
            // Merge the grid pairs of this front polygon with the off-grid back polygons,
            // both ascending by back index and disjoint (off-grid polygons have no pairs).
            std::size_t end = next;
            while (end < candidates.Pairs.size() && FrontOf(candidates.Pairs[end]) == f) {
                ++end;
            }
            std::size_t p = next;
            std::size_t o = 0;
            while (p < end || o < backOffGrid.size()) {
                std::size_t b = 0;
                if (o == backOffGrid.size() ||
                    (p < end && BackOf(candidates.Pairs[p]) < backOffGrid[o])) {
                    b = BackOf(candidates.Pairs[p++]);
                } else {
                    b = backOffGrid[o++];
                }
                PairVertices(front, back, fi, static_cast<std::uint32_t>(b), search, found);
            }
            next = end;
        }
        if (tooMany(found)) {
            return {candidates.Count, limits.Segments + 1, true};
        }
        if (f + 1 < front.size()) {
            steps.Add();
        }
    }

    // TSegment is large: the output grows once, to its final size.
    segments.reserve(segments.size() + found.size());
    for (const TFound& item : found) {
        const TPolygon& fp = front[item.Front];
        segments.push_back(
            MakeSegment(Vertex(fp, item.A), Vertex(fp, item.B), fp, back[item.Back]));
    }
    return {candidates.Count, found.size(), false};
}

void OrderByPolar(TCutEdgeData& segments) {
    struct TKey {
        double Polar;
        std::size_t Index;
    };
    const std::size_t n = segments.size();
    std::vector<TKey> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
        keys[i] = {segments[i].Polar, i};
    }
    // The defining exchange sort swaps neighbours only when the first is strictly
    // greater, which is never true next to a NaN: a NaN stays in place, nothing crosses
    // it, and each run between NaNs ends up sorted on its own, equal values in their
    // original order (the index breaks ties; -0 and +0 are equal).
    const auto less = [](const TKey& p, const TKey& q) {
        return p.Polar < q.Polar || (p.Polar == q.Polar && p.Index < q.Index);
    };
    std::size_t start = 0;
    while (start < n) {
        if (std::isnan(keys[start].Polar)) {
            ++start;
            continue;
        }
        std::size_t end = start + 1;
        while (end < n && !std::isnan(keys[end].Polar)) {
            ++end;
        }
        std::sort(keys.begin() + static_cast<std::ptrdiff_t>(start),
                  keys.begin() + static_cast<std::ptrdiff_t>(end), less);
        start = end;
    }
    // Apply the permutation (new position i takes old keys[i].Index) cycle by cycle,
    // holding one segment aside per cycle.
    for (std::size_t i = 0; i < n; ++i) {
        if (keys[i].Index == i) {
            continue;
        }
        TSegment held = segments[i];
        std::size_t j = i;
        for (;;) {
            const std::size_t from = keys[j].Index;
            keys[j].Index = j;
            if (from == i) {
                segments[j] = held;
                break;
            }
            segments[j] = segments[from];
            j = from;
        }
    }
}

TCutEdgeLimits CutEdgeLimits(std::size_t polygons) {
    return {SaturatingMultiply(kCandidatePairsPerPolygon, polygons),
            SaturatingMultiply(kSegmentsPerPolygon, polygons)};
}

TResult TModel::FindCutEdge(TProgress& progress) {
    const TSurface& front = SurfaceData.FrontPolygons;
    const TSurface& back = SurfaceData.BackPolygons;
    const TGeometrySettings& settings = SurfaceData.GeometrySettings;
    const TCutEdgeSearch search{settings.PointTolerance, settings.MinNormalAngle};
    if (!(search.PointTolerance > 0.0) || !std::isfinite(search.PointTolerance)) {
        return TResult::Failure(
            "Режущая кромка не определяется: допуск совпадения точек должен быть "
            "положительным числом, задано " +
            Approximate(search.PointTolerance, DecimalSeparator));
    }
    TCutEdgeData found;
    TCutEdgeSearchSize size;
    {
        // No front polygon gives a maximum of -1, which the scope raises to 0.
        TProgressScope scope(progress, "Определение РК >>", ProgressMaximum(front.size()));
        size = CollectCutEdgeSegments(front, back, found, progress,
                                      CutEdgeLimits(front.size() + back.size()), search);
    }
    if (size.Refused) {
        return TResult::Failure(
            RefusalReason(front, back, size, search.PointTolerance, DecimalSeparator));
    }
    if (found.empty()) {
        // Nothing has changed.
        return TResult::Failure(NoIntersectionsReason(SurfaceData, search, DecimalSeparator));
    }
    {
        const int maximum = std::max(ProgressMaximum(found.size()) - 1, 0);
        TProgressScope scope(progress, "Сортировка РК >>", maximum);
        OrderByPolar(found);
        if (maximum > 0) {
            progress.Step(maximum);
        }
    }
    CutEdge = std::move(found);
    SegmentCount = static_cast<std::int32_t>(CutEdge.size());
    CutEdgeExist = true;
    FillNumberColumns();
    return TResult::Success();
}

}  // namespace tessarin::model
