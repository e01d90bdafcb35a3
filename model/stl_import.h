// An STL import in two halves, for a caller that lets the user choose the import options
// after seeing the model: the file is read once, exactly as stored, and the options are
// then applied to copies of what was read, as often as the choice changes, without
// reading the file again.
#pragma once

#include <string>
#include <string_view>

#include "model/base_names.h"
#include "model/model_check.h"
#include "model/surface_data.h"
#include "model/types.h"

namespace tessarin::model {

// Reads the STL file `path` (ASCII or binary) into `polygons`, exactly as stored: nothing
// turned, repaired or checked. Fails as TSurFaceData::LoadSTL does, naming the file and
// the line or byte offset; `polygons` is then empty.
TResult ReadStlPolygons(const std::string& path, TSurface& polygons,
                        TProgress& progress = NullProgress());

// The rest of TSurFaceData::LoadSTL with `options`, on `polygons` as ReadStlPolygons gave
// them: brought into the tool's frame, repaired and checked. `surface` then holds what
// LoadSTL on the file would have stored, bit for bit (polygons, bounding box, counts,
// ImportOptions, SurfaceExist), and `check`, when given, the same model check. Reasons
// begin with `name`. Like LoadSTL it sets Modified first and, on failure, leaves no
// geometry (SurfaceExist false, no polygons) and the bounding box as it was. The caller
// removes the previous geometry first (TModel::ClearSurface).
TResult ImportPolygons(TSurFaceData& surface, TSurface polygons, std::string_view name,
                       const TImportOptions& options, TModelCheck* check,
                       TProgress& progress = NullProgress());

// The model check ImportPolygons would give, without storing anything; `polygons` is not
// changed. Fails as ImportPolygons does.
TResult CheckPolygons(const TSurface& polygons, std::string_view name,
                      const TImportOptions& options, TModelCheck& check,
                      TProgress& progress = NullProgress());

// Polygons stored in the tool's frame by `applied`, taken back as far as can be into the
// frame of their file: the axis turned back, the origin point added again and the unit
// undone. The centre of an origin Center is not stored, so such a model comes back centred
// across the axis. Repairs are not undone (a facet dropped as a duplicate stays dropped).
// Used when a model's file is no longer at hand and it is to be imported anew with other
// options. Preconditions: CheckImportOptions(applied) succeeded.
void UndoToolFrame(TSurface& polygons, const TImportOptions& applied);

}  // namespace tessarin::model
