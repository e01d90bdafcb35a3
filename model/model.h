// The analysed tool of one document: its polygons and their sorting, the cutting
// edge, the coordinate systems, the state flags and the presentation data derived from
// the results (table columns, chart series, marks of negative cells).
//
// The analysis road: SurfaceData.LoadSTL -> SurfaceData.SortSurfaces -> FindCutEdge ->
// Preview*/Accept* of the coordinate systems -> ComputeAngles -> MakeSelection. Each
// state flag implies the earlier ones; going back is ClearCutEdge, ClearSorting,
// ClearSurface, driven by the caller in that order.
#pragma once

#include <array>
#include <cstdint>

#include "model/base_names.h"
#include "model/columns.h"
#include "model/file_list.h"
#include "model/selection.h"
#include "model/series.h"
#include "model/surface_data.h"
#include "model/tolerances.h"
#include "model/types.h"

namespace tessarin::model {

class TModel {
public:
    // A new, empty model: CurrentCS ISK, no flags, WorkingCS = AcceptedCS = the
    // creation values (static normal (0, 0, 1), working-plane normal (1, 0, 0), Nu 45).
    // `decimalSeparator` is used for every text the model writes into its columns.
    explicit TModel(char decimalSeparator);

    bool CutEdgeExist = false;
    std::int32_t SegmentCount = 0;
    std::uint8_t CurrentCS = kISK;        // system shown: 0 ISK, 1 SSK, 2 KSK, 3 DSK
    std::array<bool, 4> ExistedCS{};      // SSK, KSK, DSK, FeedPlan defined
    std::array<bool, 4> DefinedAngles{};  // angles computed: ISK, SSK, KSK, DSK
    TMarkedCells MarkedCells;
    bool SelectCutEdgeExist = false;  // exactly when SelectCutEdge is not empty
    TSurFaceData SurfaceData;
    TCutEdgeData CutEdge;        // ordered by polar angle, Number i + 1 at index i
    TCutEdgeData SelectCutEdge;  // sorted by Number
    TColumns Columns;
    CSValues WorkingCS;        // being edited in the parameter panel
    CSValues AcceptedCS;       // confirmed; used by every measurement and saved
    TToleranceSet Tolerances;  // nominal values of angles with their deviations; saved
    char DecimalSeparator;

    // Chart series k (3..17) charts table column k.
    TSeries& Series(int k) { return SeriesList.at(static_cast<std::size_t>(k - 3)); }
    const TSeries& Series(int k) const { return SeriesList.at(static_cast<std::size_t>(k - 3)); }

    int GetAccuracy() const { return SurfaceData.GeometrySettings.TableAccuracy; }

    // Drops the cutting edge and what was computed on it: flags, columns 1..17 and the
    // static system of both records. KSK, DSK and FeedPlan values stay; so do the
    // selection, columns 18..34, series and marks (the caller removes a selection first).
    void ClearCutEdge();
    // Drops the front, back and other lists.
    void ClearSorting();
    // Drops the polygons; the bounding box keeps its values until the next load.
    void ClearSurface();

    // Finds the triangle edges that front polygons share with back polygons, orders
    // them by the polar angle of their midpoints (equal angles keep detection order),
    // numbers them and fills columns 1 and 2. Points are compared with the settings'
    // PointTolerance; pairs whose normals are closer than MinNormalAngle do not count.
    // Fails, with the model unchanged and a Russian reason to show as it is, when no
    // segment is found ("Нет пересечений передней и задней поверхностей", then the front,
    // back and other counts and what to check), when PointTolerance is not a positive
    // number, and, before the search stores anything, when its candidate pairs exceed
    // CutEdgeLimits of the front and back polygons (a model far too small for the point
    // tolerance: the reason gives the counts and the surfaces' size). Requires
    // SurfaceSorted and no cutting edge. Does not set Modified.
    TResult FindCutEdge(TProgress& progress = NullProgress());

    // Coordinate systems (angles in degrees). Previews recompute one system of
    // WorkingCS from an angle and the accepted values; accepts copy it to AcceptedCS
    // and set its ExistedCS flag. All set Modified.
    void PreviewSSK(double gn, double mu);
    // Refuses, changing nothing, when WorkingCS.FeedPlan.HCE is not a segment index.
    TResult PreviewFeedPlan(double phi);
    void PreviewKSK(double eta);
    void PreviewDSK(double nu);
    void AcceptSSK();
    void AcceptKSK();
    void AcceptDSK();
    void AcceptFeedPlan();
    // The panel's OK in static mode: AcceptSSK, then the working plane and the dynamic
    // system rebuilt on the new static normal with their stored angles, the kinematic
    // normal reset to the static one. Refuses, changing nothing, when the working
    // plane's HCE is not a segment index.
    TResult AcceptStaticSystem();

    // Computes the angles of one system (kISK..kDSK) at every segment from AcceptedCS,
    // refills its columns, series and marks and sets its DefinedAngles flag. The
    // selection's segments take the new angles too (and its columns, when there is a
    // selection). Needs at least one segment.
    void ComputeAngles(int system, TProgress& progress = NullProgress());

    // The angles of one system are no longer valid (their system was defined anew): its
    // DefinedAngles flag is cleared, its angles in the cutting edge and the selection go
    // back to the zeros of a segment never computed, and its columns (the selection's
    // too), series and marks are emptied. Sets Modified.
    void ForgetAngles(int system);

    // The selection holds copies of cutting-edge segments; each copy whose Number names
    // the same segment of CutEdge (same end points) takes that segment's angles, so that
    // a search within the selection and its columns see the angles as they are now.
    void SyncSelection();

    // Replaces SelectCutEdge with the segments of the searched set that match the
    // query. Returns false when nothing matched: the previous selection is kept.
    bool MakeSelection(const TSelectDlgInqury& query, TProgress& progress = NullProgress());

    // Loads a completely read project into this new, empty model and rebuilds columns
    // 1..17, the series and the marks. Main segments are renumbered 1..N. Does not set
    // Modified.
    void LoadFileList(TFileList&& list);

    // Presentation rebuilt from the segments: columns 1 ("№" and the numbers) and 2
    // (the polar angles), after renumbering the segments 1..N.
    void FillNumberColumns();
    // Columns and series of one system's angles, as stored in the segments.
    void FillAngleColumns(int system);
    // Marks of one system's angle columns: true where the angle is negative or NaN.
    void FillAngleMarks(int system);
    // Columns 18..34 from SelectCutEdge: numbers, polar angles and the angles of every
    // system whose DefinedAngles flag is set. Sets Modified.
    void FillSelectionLists();
    // Every text column written again from the stored numbers with the current
    // TableAccuracy: columns 1 and 2, the angle columns of each system whose angles are
    // computed, and the selection's columns when there is a selection. For results shown
    // with another accuracy than they were computed with; nothing without a cutting edge.
    void RefillColumns();

private:
    std::array<TSeries, 15> SeriesList;
};

}  // namespace tessarin::model
