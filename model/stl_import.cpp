#include "model/stl_import.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <thread>
#include <utility>

#include "base/language.h"
#include "base/text_file.h"
#include "model/bounding_box.h"
#include "model/import_options.h"
#include "model/stl_reader.h"

namespace tessarin::model {

namespace {

// The split size LoadSTL uses: two halves only when the machine has two cores.
std::size_t ParallelFromBytes() {
    return std::thread::hardware_concurrency() >= 2 ? kStlParallelFromBytes
                                                    : std::numeric_limits<std::size_t>::max();
}

// The steps of LoadSTLFromMemory with options after the reader, on `polygons`; `box`
// receives the bounding box of what is stored.
TResult Apply(TSurface& polygons, std::string_view name, const TImportOptions& options,
              TModelCheck& found, TBoundingBox& box, bool checked, TProgress& progress) {
    if (TResult valid = CheckImportOptions(options); !valid) {
        return TResult::Failure(std::string(name) + ": " + valid.Reason());
    }
    found.FacetsRead = static_cast<std::int64_t>(polygons.size());
    if (!KeepsFrame(options)) {
        if (TResult placed = BringIntoToolFrame(polygons, options); !placed) {
            return TResult::Failure(std::string(name) + ": " + placed.Reason());
        }
    }
    // The reader's box is the one of the vertices in file order, which this is as well;
    // dropping duplicates below leaves every vertex value in the set, so it stays.
    box = TBoundingBox();
    for (const TPolygon& p : polygons) {
        box.Add(p);
    }
    if (checked || options.RepairNormals || !options.KeepDuplicates) {
        RepairAndCheck(polygons, options, found, progress);
    }
    return TResult::Success();
}

void FillBox(TModelCheck& check, const TBoundingBox& box) {
    check.Xmin = box.Min[0];
    check.Xmax = box.Max[0];
    check.Ymin = box.Min[1];
    check.Ymax = box.Max[1];
    check.Zmin = box.Min[2];
    check.Zmax = box.Max[2];
}

}  // namespace

TResult ReadStlPolygons(const std::string& path, TSurface& polygons, TProgress& progress) {
    TSurface().swap(polygons);
    base::TFileContents file;
    if (TResult opened = file.Open(path); !opened) {
        return opened;
    }
    TSurFaceData read;
    TResult result = LoadSTLFromMemory(read, file.Text(), path, progress, ParallelFromBytes());
    if (result) {
        polygons = std::move(read.Polygons);
    }
    return result;
}

TResult ImportPolygons(TSurFaceData& surface, TSurface polygons, std::string_view name,
                       const TImportOptions& options, TModelCheck* check, TProgress& progress) {
    surface.Modified = true;
    surface.SurfaceExist = false;
    TSurface().swap(surface.Polygons);
    surface.PolygonCount = 0;
    TModelCheck found;
    TBoundingBox box;
    try {
        if (TResult applied =
                Apply(polygons, name, options, found, box, check != nullptr, progress);
            !applied) {
            return applied;
        }
    } catch (const std::bad_alloc&) {
        return TResult::Failure(base::Say("%1: not enough memory for the model",
                                          "%1: недостаточно памяти для модели", name));
    }
    surface.Polygons = std::move(polygons);
    surface.PolygonCount = static_cast<std::int32_t>(surface.Polygons.size());
    surface.SurfaceExist = true;
    surface.Xmax = box.Max[0];
    surface.Ymax = box.Max[1];
    surface.Zmax = box.Max[2];
    surface.Xmin = box.Min[0];
    surface.Ymin = box.Min[1];
    surface.Zmin = box.Min[2];
    surface.ImportOptions = options;
    if (check != nullptr) {
        FillBox(found, box);
        *check = found;
    }
    return TResult::Success();
}

TResult CheckPolygons(const TSurface& polygons, std::string_view name,
                      const TImportOptions& options, TModelCheck& check, TProgress& progress) {
    TModelCheck found;
    TBoundingBox box;
    try {
        TSurface copy = polygons;
        if (TResult applied = Apply(copy, name, options, found, box, true, progress); !applied) {
            return applied;
        }
    } catch (const std::bad_alloc&) {
        return TResult::Failure(base::Say("%1: not enough memory for the model",
                                          "%1: недостаточно памяти для модели", name));
    }
    FillBox(found, box);
    check = found;
    return TResult::Success();
}

void UndoToolFrame(TSurface& polygons, const TImportOptions& applied) {
    const std::optional<TAxisTurn> turn = AxisTurn(applied.Axis);
    if (!turn) {
        return;
    }
    const double scale = MillimetresPer(applied.Unit);
    const TVector3 shift =
        applied.Origin == TOriginChoice::Point
            ? TVector3{applied.OriginPoint.x * scale, applied.OriginPoint.y * scale,
                       applied.OriginPoint.z * scale}
            : TVector3{};
    auto back = [&](const TVector3& v) {
        const TVector3 turned = turn->Identity ? v : turn->ApplyInverse(v);
        return TVector3{(turned.x + shift.x) / scale, (turned.y + shift.y) / scale,
                        (turned.z + shift.z) / scale};
    };
    for (TPolygon& p : polygons) {
        p.Vert1 = back(p.Vert1);
        p.Vert2 = back(p.Vert2);
        p.Vert3 = back(p.Vert3);
        if (!turn->Identity) {
            p.Normal = turn->ApplyInverse(p.Normal);
        }
    }
}

}  // namespace tessarin::model
