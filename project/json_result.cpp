#include "project/json_result.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "model/import_options.h"
#include "model/systems.h"

namespace tessarin::project {

namespace {

using model::TVector3;

constexpr std::size_t kPiece = 1 << 20;

// Appends to one buffer and hands it on whenever it passes a piece's size, so the document
// is never held whole.
class TJsonOut {
public:
    explicit TJsonOut(const base::TStreamWrite& write) : Write(write) {
        Buffer.reserve(kPiece + 64 * 1024);
    }

    bool Good() const { return Ok; }

    void Raw(std::string_view text) { Buffer += text; }
    void Char(char c) { Buffer += c; }

    void Number(double v) {
        if (!std::isfinite(v)) {
            Buffer += "null";
            return;
        }
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, v).ptr;
        Buffer.append(text, end);
    }
    void Integer(std::int64_t v) {
        char text[24];
        const auto end = std::to_chars(text, text + sizeof text, v).ptr;
        Buffer.append(text, end);
    }
    void Bool(bool v) { Buffer += v ? "true" : "false"; }
    void String(std::string_view text) {
        Buffer += '"';
        for (const char c : text) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                Buffer += '\\';
                Buffer += c;
            } else if (u < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                Buffer += "\\u00";
                Buffer += kHex[u >> 4];
                Buffer += kHex[u & 15];
            } else {
                Buffer += c;
            }
        }
        Buffer += '"';
    }
    // "key": with the comma before it unless it is the object's first.
    void Key(std::string_view key, bool first = false) {
        if (!first) {
            Buffer += ',';
        }
        String(key);
        Buffer += ':';
    }
    void Vector(const TVector3& v) {
        Buffer += '[';
        Number(v.x);
        Buffer += ',';
        Number(v.y);
        Buffer += ',';
        Number(v.z);
        Buffer += ']';
    }

    // At a piece's end; the caller calls it between records.
    void MaybeFlush() {
        if (Buffer.size() >= kPiece) {
            Flush();
        }
    }
    void Flush() {
        if (Ok && !Buffer.empty()) {
            Ok = Write(Buffer);
        }
        Buffer.clear();
    }

private:
    const base::TStreamWrite& Write;
    std::string Buffer;
    bool Ok = true;
};

void WriteCheck(TJsonOut& out, const std::optional<model::TModelCheck>& check) {
    if (!check) {
        out.Raw("null");
        return;
    }
    const model::TModelCheck& c = *check;
    out.Char('{');
    out.Key("facets_read", true);
    out.Integer(c.FacetsRead);
    out.Key("bad_normals");
    out.Integer(c.BadNormals);
    out.Key("normals_repaired");
    out.Integer(c.NormalsRepaired);
    out.Key("opposed_normals");
    out.Integer(c.OpposedNormals);
    out.Key("duplicate_facets");
    out.Integer(c.DuplicateFacets);
    out.Key("duplicates_removed");
    out.Integer(c.DuplicatesRemoved);
    out.Key("zero_area_facets");
    out.Integer(c.ZeroAreaFacets);
    out.Key("boundary_edges");
    out.Integer(c.BoundaryEdges);
    out.Key("non_manifold_edges");
    out.Integer(c.NonManifoldEdges);
    out.Key("bounding_box");
    out.Raw("{\"min\":");
    out.Vector({c.Xmin, c.Ymin, c.Zmin});
    out.Raw(",\"max\":");
    out.Vector({c.Xmax, c.Ymax, c.Zmax});
    out.Char('}');
    out.Key("largest_extent");
    out.Number(c.LargestExtent);
    out.Key("suggested_unit");
    if (c.SuggestedUnit) {
        out.String(model::LengthUnitKey(*c.SuggestedUnit));
    } else {
        out.Raw("null");
    }
    out.Key("suggested_axis");
    if (c.SuggestedAxis) {
        out.Vector(*c.SuggestedAxis);
    } else {
        out.Raw("null");
    }
    out.Char('}');
}

void WriteSettings(TJsonOut& out, const model::TSurFaceData& surface) {
    const model::TGeometrySettings& g = surface.GeometrySettings;
    const model::TImportOptions& i = surface.ImportOptions;
    out.Char('{');
    out.Key("gamma", true);
    out.Number(g.Gamma);
    out.Key("alpha");
    out.Number(g.Alpha);
    out.Key("discard_internal");
    out.Bool(g.DiscardInt);
    out.Key("table_accuracy");
    out.Integer(g.TableAccuracy);
    out.Key("mark_negative");
    out.Bool(g.MarkNegative);
    out.Key("min_normal_angle");
    out.Number(g.MinNormalAngle);
    out.Key("point_tolerance");
    out.Number(g.PointTolerance);
    out.Key("edge_kink_angle");
    out.Number(g.EdgeKinkAngle);
    out.Key("import");
    out.Char('{');
    out.Key("units", true);
    out.String(model::LengthUnitKey(i.Unit));
    out.Key("axis");
    out.Vector(i.Axis);
    out.Key("origin");
    switch (i.Origin) {
        case model::TOriginChoice::Keep:
            out.String("keep");
            break;
        case model::TOriginChoice::Center:
            out.String("center");
            break;
        case model::TOriginChoice::Point:
            out.Vector(i.OriginPoint);
            break;
    }
    out.Key("repair_normals");
    out.Bool(i.RepairNormals);
    out.Key("keep_duplicates");
    out.Bool(i.KeepDuplicates);
    out.Raw("}}");
}

void WriteSystems(TJsonOut& out, const model::TModel& model) {
    const model::CSValues& cs = model.AcceptedCS;
    const auto computed = [&](int system) {
        out.Key("angles_computed");
        out.Bool(model.DefinedAngles.at(static_cast<std::size_t>(system)));
    };
    out.Char('{');
    out.Key("isk", true);
    out.Raw("{\"defined\":true,\"normal\":[0,0,1]");
    computed(model::kISK);
    out.Char('}');
    out.Key("ssk");
    out.Raw("{\"defined\":");
    out.Bool(model.ExistedCS[model::kExistedSSK]);
    out.Key("normal");
    out.Vector(cs.SSK.OP);
    out.Key("gn");
    out.Number(cs.SSK.GN);
    out.Key("mu");
    out.Number(cs.SSK.Mu);
    computed(model::kSSK);
    out.Char('}');
    out.Key("feed_plan");
    out.Raw("{\"defined\":");
    out.Bool(model.ExistedCS[model::kExistedFeedPlan]);
    out.Key("normal");
    out.Vector(cs.FeedPlan.FP);
    out.Key("phi");
    out.Number(cs.FeedPlan.Phi);
    out.Key("main_segment");
    out.Integer(cs.FeedPlan.HCE);
    out.Char('}');
    out.Key("ksk");
    out.Raw("{\"defined\":");
    out.Bool(model.ExistedCS[model::kExistedKSK]);
    out.Key("normal");
    out.Vector(cs.KSK.OP);
    out.Key("eta");
    out.Number(cs.KSK.Eta);
    computed(model::kKSK);
    out.Char('}');
    out.Key("dsk");
    out.Raw("{\"defined\":");
    out.Bool(model.ExistedCS[model::kExistedDSK]);
    out.Key("section_normal");
    out.Vector(cs.DSK.SP);
    out.Key("nu");
    out.Number(cs.DSK.Nu);
    computed(model::kDSK);
    out.Raw("}}");
}

// "\"ssk.gn\":" for every computed angle, made once.
std::vector<std::string> AngleKeyTexts(const model::TAngleTable& table) {
    std::vector<std::string> keys;
    for (const model::TAngleId& id : table.Angles) {
        keys.push_back("\"" + model::AngleKey(id) + "\":");
    }
    return keys;
}

void WriteSegments(TJsonOut& out, const TJsonResult& result, const std::vector<std::string>& keys) {
    const model::TCutEdgeData& segments = result.Model->CutEdge;
    const model::TAngleTable& table = *result.Angles;
    const model::TToleranceReport& tolerance = *result.Tolerance;
    const bool judged = !tolerance.Judged.empty();
    const std::size_t angles = table.Angles.size();
    out.Char('[');
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const model::TSegment& segment = segments[s];
        out.Raw(s == 0 ? "{\"number\":" : ",{\"number\":");
        out.Integer(segment.Number);
        out.Raw(",\"polar\":");
        out.Number(segment.Polar);
        out.Raw(",\"point1\":");
        out.Vector(segment.Point1);
        out.Raw(",\"point2\":");
        out.Vector(segment.Point2);
        out.Raw(",\"edge\":");
        out.Integer(s < result.Edges->EdgeOfSegment.size() ? result.Edges->EdgeOfSegment[s] + 1
                                                           : 0);
        out.Raw(",\"angles\":{");
        if (s < table.SegmentCount) {
            const double* values = table.Values.data() + s * angles;
            for (std::size_t a = 0; a < angles; ++a) {
                if (a > 0) {
                    out.Char(',');
                }
                out.Raw(keys[a]);
                out.Number(values[a]);
            }
        }
        out.Raw("},\"in_tolerance\":");
        if (judged && s < tolerance.SegmentInside.size()) {
            out.Bool(tolerance.SegmentInside[s]);
        } else {
            out.Raw("null");
        }
        out.Char('}');
        out.MaybeFlush();
    }
    out.Char(']');
}

void WriteSummary(TJsonOut& out, const model::TEdgeSummary& summary,
                  const std::vector<std::string>& keys) {
    out.Key("segments", true);
    out.Integer(summary.Segments);
    out.Key("length");
    out.Number(summary.Length);
    out.Key("polar_from");
    out.Number(summary.PolarFrom);
    out.Key("polar_to");
    out.Number(summary.PolarTo);
    out.Key("angles");
    out.Char('{');
    for (std::size_t a = 0; a < summary.Angles.size(); ++a) {
        const model::TAngleStats& stats = summary.Angles[a];
        if (a > 0) {
            out.Char(',');
        }
        out.Raw(keys[a]);
        out.Raw("{\"min\":");
        out.Number(stats.Min);
        out.Raw(",\"mean\":");
        out.Number(stats.Mean);
        out.Raw(",\"max\":");
        out.Number(stats.Max);
        out.Raw(",\"numbers\":");
        out.Integer(stats.Numbers);
        out.Raw(",\"not_numbers\":");
        out.Integer(stats.NotNumbers);
        out.Char('}');
    }
    out.Char('}');
}

void WriteEdges(TJsonOut& out, const TJsonResult& result, const std::vector<std::string>& keys) {
    const model::TEdgeReport& report = *result.EdgeReport;
    const model::TCutEdgeData& segments = result.Model->CutEdge;
    out.Raw("{\"kink_angle\":");
    out.Number(result.Model->SurfaceData.GeometrySettings.EdgeKinkAngle);
    out.Raw(",\"tool\":{");
    WriteSummary(out, report.Tool, keys);
    out.Key("edges");
    out.Integer(static_cast<std::int64_t>(report.Edges.size()));
    out.Raw("},\"list\":[");
    for (std::size_t e = 0; e < report.Edges.size(); ++e) {
        const model::TEdge& edge = result.Edges->Edges[e];
        out.Raw(e == 0 ? "{\"number\":" : ",{\"number\":");
        out.Integer(edge.Number);
        out.Raw(",\"first_segment\":");
        out.Integer(segments[static_cast<std::size_t>(edge.First)].Number);
        out.Char(',');
        WriteSummary(out, report.Edges[e], keys);
        out.Char('}');
        out.MaybeFlush();
    }
    out.Raw("]}");
}

void WriteSelection(TJsonOut& out, const model::TModel& model) {
    if (!model.SelectCutEdgeExist) {
        out.Raw("null");
        return;
    }
    out.Raw("{\"count\":");
    out.Integer(static_cast<std::int64_t>(model.SelectCutEdge.size()));
    out.Raw(",\"numbers\":[");
    for (std::size_t i = 0; i < model.SelectCutEdge.size(); ++i) {
        if (i > 0) {
            out.Char(',');
        }
        out.Integer(model.SelectCutEdge[i].Number);
        out.MaybeFlush();
    }
    out.Raw("]}");
}

void WriteCount(TJsonOut& out, const model::TToleranceCount& count, bool worst) {
    out.Raw("\"segments\":");
    out.Integer(count.Segments);
    out.Raw(",\"inside\":");
    out.Integer(count.Inside);
    out.Raw(",\"outside\":");
    out.Integer(count.Outside());
    out.Raw(",\"not_numbers\":");
    out.Integer(count.NotNumbers);
    out.Raw(",\"share\":");
    out.Number(count.Share());
    if (worst) {
        out.Raw(",\"worst\":");
        if (count.Worst.Segment == 0) {
            out.Raw("null");
        } else {
            out.Raw("{\"segment\":");
            out.Integer(count.Worst.Segment);
            out.Raw(",\"deviation\":");
            out.Number(count.Worst.Deviation);
            out.Char('}');
        }
    }
}

void WriteTolerance(TJsonOut& out, const TJsonResult& result) {
    const model::TToleranceReport& report = *result.Tolerance;
    if (result.Model->Tolerances.empty()) {
        out.Raw("null");
        return;
    }
    const auto nominal = [&](const model::TTolerance& t) {
        out.Raw("{\"key\":");
        out.String(model::AngleKey(t.Angle));
        out.Raw(",\"nominal\":");
        out.Number(t.Nominal);
        out.Raw(",\"lower\":");
        out.Number(t.Lower);
        out.Raw(",\"upper\":");
        out.Number(t.Upper);
    };
    out.Raw("{\"all_inside\":");
    out.Bool(!report.AnyOutside());
    out.Raw(",\"tool\":{");
    WriteCount(out, report.ToolAll, false);
    out.Raw("},\"edges\":[");
    for (std::size_t e = 0; e < report.EdgesAll.size(); ++e) {
        out.Raw(e == 0 ? "{\"edge\":" : ",{\"edge\":");
        out.Integer(static_cast<std::int64_t>(e + 1));
        out.Char(',');
        WriteCount(out, report.EdgesAll[e], false);
        out.Char('}');
    }
    out.Raw("],\"judged\":[");
    for (std::size_t t = 0; t < report.Judged.size(); ++t) {
        if (t > 0) {
            out.Char(',');
        }
        nominal(report.Judged[t]);
        out.Raw(",\"tool\":{");
        WriteCount(out, report.Tool[t], true);
        out.Raw("},\"edges\":[");
        for (std::size_t e = 0; e < report.Edges.size(); ++e) {
            out.Raw(e == 0 ? "{\"edge\":" : ",{\"edge\":");
            out.Integer(static_cast<std::int64_t>(e + 1));
            out.Char(',');
            WriteCount(out, report.Edges[e][t], true);
            out.Char('}');
            out.MaybeFlush();
        }
        out.Raw("]}");
    }
    out.Raw("],\"not_computed\":[");
    for (std::size_t t = 0; t < report.NotComputed.size(); ++t) {
        if (t > 0) {
            out.Char(',');
        }
        nominal(report.NotComputed[t]);
        out.Char('}');
    }
    out.Raw("]}");
}

}  // namespace

void ProduceJsonResult(const TJsonResult& result, const base::TStreamWrite& write) {
    TJsonOut out(write);
    const model::TModel& model = *result.Model;
    const std::vector<std::string> keys = AngleKeyTexts(*result.Angles);
    out.Raw("{\"file\":");
    out.String(result.File);
    out.Raw(",\"check\":");
    WriteCheck(out, result.Check);
    out.Raw(",\"settings\":");
    WriteSettings(out, model.SurfaceData);
    out.Raw(",\"systems\":");
    WriteSystems(out, model);
    out.Raw(",\"segments\":");
    WriteSegments(out, result, keys);
    out.Raw(",\"edges\":");
    WriteEdges(out, result, keys);
    out.Raw(",\"selection\":");
    WriteSelection(out, model);
    out.Raw(",\"tolerance\":");
    WriteTolerance(out, result);
    out.Raw("}\n");
    out.Flush();
}

model::TResult SaveJsonResult(const TJsonResult& result, const std::string& path) {
    try {
        return base::WriteFileAtomicallyStreamed(
            path, [&](const base::TStreamWrite& write) { ProduceJsonResult(result, write); });
    } catch (const std::bad_alloc&) {
        return model::TResult::Failure("cannot write " + path + ": not enough memory");
    }
}

}  // namespace tessarin::project
