// The model check of an import. Vertices are welded once, by exact value, through an
// open-addressing hash table, while a second thread checks the facets one by one
// (normals, areas, the sums of the symmetry axis, the extents). Duplicates and edges are
// then found from the welded indices by bucketing the facets by their smallest and by
// their middle vertex (counting sorts, filled while welding), never by sorting the whole
// model, the vertices split in two halves on two threads. Everything counted is an
// integer, and every sum is taken in facet order on one thread, so the outcome is the
// same on any number of cores.
#include "model/model_check.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <numbers>
#include <numeric>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "base/number_format.h"
#include "base/two_halves.h"
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

// Each coordinate is mixed in on its own: a plain sum of multiplied bit patterns makes
// mirrored vertices, (x, y, z) and (-x, -y, z), collide, and on a symmetric tool that
// is every other vertex.
std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 31;
    h *= 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
    return h;
}

std::uint64_t HashVertex(const TVector3& v) {
    std::uint64_t h = Mix(Bits(v.x));
    h = Mix(h ^ Bits(v.y) ^ (Bits(v.y) >> 32) * 0xC2B2AE3D27D4EB4Full);
    h = Mix(h ^ Bits(v.z) ^ (Bits(v.z) >> 32) * 0x165667B19E3779F9ull);
    return h ^ (h >> 32);
}

// Uninitialised memory for the check's large arrays, on large pages where the system
// gives them: the arrays are read at random, and with small pages nearly every read would
// also miss the address cache, besides one page fault per 4 KiB first written. Untouched
// parts cost nothing, so a bound may be reserved where the real size is not known yet.
template <typename T>
class TBuffer {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    TBuffer() = default;
    explicit TBuffer(std::size_t count) { Allocate(count); }
    ~TBuffer() { std::free(Data); }
    TBuffer(const TBuffer&) = delete;
    TBuffer& operator=(const TBuffer&) = delete;

    void Allocate(std::size_t count) {
        std::free(Data);
        Data = nullptr;
        Count = count;
        if (count == 0) {
            return;
        }
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T) - kLargePage) {
            throw std::bad_alloc();
        }
        const std::size_t bytes = count * sizeof(T);
        const std::size_t alignment = bytes >= kLargePage ? kLargePage : 64;
        Data = static_cast<T*>(
            std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment));
        if (Data == nullptr) {
            throw std::bad_alloc();
        }
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        if (alignment == kLargePage) {
            ::madvise(Data, bytes / kLargePage * kLargePage, MADV_HUGEPAGE);
        }
#endif
    }

    void Swap(TBuffer& other) {
        std::swap(Data, other.Data);
        std::swap(Count, other.Count);
    }

    T& operator[](std::size_t i) {
        return Data[i];
    }
    const T& operator[](std::size_t i) const {
        return Data[i];
    }
    const T* Begin() const {
        return Data;
    }
    T* Begin() {
        return Data;
    }
    T* End() {
        return Data + Count;
    }
    std::size_t Size() const {
        return Count;
    }

private:
    static constexpr std::size_t kLargePage = std::size_t{2} << 20;
    T* Data = nullptr;
    std::size_t Count = 0;
};

using TTriple = std::array<std::uint32_t, 3>;

// Gives every distinct vertex (exact comparison) an index, in order of first use. A slot
// holds the vertex's index and the upper half of its hash, so that a probe past another
// vertex seldom has to read that vertex.
class TWelder {
public:
    // `bound`: no more vertices than this will be asked for.
    TWelder(std::size_t expected, std::size_t bound) : Vertices(bound) {
        std::size_t capacity = 16;
        while (capacity < 2 * expected) {
            capacity *= 2;
        }
        Slots.Allocate(capacity);
        std::fill(Slots.Begin(), Slots.End(), kEmpty);
    }

    // Room for `count` more vertices without growing, so that slots prefetched for them
    // stay where they are.
    void Reserve(std::size_t count) {
        while (2 * (Used + count) > Slots.Size()) {
            Grow();
        }
    }

    // The hash of a vertex; asks the memory for its first slot ahead of the search.
    std::uint64_t Prefetch(const TVector3& v) const {
        const std::uint64_t h = HashVertex(v);
        __builtin_prefetch(&Slots[h & (Slots.Size() - 1)]);
        return h;
    }

    // The search for a vertex of hash `h` (Prefetch's).
    std::uint32_t Index(const TVector3& v, std::uint64_t h) {
        const std::size_t mask = Slots.Size() - 1;
        const std::uint64_t tag = h & kTagMask;
        std::size_t slot = h & mask;
        while (true) {
            const std::uint64_t at = Slots[slot];
            if (at == kEmpty) {
                const auto index = static_cast<std::uint32_t>(Used);
                Slots[slot] = tag | index;
                Vertices[Used++] = v;
                return index;
            }
            if ((at & kTagMask) == tag) {
                const auto index = static_cast<std::uint32_t>(at);
                if (Vertices[index] == v) {
                    return index;
                }
            }
            slot = (slot + 1) & mask;
        }
    }

    std::size_t Count() const { return Used; }

private:
    static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
    static constexpr std::uint64_t kTagMask = 0xFFFFFFFF00000000ull;

    void Grow() {
        TBuffer<std::uint64_t> old(Slots.Size() * 2);
        old.Swap(Slots);
        std::fill(Slots.Begin(), Slots.End(), kEmpty);
        const std::size_t mask = Slots.Size() - 1;
        for (std::size_t i = 0; i < old.Size(); ++i) {
            if (old[i] == kEmpty) {
                continue;
            }
            const auto index = static_cast<std::uint32_t>(old[i]);
            std::size_t slot = HashVertex(Vertices[index]) & mask;
            while (Slots[slot] != kEmpty) {
                slot = (slot + 1) & mask;
            }
            Slots[slot] = old[i];
        }
    }

    TBuffer<std::uint64_t> Slots;
    TBuffer<TVector3> Vertices;
    std::size_t Used = 0;
};

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

// Facet indices bucketed by one vertex of their triple, in facet order inside each
// bucket (a counting sort): bucket k is Facets[Start[k]] .. Facets[Start[k + 1] - 1].
struct TFacetBuckets {
    TBuffer<std::uint32_t> Start;
    TBuffer<std::uint32_t> Facets;
};

// The welded model: every facet's vertex indices, ascending, and the facets bucketed by
// their smallest and by their middle vertex.
struct TWelded {
    TBuffer<TTriple> Triples;
    std::size_t VertexCount = 0;
    TFacetBuckets BySmallest;
    TFacetBuckets ByMiddle;
};

void Weld(const TSurface& polygons, TWelded& welded, TBatchedSteps& steps) {
    const std::size_t n = polygons.size();
    TBuffer<TTriple>& triples = welded.Triples;
    triples.Allocate(n);
    // Counted while welding, one vertex past the index: the sums then give the starts.
    // Sized for the most vertices there can be; only the part used is ever touched.
    TBuffer<std::uint32_t>& smallest = welded.BySmallest.Start;
    TBuffer<std::uint32_t>& middle = welded.ByMiddle.Start;
    smallest.Allocate(3 * n + 1);
    middle.Allocate(3 * n + 1);
    smallest[0] = 0;
    middle[0] = 0;
    std::size_t counted = 0;

    TWelder welder(n / 2 + 16, 3 * n);
    // Most lookups find a vertex used a few facets before, but a new vertex misses the
    // cache; asking for a block's slots before searching any of them lets the misses
    // overlap.
    constexpr std::size_t kBlock = 16;
    std::array<std::uint64_t, 3 * kBlock> hashes{};
    for (std::size_t first = 0; first < n; first += kBlock) {
        const std::size_t last = std::min(n, first + kBlock);
        welder.Reserve(3 * kBlock);
        for (std::size_t f = first; f < last; ++f) {
            const TPolygon& p = polygons[f];
            const std::size_t k = 3 * (f - first);
            hashes[k] = welder.Prefetch(p.Vert1);
            hashes[k + 1] = welder.Prefetch(p.Vert2);
            hashes[k + 2] = welder.Prefetch(p.Vert3);
        }
        for (std::size_t f = first; f < last; ++f) {
            const TPolygon& p = polygons[f];
            const std::size_t k = 3 * (f - first);
            TTriple& t = triples[f];
            t = {welder.Index(p.Vert1, hashes[k]), welder.Index(p.Vert2, hashes[k + 1]),
                 welder.Index(p.Vert3, hashes[k + 2])};
            Sort3(t[0], t[1], t[2]);
            for (; counted < welder.Count(); ++counted) {
                smallest[counted + 1] = 0;
                middle[counted + 1] = 0;
            }
            ++smallest[t[0] + 1];
            ++middle[t[1] + 1];
            steps.Add();
        }
    }
    const std::size_t vertexCount = welder.Count();
    welded.VertexCount = vertexCount;

    std::partial_sum(smallest.Begin(), smallest.Begin() + vertexCount + 1, smallest.Begin());
    std::partial_sum(middle.Begin(), middle.Begin() + vertexCount + 1, middle.Begin());
    welded.BySmallest.Facets.Allocate(n);
    welded.ByMiddle.Facets.Allocate(n);
    // Filled through the next bucket's start, which then ends up where this bucket's
    // was: Start[key] becomes the start of bucket key - 1, so one shift fixes all.
    for (std::size_t f = 0; f < n; ++f) {
        const TTriple& t = triples[f];
        welded.BySmallest.Facets[smallest[t[0]]++] = static_cast<std::uint32_t>(f);
        welded.ByMiddle.Facets[middle[t[1]]++] = static_cast<std::uint32_t>(f);
    }
    for (std::size_t key = vertexCount; key > 0; --key) {
        smallest[key] = smallest[key - 1];
        middle[key] = middle[key - 1];
    }
    smallest[0] = 0;
    middle[0] = 0;
}

// Marks the duplicate facets (the same sorted vertex triple as an earlier facet) whose
// smallest vertex is one of firstKey..lastKey - 1 and returns how many. Every facet lies
// in one bucket, so two calls on disjoint keys write disjoint marks.
std::int64_t MarkDuplicates(const TWelded& welded, std::size_t firstKey, std::size_t lastKey,
                            std::vector<std::uint8_t>& duplicate) {
    const TBuffer<TTriple>& triples = welded.Triples;
    const TFacetBuckets& bySmallest = welded.BySmallest;
    auto rest = [&](std::uint32_t f) {
        const TTriple& t = triples[f];
        return (std::uint64_t{t[1]} << 32) | t[2];
    };
    std::int64_t duplicates = 0;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> big;
    for (std::size_t key = firstKey; key < lastKey; ++key) {
        const std::uint32_t first = bySmallest.Start[key];
        const std::uint32_t last = bySmallest.Start[key + 1];
        if (last - first <= 16) {
            // Facets in a bucket come in facet order, so the first of equal ones stays.
            for (std::uint32_t i = first + 1; i < last; ++i) {
                const std::uint64_t r = rest(bySmallest.Facets[i]);
                for (std::uint32_t j = first; j < i; ++j) {
                    if (r == rest(bySmallest.Facets[j])) {
                        duplicate[bySmallest.Facets[i]] = 1;
                        ++duplicates;
                        break;
                    }
                }
            }
            continue;
        }
        big.clear();
        for (std::uint32_t i = first; i < last; ++i) {
            big.emplace_back(rest(bySmallest.Facets[i]), bySmallest.Facets[i]);
        }
        std::sort(big.begin(), big.end());
        for (std::size_t i = 1; i < big.size(); ++i) {
            if (big[i].first == big[i - 1].first) {
                duplicate[big[i].second] = 1;
                ++duplicates;
            }
        }
    }
    return duplicates;
}

struct TEdgeCounts {
    std::int64_t Boundary = 0;     // edges of one facet
    std::int64_t NonManifold = 0;  // edges of more than two
};

// Counts the edges whose smaller vertex is one of firstKey..lastKey - 1, the duplicates
// left out when `dropped` (all of them marked by then). The facets whose smallest vertex
// is the key give the edges to their other two, those whose middle vertex it is the edge
// to their largest.
TEdgeCounts CountEdges(const TWelded& welded, std::size_t firstKey, std::size_t lastKey,
                       bool dropped, const std::vector<std::uint8_t>& duplicate) {
    const TBuffer<TTriple>& triples = welded.Triples;
    const TFacetBuckets& bySmallest = welded.BySmallest;
    const TFacetBuckets& byMiddle = welded.ByMiddle;
    TEdgeCounts counts;
    std::vector<std::uint32_t> ends;
    for (std::size_t key = firstKey; key < lastKey; ++key) {
        ends.clear();
        for (std::uint32_t i = bySmallest.Start[key]; i < bySmallest.Start[key + 1]; ++i) {
            const std::uint32_t f = bySmallest.Facets[i];
            if (!(dropped && duplicate[f] != 0)) {
                ends.push_back(triples[f][1]);
                ends.push_back(triples[f][2]);
            }
        }
        for (std::uint32_t i = byMiddle.Start[key]; i < byMiddle.Start[key + 1]; ++i) {
            const std::uint32_t f = byMiddle.Facets[i];
            if (!(dropped && duplicate[f] != 0)) {
                ends.push_back(triples[f][2]);
            }
        }
        if (ends.size() <= 32) {
            // Mostly a handful of ends: an insertion sort beats the general one.
            for (std::size_t i = 1; i < ends.size(); ++i) {
                const std::uint32_t e = ends[i];
                std::size_t j = i;
                for (; j > 0 && ends[j - 1] > e; --j) {
                    ends[j] = ends[j - 1];
                }
                ends[j] = e;
            }
        } else {
            std::sort(ends.begin(), ends.end());
        }
        for (std::size_t i = 0; i < ends.size();) {
            std::size_t j = i + 1;
            while (j < ends.size() && ends[j] == ends[i]) {
                ++j;
            }
            // A facet with two equal vertices has an edge from a vertex to itself: no edge.
            if (ends[i] != key) {
                const std::size_t facets = j - i;
                counts.Boundary += facets == 1 ? 1 : 0;
                counts.NonManifold += facets > 2 ? 1 : 0;
            }
            i = j;
        }
    }
    return counts;
}

// Marks the duplicates and counts the edges, the keys split in two at the middle facet
// and each half on its own thread: first the marks, then the edges, which need the marks
// of facets in the other half.
void FindDuplicatesAndEdges(const TWelded& welded, bool dropped,
                            std::vector<std::uint8_t>& duplicate, std::int64_t& duplicates,
                            TEdgeCounts& edges) {
    duplicate.assign(welded.Triples.Size(), 0);
    const std::size_t keys = welded.VertexCount;
    const std::uint32_t* start = welded.BySmallest.Start.Begin();
    const std::size_t split = static_cast<std::size_t>(
        std::lower_bound(start, start + keys, welded.Triples.Size() / 2) - start);
    std::int64_t low = 0;
    std::int64_t high = 0;
    base::RunInTwoHalves([&] { low = MarkDuplicates(welded, 0, split, duplicate); },
                         [&] { high = MarkDuplicates(welded, split, keys, duplicate); });
    duplicates = low + high;
    TEdgeCounts lowEdges;
    TEdgeCounts highEdges;
    base::RunInTwoHalves(
        [&] { lowEdges = CountEdges(welded, 0, split, dropped && duplicates > 0, duplicate); },
        [&] { highEdges = CountEdges(welded, split, keys, dropped && duplicates > 0, duplicate); });
    edges.Boundary = lowEdges.Boundary + highEdges.Boundary;
    edges.NonManifold = lowEdges.NonManifold + highEdges.NonManifold;
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

// The sums behind SymmetryAxis, facet by facet in order.
struct TSymmetrySums {
    TVector3 Ref;
    double Area = 0.0;
    double Mean[3] = {0.0, 0.0, 0.0};
    double Second[3][3] = {};

    // `w` is |(Vert2 - Vert1) x (Vert3 - Vert1)|.
    void Add(const TPolygon& p, double w) {
        if (!(w > 0.0)) {
            return;
        }
        const double c[3] = {(p.Vert1.x + p.Vert2.x + p.Vert3.x) / 3.0 - Ref.x,
                             (p.Vert1.y + p.Vert2.y + p.Vert3.y) / 3.0 - Ref.y,
                             (p.Vert1.z + p.Vert2.z + p.Vert3.z) / 3.0 - Ref.z};
        Area += w;
        for (int i = 0; i < 3; ++i) {
            Mean[i] += w * c[i];
            for (int j = 0; j < 3; ++j) {
                Second[i][j] += w * c[i] * c[j];
            }
        }
    }
};

// What a facet's normal and area are, as bits of TFacetFlags.
enum : std::uint8_t {
    kBadNormal = 1,
    kRepairedNormal = 2,
    kOpposedNormal = 4,
    kZeroArea = 8,
};

struct TFacetCounts {
    std::int64_t Bad = 0;
    std::int64_t Repaired = 0;
    std::int64_t Opposed = 0;
    std::int64_t ZeroArea = 0;

    void Add(std::uint8_t flags) {
        Bad += (flags & kBadNormal) != 0 ? 1 : 0;
        Repaired += (flags & kRepairedNormal) != 0 ? 1 : 0;
        Opposed += (flags & kOpposedNormal) != 0 ? 1 : 0;
        ZeroArea += (flags & kZeroArea) != 0 ? 1 : 0;
    }
};

// One pass over the facets for everything that needs no neighbour: the normals (repaired
// in place where allowed), the zero areas, the sums of the symmetry axis and the extents
// of the vertices. Every facet's flags are kept, so that the counts can be taken again
// without the duplicates once those are known.
struct TFacetPass {
    std::vector<std::uint8_t> Flags;
    TFacetCounts Counts;
    TSymmetrySums Sums;
    double Low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double High[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};

    void Run(TSurface& polygons, bool repairNormals) {
        Flags.resize(polygons.size());
        if (!polygons.empty()) {
            Sums.Ref = polygons.front().Vert1;
        }
        for (std::size_t f = 0; f < polygons.size(); ++f) {
            TPolygon& p = polygons[f];
            const TVector3 e1 = Sub(p.Vert2, p.Vert1);
            const TVector3 e2 = Sub(p.Vert3, p.Vert1);
            const TVector3 cross = Cross(e1, e2);
            const double crossLength = std::sqrt(Dot(cross, cross));
            const double longest = std::max(
                {Dot(e1, e1), Dot(e2, e2), Dot(Sub(p.Vert3, p.Vert2), Sub(p.Vert3, p.Vert2))});
            const bool zeroArea = !(crossLength > kZeroAreaRatio * longest);
            std::uint8_t flags = zeroArea ? kZeroArea : 0;

            const double length = std::sqrt(Dot(p.Normal, p.Normal));
            const bool bad = !(std::abs(1.0 - length) <= kNormalLengthTolerance);
            flags |= bad ? kBadNormal : 0;
            if (bad && repairNormals && !zeroArea) {
                p.Normal = {cross.x / crossLength, cross.y / crossLength, cross.z / crossLength};
                flags |= kRepairedNormal;
            } else if (Dot(p.Normal, cross) < 0.0) {
                flags |= kOpposedNormal;
            }
            Flags[f] = flags;
            Counts.Add(flags);

            Sums.Add(p, crossLength);
            for (const TVector3* v : {&p.Vert1, &p.Vert2, &p.Vert3}) {
                const double c[3] = {v->x, v->y, v->z};
                for (int i = 0; i < 3; ++i) {
                    Low[i] = std::min(Low[i], c[i]);
                    High[i] = std::max(High[i], c[i]);
                }
            }
        }
    }
};

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

namespace {

std::optional<TVector3> AxisOfSums(const TSymmetrySums& sums) {
    const double area = sums.Area;
    if (!(area > 0.0) || !std::isfinite(area)) {
        return std::nullopt;
    }
    double cov[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            cov[i][j] = sums.Second[i][j] / area - (sums.Mean[i] / area) * (sums.Mean[j] / area);
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

}  // namespace

std::optional<TVector3> SymmetryAxis(const TSurface& polygons) {
    if (polygons.empty()) {
        return std::nullopt;
    }
    // Sums about the first vertex, so that a model far from the origin loses no digits.
    TSymmetrySums sums;
    sums.Ref = polygons.front().Vert1;
    for (const TPolygon& p : polygons) {
        sums.Add(p, std::sqrt(Dot(Cross(Sub(p.Vert2, p.Vert1), Sub(p.Vert3, p.Vert1)),
                                  Cross(Sub(p.Vert2, p.Vert1), Sub(p.Vert3, p.Vert1)))));
    }
    return AxisOfSums(sums);
}

void RepairAndCheck(TSurface& polygons, const TImportOptions& options, TModelCheck& check,
                    TProgress& progress) {
    TProgressScope scope(progress, kProgressText, ProgressMaximum(polygons.size()));
    const bool dropDuplicates = !options.KeepDuplicates;

    // The facets one by one on a second thread while this one welds the vertices: the two
    // read the same polygons, and the other one writes only normals, which the welding
    // never reads.
    TFacetPass pass;
    std::vector<std::uint8_t> duplicate;
    std::int64_t duplicates = 0;
    TEdgeCounts edges;
    {
        TWelded welded;
        {
            TBatchedSteps steps(progress);
            base::RunInTwoHalves([&] { Weld(polygons, welded, steps); },
                                 [&] { pass.Run(polygons, options.RepairNormals); });
        }
        FindDuplicatesAndEdges(welded, dropDuplicates, duplicate, duplicates, edges);
    }
    check.DuplicateFacets = duplicates;
    check.BoundaryEdges += edges.Boundary;
    check.NonManifoldEdges += edges.NonManifold;

    TFacetCounts counts = pass.Counts;
    std::optional<TVector3> axis;
    if (dropDuplicates && duplicates > 0) {
        // The counts and the axis are of the facets kept.
        counts = {};
        std::size_t kept = 0;
        for (std::size_t f = 0; f < polygons.size(); ++f) {
            if (duplicate[f] == 0) {
                polygons[kept] = polygons[f];
                counts.Add(pass.Flags[f]);
                ++kept;
            }
        }
        polygons.resize(kept);
        check.DuplicatesRemoved = duplicates;
        axis = SymmetryAxis(polygons);
    } else if (!polygons.empty()) {
        axis = AxisOfSums(pass.Sums);
    }
    check.BadNormals += counts.Bad;
    check.NormalsRepaired += counts.Repaired;
    check.OpposedNormals += counts.Opposed;
    check.ZeroAreaFacets += counts.ZeroArea;

    check.SuggestedAxis.reset();
    if (axis) {
        const double offZ = std::acos(std::min(1.0, std::abs(axis->z))) * 180.0 / std::numbers::pi;
        if (offZ > kAxisOffDegrees) {
            const std::optional<TAxisTurn> turn = AxisTurn(options.Axis);
            check.SuggestedAxis = Canonical(turn ? turn->ApplyInverse(*axis) : *axis);
        }
    }

    // A duplicate has the vertices of a facet kept before it: the extents stay.
    const double* low = pass.Low;
    const double* high = pass.High;
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
