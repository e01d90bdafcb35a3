// The loaded polygons of one model and their sorting into rake, flank and other surfaces.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/base_names.h"
#include "model/types.h"

namespace tessarin::model {

struct TModelCheck;

class TSurFaceData {
public:
    bool SurfaceExist = false;   // an STL model is loaded
    bool SurfaceSorted = false;  // the polygons have been sorted
    TSurface Polygons;
    TSurface FrontPolygons;  // rake surface
    TSurface BackPolygons;   // flank surface
    TSurface OtherPolygons;
    // Bounding box of the loaded vertices. It always contains the origin, and it keeps
    // its values when the geometry is removed or a load fails.
    double Zmax = 0.0;
    double Zmin = 0.0;
    double Xmax = 0.0;
    double Xmin = 0.0;
    double Ymax = 0.0;
    double Ymin = 0.0;
    std::int32_t PolygonCount = 0;
    std::int32_t FrontCount = 0;
    std::int32_t BackCount = 0;
    std::int32_t OtherCount = 0;           // as left by the sorting; read only by the sorting
    bool Modified = false;                 // the document has unsaved changes
    TGeometrySettings GeometrySettings{};  // all zero until the document sets them
    // How the polygons were brought from their STL file into the tool's frame; kept
    // with the project.
    TImportOptions ImportOptions{};

    // Reads an STL file, ASCII or binary, into Polygons (facet order, vertices in file
    // order, normals as stored) and sets the bounding box. The previous geometry must
    // have been removed by the caller (TModel::ClearSurface).
    //
    // On success SurfaceExist is true. On failure (the file cannot be read, a facet
    // does not parse, there is no facet at all) the result names the file and the line
    // (ASCII) or byte offset (binary); SurfaceExist is false, Polygons is empty,
    // PolygonCount is 0 and the bounding box keeps its old values. Modified is set
    // either way, before anything can fail.
    //
    // This form imports with the default TImportOptions: millimetres, axis +Z, origin
    // kept, normals repaired and duplicate facets dropped (model/model_check.h); a model
    // without such faults is stored bit for bit as read.
    TResult LoadSTL(const std::string& path, TProgress& progress = NullProgress());

    // LoadSTL with `options`: the polygons are brought into the tool's frame
    // (model/import_options.h), repaired as the options allow and checked; `check`, when
    // given, receives the model check (only on success). Options that CheckImportOptions
    // refuses fail the load, naming the file and the option. On success ImportOptions
    // holds `options` and the bounding box is the one of the stored polygons.
    TResult LoadSTL(const std::string& path, const TImportOptions& options, TModelCheck* check,
                    TProgress& progress = NullProgress());

    // LoadSTL on a file already in memory; `name` is used in the reasons only.
    TResult LoadSTLFromMemory(std::string_view data, std::string_view name,
                              TProgress& progress = NullProgress());
    TResult LoadSTLFromMemory(std::string_view data, std::string_view name,
                              const TImportOptions& options, TModelCheck* check,
                              TProgress& progress = NullProgress());

    // Sorts Polygons into FrontPolygons, BackPolygons and OtherPolygons by the z of
    // each stored normal against GeometrySettings.Gamma and Alpha, then, with
    // DiscardInt, moves flank polygons that face the Z axis to OtherPolygons. The
    // three lists must be empty on entry. Ends with SurfaceSorted true; a model
    // without polygons sorts into three empty lists.
    void SortSurfaces(TProgress& progress = NullProgress());
};

}  // namespace tessarin::model
