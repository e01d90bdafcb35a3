// Loading a completely read project into a model.
#include "model/file_list.h"

#include "model/model.h"
#include "model/systems.h"

namespace tessarin::model {

void TModel::LoadFileList(TFileList&& list) {
    CutEdgeExist = list.CutEdgeExist;
    SegmentCount = list.SegmentCount;
    CurrentCS = list.CurrentCS;
    ExistedCS = list.ExistedCS;
    DefinedAngles = list.DefinedAngles;
    SelectCutEdgeExist = list.SelectCutEdgeExist;

    SurfaceData.SurfaceExist = list.SurfaceExist;
    SurfaceData.SurfaceSorted = list.SurfaceSorted;
    SurfaceData.PolygonCount = list.PolygonCount;
    SurfaceData.FrontCount = list.FrontCount;
    SurfaceData.BackCount = list.BackCount;
    SurfaceData.Zmax = list.Zmax;
    SurfaceData.Zmin = list.Zmin;
    SurfaceData.Ymax = list.Ymax;
    SurfaceData.Ymin = list.Ymin;
    SurfaceData.Xmax = list.Xmax;
    SurfaceData.Xmin = list.Xmin;

    // The working record starts equal to the accepted one, as in a new model; the
    // document works from now on with the settings stored in the file, and the columns
    // below are already formatted with its table accuracy.
    AcceptedCS = list.Accepted;
    WorkingCS = list.Accepted;
    SurfaceData.GeometrySettings = list.GeometrySettings;
    SurfaceData.ImportOptions = list.ImportOptions;
    Tolerances = std::move(list.Tolerances);

    SurfaceData.Polygons = std::move(list.Polygons);
    SurfaceData.FrontPolygons = std::move(list.FrontPolygons);
    SurfaceData.BackPolygons = std::move(list.BackPolygons);
    SurfaceData.OtherPolygons = std::move(list.OtherPolygons);
    CutEdge = std::move(list.CutEdge);
    SelectCutEdge = std::move(list.SelectCutEdge);

    // Main segments are renumbered 1..N in file order; selected ones keep the numbers
    // the file gives them, their positions in the main list.
    FillNumberColumns();
    for (int system = kISK; system <= kDSK; ++system) {
        // Marks for every system, defined or not: a fresh segment's zeros are not
        // negative, so they stay unmarked.
        FillAngleMarks(system);
        if (DefinedAngles.at(static_cast<std::size_t>(system))) {
            FillAngleColumns(system);
        } else {
            const int first = SystemInfo(system).FirstColumn;
            for (int c = first; c < first + SystemInfo(system).AngleCount; ++c) {
                Columns[c].clear();
                Series(c).Clear();
            }
        }
    }
    // The selection's columns are the desktop's to fill.
    for (int k = 1 + kSelectionColumnOffset; k <= kColumnCount; ++k) {
        Columns[k].clear();
    }
}

}  // namespace tessarin::model
