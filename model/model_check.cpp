// The model check of an import. Vertices are welded once, by exact value, through an
// open-addressing hash table; duplicates and edges are then found by bucketing the
// facets and edges by their smallest vertex index (a counting sort, linear and with few
// cache misses), never by sorting the whole model.
#include "model/model_check.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "base/number_format.h"
#include "model/import_options.h"

namespace tessarin::model {

namespace {

constexpr std::string_view kProgressText = "Проверка модели >>";

// A symmetry axis is suggested when the two close eigenvalues differ by less than this
// share of the gap to the third, and that gap is at least kDistinctShare of the largest
// eigenvalue; and only when the axis is more than kAxisOffDegrees from Z.
constexpr double kPairShare = 0.1;
constexpr double kDistinctShare = 0.05;
constexpr double kAxisOffDegrees = 10.0;
// A suggested axis this close to a coordinate axis is given as that axis.
constexpr double kAxisSnap = 1e-6;

std::uint64_t Bits(double v) {
    // +0.0 turns -0 into 0: the two compare equal, so they must hash alike.
    return std::bit_cast<std::uint64_t>(v + 0.0);
}

std::uint64_t HashVertex(const TVector3& v) {
    std::uint64_t h = Bits(v.x) * 0x9E3779B97F4A7C15ull;
    h ^= Bits(v.y) * 0xC2B2AE3D27D4EB4Full;
    h ^= Bits(v.z) * 0x165667B19E3779F9ull;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return h;
}

// Gives every distinct vertex (exact comparison) an index, in order of first use.
class TWelder {
public:
    explicit TWelder(std::size_t expected) {
        std::size_t capacity = 16;
        while (capacity < 2 * expected) {
            capacity *= 2;
        }
        Slots.assign(capacity, kEmpty);
        Vertices.reserve(expected);
    }

    // Room for `count` more vertices without growing, so that slots prefetched for them
    // stay where they are.
    void Reserve(std::size_t count) {
        while (2 * (Vertices.size() + count) > Slots.size()) {
            Grow();
        }
    }

    // The slot a vertex's search starts at; asks the memory for it ahead of the search.
    std::size_t Prefetch(const TVector3& v) const {
        const std::size_t slot = HashVertex(v) & (Slots.size() - 1);
        __builtin_prefetch(&Slots[slot]);
        return slot;
    }

    // The search from `slot` (Prefetch's, with no growth since).
    std::uint32_t Index(const TVector3& v, std::size_t slot) {
        const std::size_t mask = Slots.size() - 1;
        while (true) {
            const std::uint32_t at = Slots[slot];
            if (at == kEmpty) {
                const auto index = static_cast<std::uint32_t>(Vertices.size());
                Slots[slot] = index;
                Vertices.push_back(v);
                return index;
            }
            if (Vertices[at] == v) {
                return at;
            }
            slot = (slot + 1) & mask;
        }
    }

    std::size_t Count() const { return Vertices.size(); }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    void Grow() {
        std::vector<std::uint32_t> old(Slots.size() * 2, kEmpty);
        old.swap(Slots);
        const std::size_t mask = Slots.size() - 1;
        for (std::uint32_t index = 0; index < Vertices.size(); ++index) {
            std::size_t slot = HashVertex(Vertices[index]) & mask;
            while (Slots[slot] != kEmpty) {
                slot = (slot + 1) & mask;
            }
            Slots[slot] = index;
        }
    }

    std::vector<std::uint32_t> Slots;
    std::vector<TVector3> Vertices;
};

// Items bucketed by a key 0..keys-1, keeping their order inside each bucket.
struct TBuckets {
    std::vector<std::size_t> Start;  // keys + 1 offsets into Items
    std::vector<std::uint64_t> Items;
};

template <typename ForEach>
TBuckets Bucket(std::size_t keys, std::size_t items, ForEach forEach) {
    TBuckets buckets;
    buckets.Start.assign(keys + 1, 0);
    forEach([&](std::uint32_t key, std::uint64_t) { ++buckets.Start[key + 1]; });
    std::partial_sum(buckets.Start.begin(), buckets.Start.end(), buckets.Start.begin());
    buckets.Items.resize(items);
    std::vector<std::size_t> next(buckets.Start.begin(), buckets.Start.end() - 1);
    forEach([&](std::uint32_t key, std::uint64_t item) { buckets.Items[next[key]++] = item; });
    return buckets;
}

void Sort3(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c) {
    if (a > b) {
        std::swap(a, b);
    }
    if (b > c) {
        std::swap(b, c);
    }
    if (a > b) {
        std::swap(a, b);
    }
}

TVector3 Sub(const TVector3& a, const TVector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

TVector3 Cross(const TVector3& a, const TVector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Marks the facets (by index) whose sorted vertex triple equals an earlier facet's.
std::vector<bool> FindDuplicates(const std::vector<std::array<std::uint32_t, 3>>& triples,
                                 std::size_t vertexCount) {
    const TBuckets buckets = Bucket(vertexCount, triples.size(), [&](auto&& put) {
        for (std::uint32_t f = 0; f < triples.size(); ++f) {
            put(triples[f][0], f);
        }
    });
    std::vector<bool> duplicate(triples.size(), false);
    std::vector<std::pair<std::uint64_t, std::uint32_t>> big;
    for (std::size_t key = 0; key < vertexCount; ++key) {
        const std::size_t first = buckets.Start[key];
        const std::size_t last = buckets.Start[key + 1];
        auto rest = [&](std::uint64_t f) {
            const auto& t = triples[f];
            return (std::uint64_t{t[1]} << 32) | t[2];
        };
        if (last - first <= 16) {
            // Facets in a bucket come in facet order, so the first of equal ones stays.
            for (std::size_t i = first + 1; i < last; ++i) {
                for (std::size_t j = first; j < i; ++j) {
                    if (rest(buckets.Items[i]) == rest(buckets.Items[j])) {
                        duplicate[buckets.Items[i]] = true;
                        break;
                    }
                }
            }
            continue;
        }
        big.clear();
        for (std::size_t i = first; i < last; ++i) {
            big.emplace_back(rest(buckets.Items[i]), static_cast<std::uint32_t>(buckets.Items[i]));
        }
        std::sort(big.begin(), big.end());
        for (std::size_t i = 1; i < big.size(); ++i) {
            if (big[i].first == big[i - 1].first) {
                duplicate[big[i].second] = true;
            }
        }
    }
    return duplicate;
}

void CountEdges(const std::vector<std::array<std::uint32_t, 3>>& triples, std::size_t vertexCount,
                TModelCheck& check) {
    const TBuckets buckets = Bucket(vertexCount, 3 * triples.size(), [&](auto&& put) {
        for (const auto& t : triples) {
            put(t[0], t[1]);
            put(t[0], t[2]);
            put(t[1], t[2]);
        }
    });
    std::vector<std::uint64_t> ends;
    for (std::size_t key = 0; key < vertexCount; ++key) {
        ends.assign(buckets.Items.begin() + buckets.Start[key],
                    buckets.Items.begin() + buckets.Start[key + 1]);
        std::sort(ends.begin(), ends.end());
        for (std::size_t i = 0; i < ends.size();) {
            std::size_t j = i + 1;
            while (j < ends.size() && ends[j] == ends[i]) {
                ++j;
            }
            // A facet with two equal vertices has an edge from a vertex to itself: no edge.
            if (ends[i] != key) {
                const std::size_t facets = j - i;
                check.BoundaryEdges += facets == 1 ? 1 : 0;
                check.NonManifoldEdges += facets > 2 ? 1 : 0;
            }
            i = j;
        }
    }
}

// Eigenvalues (ascending) and unit eigenvectors of a symmetric 3 x 3 matrix by Jacobi
// rotations.
void Eigen(double a[3][3], double values[3], TVector3 vectors[3]) {
    double v[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int sweep = 0; sweep < 50; ++sweep) {
        const double off = a[0][1] * a[0][1] + a[0][2] * a[0][2] + a[1][2] * a[1][2];
        if (off == 0.0) {
            break;
        }
        for (int p = 0; p < 2; ++p) {
            for (int q = p + 1; q < 3; ++q) {
                if (a[p][q] == 0.0) {
                    continue;
                }
                const double theta = (a[q][q] - a[p][p]) / (2.0 * a[p][q]);
                const double t = (theta >= 0.0 ? 1.0 : -1.0) /
                                 (std::abs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0);
                const double s = t * c;
                for (int k = 0; k < 3; ++k) {
                    const double akp = a[k][p];
                    const double akq = a[k][q];
                    a[k][p] = c * akp - s * akq;
                    a[k][q] = s * akp + c * akq;
                }
                for (int k = 0; k < 3; ++k) {
                    const double apk = a[p][k];
                    const double aqk = a[q][k];
                    a[p][k] = c * apk - s * aqk;
                    a[q][k] = s * apk + c * aqk;
                }
                for (int k = 0; k < 3; ++k) {
                    const double vkp = v[k][p];
                    const double vkq = v[k][q];
                    v[k][p] = c * vkp - s * vkq;
                    v[k][q] = s * vkp + c * vkq;
                }
            }
        }
    }
    std::array<int, 3> order{0, 1, 2};
    std::sort(order.begin(), order.end(), [&](int i, int j) { return a[i][i] < a[j][j]; });
    for (int i = 0; i < 3; ++i) {
        const int k = order[static_cast<std::size_t>(i)];
        values[i] = a[k][k];
        vectors[i] = {v[0][k], v[1][k], v[2][k]};
    }
}

// Largest component positive; a coordinate axis when within kAxisSnap of one.
TVector3 Canonical(TVector3 v) {
    const double ax = std::abs(v.x);
    const double ay = std::abs(v.y);
    const double az = std::abs(v.z);
    const double largest = std::max({ax, ay, az});
    const double sign = (largest == ax ? v.x : largest == ay ? v.y : v.z) < 0.0 ? -1.0 : 1.0;
    v = {v.x * sign, v.y * sign, v.z * sign};
    for (double* c : {&v.x, &v.y, &v.z}) {
        if (std::abs(*c) < kAxisSnap) {
            *c = 0.0;
        } else if (std::abs(*c - 1.0) < kAxisSnap) {
            *c = 1.0;
        }
    }
    const double length = std::sqrt(Dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

std::string Number(double v, char separator) {
    return base::FloatToStrAcc(3, v, separator);
}

std::string Count(std::int64_t n) {
    return base::IntToStr(n);
}

}  // namespace

std::optional<TLengthUnit> SuggestUnit(double largestExtentMm, TLengthUnit unit) {
    auto plausible = [](double mm) { return mm >= kPlausibleToolMin && mm <= kPlausibleToolMax; };
    if (!(largestExtentMm > 0.0) || plausible(largestExtentMm)) {
        return std::nullopt;
    }
    const double inFile = largestExtentMm / MillimetresPer(unit);
    for (const TLengthUnit candidate : {TLengthUnit::Inch, TLengthUnit::Metre,
                                        TLengthUnit::Micrometre, TLengthUnit::Millimetre}) {
        if (candidate != unit && plausible(inFile * MillimetresPer(candidate))) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::optional<TVector3> SymmetryAxis(const TSurface& polygons) {
    if (polygons.empty()) {
        return std::nullopt;
    }
    // Sums about the first vertex, so that a model far from the origin loses no digits.
    const TVector3 ref = polygons.front().Vert1;
    double area = 0.0;
    double mean[3] = {0.0, 0.0, 0.0};
    double second[3][3] = {};
    for (const TPolygon& p : polygons) {
        const double w = std::sqrt(Dot(Cross(Sub(p.Vert2, p.Vert1), Sub(p.Vert3, p.Vert1)),
                                       Cross(Sub(p.Vert2, p.Vert1), Sub(p.Vert3, p.Vert1))));
        if (!(w > 0.0)) {
            continue;
        }
        const double c[3] = {(p.Vert1.x + p.Vert2.x + p.Vert3.x) / 3.0 - ref.x,
                             (p.Vert1.y + p.Vert2.y + p.Vert3.y) / 3.0 - ref.y,
                             (p.Vert1.z + p.Vert2.z + p.Vert3.z) / 3.0 - ref.z};
        area += w;
        for (int i = 0; i < 3; ++i) {
            mean[i] += w * c[i];
            for (int j = 0; j < 3; ++j) {
                second[i][j] += w * c[i] * c[j];
            }
        }
    }
    if (!(area > 0.0) || !std::isfinite(area)) {
        return std::nullopt;
    }
    double cov[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            cov[i][j] = second[i][j] / area - (mean[i] / area) * (mean[j] / area);
        }
    }
    double values[3];
    TVector3 vectors[3];
    Eigen(cov, values, vectors);
    const double low = values[1] - values[0];
    const double high = values[2] - values[1];
    const double gap = std::max(low, high);
    if (!(gap > kDistinctShare * std::abs(values[2])) ||
        !(std::min(low, high) < kPairShare * gap)) {
        return std::nullopt;
    }
    return Canonical(low < high ? vectors[2] : vectors[0]);
}

void RepairAndCheck(TSurface& polygons, const TImportOptions& options, TModelCheck& check,
                    TProgress& progress) {
    TProgressScope scope(progress, kProgressText, ProgressMaximum(polygons.size()));
    TBatchedSteps steps(progress);

    // Welding and the sorted triples.
    std::vector<std::array<std::uint32_t, 3>> triples(polygons.size());
    std::size_t vertexCount = 0;
    {
        TWelder welder(polygons.size() / 2 + 16);
        // The lookups miss the cache almost every time; asking for a block's slots
        // before searching any of them lets the misses overlap.
        constexpr std::size_t kBlock = 16;
        std::array<std::size_t, 3 * kBlock> slots{};
        for (std::size_t first = 0; first < polygons.size(); first += kBlock) {
            const std::size_t last = std::min(polygons.size(), first + kBlock);
            welder.Reserve(3 * kBlock);
            for (std::size_t f = first; f < last; ++f) {
                const TPolygon& p = polygons[f];
                const std::size_t k = 3 * (f - first);
                slots[k] = welder.Prefetch(p.Vert1);
                slots[k + 1] = welder.Prefetch(p.Vert2);
                slots[k + 2] = welder.Prefetch(p.Vert3);
            }
            for (std::size_t f = first; f < last; ++f) {
                const TPolygon& p = polygons[f];
                const std::size_t k = 3 * (f - first);
                std::array<std::uint32_t, 3>& t = triples[f];
                t = {welder.Index(p.Vert1, slots[k]), welder.Index(p.Vert2, slots[k + 1]),
                     welder.Index(p.Vert3, slots[k + 2])};
                Sort3(t[0], t[1], t[2]);
            }
        }
        vertexCount = welder.Count();
    }

    const std::vector<bool> duplicate = FindDuplicates(triples, vertexCount);
    check.DuplicateFacets = std::count(duplicate.begin(), duplicate.end(), true);
    if (!options.KeepDuplicates && check.DuplicateFacets > 0) {
        std::size_t kept = 0;
        for (std::size_t f = 0; f < polygons.size(); ++f) {
            if (!duplicate[f]) {
                polygons[kept] = polygons[f];
                triples[kept] = triples[f];
                ++kept;
            }
        }
        polygons.resize(kept);
        triples.resize(kept);
        check.DuplicatesRemoved = check.DuplicateFacets;
    }

    for (TPolygon& p : polygons) {
        const TVector3 e1 = Sub(p.Vert2, p.Vert1);
        const TVector3 e2 = Sub(p.Vert3, p.Vert1);
        const TVector3 cross = Cross(e1, e2);
        const double crossLength = std::sqrt(Dot(cross, cross));
        const double longest =
            std::max({Dot(e1, e1), Dot(e2, e2), Dot(Sub(p.Vert3, p.Vert2), Sub(p.Vert3, p.Vert2))});
        const bool zeroArea = !(crossLength > kZeroAreaRatio * longest);
        check.ZeroAreaFacets += zeroArea ? 1 : 0;

        const double length = std::sqrt(Dot(p.Normal, p.Normal));
        const bool bad = !(std::abs(1.0 - length) <= kNormalLengthTolerance);
        check.BadNormals += bad ? 1 : 0;
        if (bad && options.RepairNormals && !zeroArea) {
            p.Normal = {cross.x / crossLength, cross.y / crossLength, cross.z / crossLength};
            ++check.NormalsRepaired;
        } else if (Dot(p.Normal, cross) < 0.0) {
            ++check.OpposedNormals;
        }
        steps.Add();
    }

    CountEdges(triples, vertexCount, check);

    check.SuggestedAxis.reset();
    if (const std::optional<TVector3> axis = SymmetryAxis(polygons)) {
        const double offZ = std::acos(std::min(1.0, std::abs(axis->z))) * 180.0 / std::numbers::pi;
        if (offZ > kAxisOffDegrees) {
            const std::optional<TAxisTurn> turn = AxisTurn(options.Axis);
            check.SuggestedAxis = Canonical(turn ? turn->ApplyInverse(*axis) : *axis);
        }
    }

    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const TPolygon& p : polygons) {
        for (const TVector3* v : {&p.Vert1, &p.Vert2, &p.Vert3}) {
            const double c[3] = {v->x, v->y, v->z};
            for (int i = 0; i < 3; ++i) {
                low[i] = std::min(low[i], c[i]);
                high[i] = std::max(high[i], c[i]);
            }
        }
    }
    check.LargestExtent =
        polygons.empty() ? 0.0 : std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
    check.SuggestedUnit = SuggestUnit(check.LargestExtent, options.Unit);
}

std::vector<std::string> ModelCheckLines(const TModelCheck& check, char decimalSeparator) {
    const char sep = decimalSeparator;
    std::vector<std::string> lines;
    lines.push_back("Прочитано граней: " + Count(check.FacetsRead));
    if (check.NormalsRepaired == check.BadNormals) {
        lines.push_back("Исправлено нормалей (нулевых, не чисел или не единичной длины): " +
                        Count(check.NormalsRepaired));
    } else {
        lines.push_back("Нормалей нулевых, не чисел или не единичной длины: " +
                        Count(check.BadNormals) + ", исправлено: " + Count(check.NormalsRepaired));
    }
    lines.push_back("Нормалей против порядка вершин (не изменены): " + Count(check.OpposedNormals));
    if (check.DuplicatesRemoved == check.DuplicateFacets) {
        lines.push_back("Удалено повторных граней: " + Count(check.DuplicatesRemoved));
    } else {
        lines.push_back("Повторных граней: " + Count(check.DuplicateFacets) +
                        ", удалено: " + Count(check.DuplicatesRemoved));
    }
    lines.push_back("Граней нулевой площади: " + Count(check.ZeroAreaFacets));
    lines.push_back("Рёбер у одной грани (край): " + Count(check.BoundaryEdges));
    lines.push_back("Рёбер у трёх и более граней: " + Count(check.NonManifoldEdges));
    lines.push_back("Габариты, мм: X " + Number(check.Xmin, sep) + " .. " +
                    Number(check.Xmax, sep) + ", Y " + Number(check.Ymin, sep) + " .. " +
                    Number(check.Ymax, sep) + ", Z " + Number(check.Zmin, sep) + " .. " +
                    Number(check.Zmax, sep));
    if (check.SuggestedUnit) {
        lines.push_back("Наибольший размер модели " + Number(check.LargestExtent, sep) +
                        " мм: похоже, файл записан в единицах «" +
                        std::string(LengthUnitName(*check.SuggestedUnit)) +
                        "»; единицы не изменены");
    }
    if (check.SuggestedAxis) {
        const TVector3& a = *check.SuggestedAxis;
        std::string axis;
        if (a == TVector3{1, 0, 0}) {
            axis = "X";
        } else if (a == TVector3{0, 1, 0}) {
            axis = "Y";
        } else if (a == TVector3{0, 0, 1}) {
            axis = "Z";
        } else {
            axis = "(" + base::FloatToStrAcc(4, a.x, sep) + "; " +
                   base::FloatToStrAcc(4, a.y, sep) + "; " + base::FloatToStrAcc(4, a.z, sep) + ")";
        }
        lines.push_back("Ось инструмента, похоже, идёт вдоль " + axis +
                        " в координатах файла (направление " + axis +
                        " или обратное); ось не изменена");
    }
    return lines;
}

}  // namespace tessarin::model
