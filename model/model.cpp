#include "model/model.h"

namespace tessarin::model {

TModel::TModel(char decimalSeparator) : DecimalSeparator(decimalSeparator) {
    // The member initialisers hold the creation values: static normal (0, 0, 1),
    // working plane (1, 0, 0) at segment 0, Nu 45 in both records.
}

void TModel::ClearCutEdge() {
    SurfaceData.Modified = true;
    SegmentCount = 0;
    CutEdgeExist = false;
    CutEdge.clear();
    DefinedAngles = {};
    ExistedCS = {};
    CurrentCS = kISK;
    WorkingCS.SSK = TSSKValues{};
    AcceptedCS.SSK = TSSKValues{};
    for (int k = 1; k <= 17; ++k) {
        Columns[k].clear();
    }
}

void TModel::ClearSorting() {
    SurfaceData.Modified = true;
    SurfaceData.SurfaceSorted = false;
    SurfaceData.FrontPolygons.clear();
    SurfaceData.BackPolygons.clear();
    SurfaceData.OtherPolygons.clear();
    SurfaceData.FrontCount = 0;
    SurfaceData.BackCount = 0;
}

void TModel::ClearSurface() {
    SurfaceData.Modified = true;
    SurfaceData.SurfaceExist = false;
    SurfaceData.Polygons.clear();
    SurfaceData.PolygonCount = 0;
}

}  // namespace tessarin::model
