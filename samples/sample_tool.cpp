#include "samples/sample_tool.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <vector>

#include "geometry/vector3.h"

namespace tessarin::samples {

namespace {

using geometry::CrossProduct;
using geometry::Normalize;
using model::TPolygon;
using model::TSurface;
using model::TVector3;

constexpr double kDegree = std::numbers::pi / 180.0;

// Insert: a square positive plate (inscribed square 12.7 mm, 4.76 mm thick at the outer
// edge). The rake face drops away from the outer edge (radial rake) and slopes along it
// (inclination), every flank leans inward below the edge (clearance).
constexpr double kInsertSize = 12.7;
constexpr double kInsertThickness = 4.76;
constexpr double kRadialRake = 6.0 * kDegree;
constexpr double kRakeSlope = 3.0 * kDegree;
constexpr double kOuterClearance = 7.0 * kDegree;
constexpr double kLateralClearance = 6.0 * kDegree;
constexpr double kInnerClearance = 5.0 * kDegree;
constexpr double kEdgeOverhang = 1.0;  // outer edge beyond the top cap
// The seat plane lies this far above the top cap, so that no insert vertex can come within
// the point tolerance of a body vertex: the inserts stay separate shells for the
// cutting-edge search too.
constexpr double kSeatGap = 0.01;

// Body, in multiples of the tool radius where it scales with it.
constexpr double kUndercut = 1.0;  // the rim runs 1 mm inward and 1 mm down
constexpr double kHeadDepth = 0.75;
constexpr double kShankRadius = 0.4;
constexpr double kToolLength = 2.25;

TVector3 Add(const TVector3& a, const TVector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
TVector3 Sub(const TVector3& a, const TVector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
TVector3 Scale(const TVector3& a, double f) {
    return {a.x * f, a.y * f, a.z * f};
}
double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

TVector3 Lerp(const TVector3& a, const TVector3& b, double w) {
    return Add(a, Scale(Sub(b, a), w));
}

struct TPlane {
    TVector3 Normal;
    double Offset = 0.0;  // Normal . x = Offset
};

TPlane PlaneThrough(const TVector3& normal, const TVector3& point) {
    return {normal, Dot(normal, point)};
}

// The common point of three planes whose normals are independent.
TVector3 Intersect(const TPlane& p, const TPlane& q, const TPlane& r) {
    const TVector3 qr = CrossProduct(q.Normal, r.Normal);
    const TVector3 rp = CrossProduct(r.Normal, p.Normal);
    const TVector3 pq = CrossProduct(p.Normal, q.Normal);
    const double det = Dot(p.Normal, qr);
    return Scale(Add(Add(Scale(qr, p.Offset), Scale(rp, q.Offset)), Scale(pq, r.Offset)),
                 1.0 / det);
}

class TEmitter {
public:
    explicit TEmitter(TSurface& out) : Out(out) {}

    // One triangle, turned counter-clockwise seen from the side `outward` points to.
    void Triangle(const TVector3& a, TVector3 b, TVector3 c, const TVector3& outward) {
        TVector3 n = CrossProduct(Sub(b, a), Sub(c, a));
        if (Dot(n, outward) < 0.0) {
            std::swap(b, c);
            n = Scale(n, -1.0);
        }
        n = Normalize(n);
        // Adding zero turns -0 into +0, so axis-aligned normals print without a sign.
        Out.push_back(TPolygon{a, b, c, {n.x + 0.0, n.y + 0.0, n.z + 0.0}});
    }

    // Quad a-b-c-d (in order around it) split along a-c.
    void Quad(const TVector3& a, const TVector3& b, const TVector3& c, const TVector3& d,
              const TVector3& outward) {
        Triangle(a, b, c, outward);
        Triangle(a, c, d, outward);
    }

private:
    TSurface& Out;
};

// Points of a bilinear patch over four coplanar corners, (columns + 1) x (rows + 1),
// index row * (columns + 1) + column; corner00 at (0, 0), corner10 at (columns, 0),
// corner11 at (columns, rows), corner01 at (0, rows).
std::vector<TVector3> Patch(const TVector3& corner00, const TVector3& corner10,
                            const TVector3& corner11, const TVector3& corner01, int columns,
                            int rows) {
    std::vector<TVector3> points;
    points.reserve(static_cast<std::size_t>(columns + 1) * static_cast<std::size_t>(rows + 1));
    for (int j = 0; j <= rows; ++j) {
        const double wb = static_cast<double>(j) / rows;
        const TVector3 left = Lerp(corner00, corner01, wb);
        const TVector3 right = Lerp(corner10, corner11, wb);
        for (int i = 0; i <= columns; ++i) {
            // The ends are taken as they are, so patch corners are bit-identical to the
            // corners the faces around them use.
            if (i == 0) {
                points.push_back(left);
            } else if (i == columns) {
                points.push_back(right);
            } else {
                points.push_back(Lerp(left, right, static_cast<double>(i) / columns));
            }
        }
    }
    return points;
}

void EmitPatch(TEmitter& emit, const std::vector<TVector3>& points, int columns, int rows,
               const TVector3& outward) {
    const auto at = [&](int i, int j) -> const TVector3& {
        return points[static_cast<std::size_t>(j) * static_cast<std::size_t>(columns + 1) +
                      static_cast<std::size_t>(i)];
    };
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            emit.Quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), outward);
        }
    }
}

// A flank face between a row of rake-face boundary points and the matching row of seat
// boundary points; the end rows are the given points themselves, so the rake face and the
// flank share their vertices exactly.
void EmitFlank(TEmitter& emit, const std::vector<TVector3>& top,
               const std::vector<TVector3>& bottom, int rows, const TVector3& outward) {
    const int columns = static_cast<int>(top.size()) - 1;
    std::vector<TVector3> points;
    points.reserve(top.size() * static_cast<std::size_t>(rows + 1));
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (j == 0) {
                points.push_back(top[k]);
            } else if (j == rows) {
                points.push_back(bottom[k]);
            } else {
                points.push_back(Lerp(top[k], bottom[k], static_cast<double>(j) / rows));
            }
        }
    }
    EmitPatch(emit, points, columns, rows, outward);
}

std::vector<TVector3> Column(const std::vector<TVector3>& patch, int columns, int rows, int i) {
    std::vector<TVector3> out;
    for (int j = 0; j <= rows; ++j) {
        out.push_back(patch[static_cast<std::size_t>(j * (columns + 1) + i)]);
    }
    return out;
}

std::vector<TVector3> Row(const std::vector<TVector3>& patch, int columns, int j) {
    const auto first = patch.begin() + static_cast<std::ptrdiff_t>(j) * (columns + 1);
    return {first, first + columns + 1};
}

void EmitInsert(TEmitter& emit, const TSampleToolLayout& layout, double azimuth) {
    const TVector3 up{0.0, 0.0, 1.0};
    const TVector3 radial{std::cos(azimuth), std::sin(azimuth), 0.0};
    const TVector3 tangent{-std::sin(azimuth), std::cos(azimuth), 0.0};
    const double half = kInsertSize / 2.0;

    // Midpoint of the outer edge, and the rake plane through it.
    const TVector3 edgeMid = Add(Scale(radial, layout.ToolRadius + kEdgeOverhang),
                                 Scale(up, kSeatGap + kInsertThickness));
    const TVector3 rakeDirection =
        Add(Add(up, Scale(radial, -std::tan(kRadialRake))), Scale(tangent, std::tan(kRakeSlope)));
    const TVector3 rakeNormal = Normalize(rakeDirection);
    const TPlane rake = PlaneThrough(rakeNormal, edgeMid);
    const TPlane seat = PlaneThrough(Scale(up, -1.0), Scale(up, kSeatGap));

    // Flank planes, counter-clockwise seen from above: outer, lateral (+tangent), inner,
    // lateral (-tangent). Each contains the rake-face point half the insert size away from
    // the insert's centre in its direction, and leans inward by its clearance.
    const TVector3 centre =
        Add(Sub(edgeMid, Scale(radial, half)), Scale(up, -half * std::tan(kRadialRake)));
    const std::array<TVector3, 4> outward{radial, tangent, Scale(radial, -1.0),
                                          Scale(tangent, -1.0)};
    const std::array<double, 4> clearance{kOuterClearance, kLateralClearance, kInnerClearance,
                                          kLateralClearance};
    std::array<TPlane, 4> flank;
    std::array<TVector3, 4> flankNormal;
    for (std::size_t i = 0; i < 4; ++i) {
        flankNormal[i] =
            Sub(Scale(outward[i], std::cos(clearance[i])), Scale(up, std::sin(clearance[i])));
        const double rise = -half * Dot(rakeDirection, outward[i]);  // rakeDirection.z is 1
        const TVector3 point = Add(Add(centre, Scale(outward[i], half)), Scale(up, rise));
        flank[i] = PlaneThrough(flankNormal[i], point);
    }
    const auto corner = [&](const TPlane& cap, std::size_t a, std::size_t b) {
        return Intersect(cap, flank[a], flank[b]);
    };

    // Rake face and seat face as patches: columns along the outer edge from the
    // (-tangent) lateral flank to the (+tangent) one, rows from the outer edge inward.
    const int columns = layout.EdgeDivisions;
    const int rows = layout.LateralDivisions;
    const std::vector<TVector3> top = Patch(corner(rake, 3, 0), corner(rake, 0, 1),
                                            corner(rake, 1, 2), corner(rake, 2, 3), columns, rows);
    const std::vector<TVector3> bottom =
        Patch(corner(seat, 3, 0), corner(seat, 0, 1), corner(seat, 1, 2), corner(seat, 2, 3),
              columns, rows);

    EmitPatch(emit, top, columns, rows, rakeNormal);
    EmitPatch(emit, bottom, columns, rows, seat.Normal);
    EmitFlank(emit, Row(top, columns, 0), Row(bottom, columns, 0), layout.FlankRows,
              flankNormal[0]);
    EmitFlank(emit, Column(top, columns, rows, columns), Column(bottom, columns, rows, columns),
              layout.FlankRows, flankNormal[1]);
    EmitFlank(emit, Row(top, columns, rows), Row(bottom, columns, rows), layout.FlankRows,
              flankNormal[2]);
    EmitFlank(emit, Column(top, columns, rows, 0), Column(bottom, columns, rows, 0),
              layout.FlankRows, flankNormal[3]);
}

// One straight piece of the body's profile in the (radius, z) half-plane, cut into
// `Pieces`; the profile runs from the top of the axis outward, down and back to the axis.
struct TProfileSpan {
    double R0, Z0, R1, Z1;
    int Pieces;
};

int HalfUp(int n) {
    return (n + 1) / 2;
}

std::array<TProfileSpan, 6> BodyProfile(const TSampleToolLayout& layout) {
    const double r = layout.ToolRadius;
    const double wall = r - kUndercut;
    const double shank = kShankRadius * r;
    const double head = -kHeadDepth * r;
    const double end = -kToolLength * r;
    const int b = layout.BodyDivisions;
    return {{
        {0.0, 0.0, r, 0.0, b},                 // top cap: front
        {r, 0.0, wall, -kUndercut, 1},         // undercut rim, facing down: other
        {wall, -kUndercut, wall, head, b},     // head wall: back
        {wall, head, shank, head, HalfUp(b)},  // step down to the shank: other
        {shank, head, shank, end, b},          // shank wall: back
        {shank, end, 0.0, end, HalfUp(b)},     // bottom cap: other
    }};
}

void EmitBody(TEmitter& emit, const TSampleToolLayout& layout) {
    const int around = 16 * layout.BodyDivisions;
    std::vector<double> cosines(static_cast<std::size_t>(around));
    std::vector<double> sines(static_cast<std::size_t>(around));
    for (int i = 0; i < around; ++i) {
        const double phi = 2.0 * std::numbers::pi * i / around;
        cosines[static_cast<std::size_t>(i)] = std::cos(phi);
        sines[static_cast<std::size_t>(i)] = std::sin(phi);
    }
    const auto point = [&](double r, double z, int i) {
        const auto k = static_cast<std::size_t>(i % around);
        return TVector3{r * cosines[k], r * sines[k], z};
    };

    for (const TProfileSpan& span : BodyProfile(layout)) {
        const double dr = span.R1 - span.R0;
        const double dz = span.Z1 - span.Z0;
        for (int p = 0; p < span.Pieces; ++p) {
            const double w0 = static_cast<double>(p) / span.Pieces;
            const double w1 = static_cast<double>(p + 1) / span.Pieces;
            // Span ends exactly, so neighbouring spans share their rings bit for bit.
            const double r0 = p == 0 ? span.R0 : span.R0 + dr * w0;
            const double z0 = p == 0 ? span.Z0 : span.Z0 + dz * w0;
            const double r1 = p + 1 == span.Pieces ? span.R1 : span.R0 + dr * w1;
            const double z1 = p + 1 == span.Pieces ? span.Z1 : span.Z0 + dz * w1;
            for (int i = 0; i < around; ++i) {
                // Outward normal of the profile (-dz, dr), swept to the middle of the wedge.
                const double mid = 2.0 * std::numbers::pi * (i + 0.5) / around;
                const TVector3 outward{-dz * std::cos(mid), -dz * std::sin(mid), dr};
                if (r0 == 0.0) {
                    emit.Triangle(point(0.0, z0, 0), point(r1, z1, i), point(r1, z1, i + 1),
                                  outward);
                } else if (r1 == 0.0) {
                    emit.Triangle(point(r0, z0, i), point(r0, z0, i + 1), point(0.0, z1, 0),
                                  outward);
                } else {
                    emit.Quad(point(r0, z0, i), point(r0, z0, i + 1), point(r1, z1, i + 1),
                              point(r1, z1, i), outward);
                }
            }
        }
    }
}

std::int64_t BodyFacets(const TSampleToolLayout& layout) {
    const std::int64_t around = 16 * static_cast<std::int64_t>(layout.BodyDivisions);
    std::int64_t count = 0;
    for (const TProfileSpan& span : BodyProfile(layout)) {
        // A piece that reaches the axis is a fan of triangles, every other one a ring of
        // quads.
        count += around * 2 * span.Pieces;
        if (span.R0 == 0.0 || span.R1 == 0.0) {
            count -= around;
        }
    }
    return count;
}

std::int64_t InsertFacets(const TSampleToolLayout& layout) {
    const std::int64_t edge = layout.EdgeDivisions;
    const std::int64_t lateral = layout.LateralDivisions;
    const std::int64_t rows = layout.FlankRows;
    const std::int64_t perInsert = 4 * edge * lateral + 4 * rows * (edge + lateral);
    return layout.InsertCount * perInsert;
}

// ---- STL output ----

void AppendNumber(std::string& out, double v) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, 6);
    out.append(buffer, result.ptr);
}

void AppendTriple(std::string& out, const TVector3& v) {
    AppendNumber(out, v.x);
    out.push_back(' ');
    AppendNumber(out, v.y);
    out.push_back(' ');
    AppendNumber(out, v.z);
    out.push_back('\n');
}

void AppendAsciiFacet(std::string& out, const TPolygon& p) {
    out.append("  facet normal ");
    AppendTriple(out, p.Normal);
    out.append("    outer loop\n");
    for (const TVector3* v : {&p.Vert1, &p.Vert2, &p.Vert3}) {
        out.append("      vertex ");
        AppendTriple(out, *v);
    }
    out.append("    endloop\n  endfacet\n");
}

void AppendLittleEndian32(std::string& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((v >> shift) & 0xFFu));
    }
}

void AppendFloat32(std::string& out, double v) {
    AppendLittleEndian32(out, std::bit_cast<std::uint32_t>(static_cast<float>(v)));
}

void AppendBinaryFacet(std::string& out, const TPolygon& p) {
    for (const TVector3* v : {&p.Normal, &p.Vert1, &p.Vert2, &p.Vert3}) {
        AppendFloat32(out, v->x);
        AppendFloat32(out, v->y);
        AppendFloat32(out, v->z);
    }
    out.append(2, '\0');
}

std::string BinaryHeader(std::string_view name, std::size_t facets) {
    std::string header = "binary STL from tessarin-sample: ";
    header.append(name.substr(0, 80 - std::min<std::size_t>(header.size(), 80)));
    header.resize(80, ' ');
    AppendLittleEndian32(header, static_cast<std::uint32_t>(facets));
    return header;
}

class TFileSink {
public:
    explicit TFileSink(const std::string& path) : Path(path), File(std::fopen(path.c_str(), "wb")) {
        if (File == nullptr) {
            Error = errno != 0 ? errno : EIO;
        }
    }
    ~TFileSink() {
        if (File != nullptr) {
            std::fclose(File);
        }
    }
    TFileSink(const TFileSink&) = delete;
    TFileSink& operator=(const TFileSink&) = delete;

    void Write(const std::string& block) {
        if (File != nullptr && Error == 0 &&
            std::fwrite(block.data(), 1, block.size(), File) != block.size()) {
            Error = errno != 0 ? errno : EIO;
        }
    }

    model::TResult Close() {
        const bool opened = File != nullptr;
        if (opened) {
            if (std::fclose(File) != 0 && Error == 0) {
                Error = errno != 0 ? errno : EIO;
            }
            File = nullptr;
        }
        if (Error == 0) {
            return model::TResult::Success();
        }
        // Only a file this sink created is removed; one it could not open is not ours.
        if (opened) {
            std::remove(Path.c_str());
        }
        return model::TResult::Failure(Path + ": cannot write the file: " + std::strerror(Error));
    }

private:
    std::string Path;
    std::FILE* File;
    int Error = 0;
};

}  // namespace

std::int64_t FacetCount(const TSampleToolLayout& layout) {
    return BodyFacets(layout) + InsertFacets(layout);
}

std::int64_t CutEdgeSegmentCount(const TSampleToolLayout& layout) {
    return static_cast<std::int64_t>(layout.InsertCount) *
           (layout.EdgeDivisions + 2 * static_cast<std::int64_t>(layout.LateralDivisions));
}

TSampleToolLayout LayoutForFacets(std::int64_t targetFacets) {
    // The inserts take the first 70 % with square rake-face grids of an odd number of
    // divisions (flank rows in proportion to the thickness); the body fills up the rest
    // in its finer steps.
    TSampleToolLayout layout;
    const auto insertsFor = [&](int divisions) {
        TSampleToolLayout l = layout;
        l.EdgeDivisions = divisions;
        l.LateralDivisions = divisions;
        l.FlankRows = std::max(1, (3 * divisions + 5) / 10);
        return l;
    };
    int divisions = 3;
    while (InsertFacets(insertsFor(divisions + 2)) <= targetFacets * 7 / 10) {
        divisions += 2;
    }
    layout = insertsFor(divisions);

    layout.BodyDivisions = 2;
    std::int64_t bestMiss = std::abs(FacetCount(layout) - targetFacets);
    for (int b = 3;; ++b) {
        TSampleToolLayout candidate = layout;
        candidate.BodyDivisions = b;
        const std::int64_t miss = std::abs(FacetCount(candidate) - targetFacets);
        if (miss >= bestMiss) {
            break;
        }
        bestMiss = miss;
        layout = candidate;
    }
    return layout;
}

TSurface GenerateSampleTool(const TSampleToolLayout& layout) {
    TSurface polygons;
    polygons.reserve(static_cast<std::size_t>(FacetCount(layout)));
    TEmitter emit(polygons);
    EmitBody(emit, layout);
    for (int k = 0; k < layout.InsertCount; ++k) {
        EmitInsert(emit, layout,
                   std::numbers::pi + 2.0 * std::numbers::pi * k / layout.InsertCount);
    }
    return polygons;
}

std::string AsciiStlText(const TSurface& polygons, std::string_view name) {
    std::string out;
    out.reserve(polygons.size() * 270 + 2 * name.size() + 32);
    out.append("solid ").append(name).push_back('\n');
    for (const TPolygon& p : polygons) {
        AppendAsciiFacet(out, p);
    }
    out.append("endsolid ").append(name).push_back('\n');
    return out;
}

model::TResult WriteStl(const TSurface& polygons, TStlFormat format, std::string_view name,
                        const std::string& path) {
    constexpr std::size_t kBlock = 1 << 20;
    TFileSink sink(path);
    std::string block;
    block.reserve(kBlock + 1024);
    if (format == TStlFormat::Binary) {
        block = BinaryHeader(name, polygons.size());
    } else {
        block.append("solid ").append(name).push_back('\n');
    }
    for (const TPolygon& p : polygons) {
        if (format == TStlFormat::Binary) {
            AppendBinaryFacet(block, p);
        } else {
            AppendAsciiFacet(block, p);
        }
        if (block.size() >= kBlock) {
            sink.Write(block);
            block.clear();
        }
    }
    if (format == TStlFormat::Ascii) {
        block.append("endsolid ").append(name).push_back('\n');
    }
    sink.Write(block);
    return sink.Close();
}

}  // namespace tessarin::samples
