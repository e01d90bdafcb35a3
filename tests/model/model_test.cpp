#include "model/model.h"

#include <gtest/gtest.h>

namespace tessarin::model {
namespace {

const TPolygon kTriangle{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

// A model as far along the road as it gets: sorted, cutting edge found, every system
// defined and accepted, angles computed, a selection made.
TModel AnalysedModel() {
    TModel model(',');
    TSurFaceData& data = model.SurfaceData;
    data.GeometrySettings = kDefaultGeometrySettings;
    data.SurfaceExist = true;
    data.SurfaceSorted = true;
    data.Polygons = {kTriangle, kTriangle, kTriangle};
    data.FrontPolygons = {kTriangle};
    data.BackPolygons = {kTriangle};
    data.OtherPolygons = {kTriangle};
    data.PolygonCount = 3;
    data.FrontCount = data.BackCount = data.OtherCount = 1;
    data.Xmin = -4;
    data.Xmax = 5;
    data.Ymin = -6;
    data.Ymax = 7;
    data.Zmin = -8;
    data.Zmax = 9;

    model.CutEdge.resize(2);
    model.CutEdge[0].Number = 1;
    model.CutEdge[1].Number = 2;
    model.SegmentCount = 2;
    model.CutEdgeExist = true;
    model.SelectCutEdge = {model.CutEdge[1]};
    model.SelectCutEdgeExist = true;
    model.CurrentCS = kDSK;
    model.ExistedCS = {true, true, true, true};
    model.DefinedAngles = {true, true, true, true};
    for (auto& marks : model.MarkedCells) {
        marks = {true, false};
    }
    for (int k = 1; k <= kColumnCount; ++k) {
        model.Columns[k] = {"header", "value"};
    }
    model.Series(3).Add(1, 2);
    for (CSValues* cs : {&model.WorkingCS, &model.AcceptedCS}) {
        cs->SSK = {{0.1, 0.2, 0.97}, 5, 30};
        cs->KSK = {{0.3, 0.1, 0.9}, 12};
        cs->DSK = {{0.5, 0.5, 0.7}, 20};
        cs->FeedPlan = {{0.8, 0.6, 0}, 15, 1};
    }
    data.Modified = false;
    return model;
}

TEST(ModelTest, NewModelHoldsTheCreationValues) {
    const TModel model('.');
    EXPECT_EQ(model.CurrentCS, kISK);
    EXPECT_FALSE(model.CutEdgeExist || model.SelectCutEdgeExist);
    EXPECT_EQ(model.SegmentCount, 0);
    EXPECT_EQ(model.ExistedCS, (std::array<bool, 4>{}));
    EXPECT_EQ(model.DefinedAngles, (std::array<bool, 4>{}));
    EXPECT_TRUE(model.CutEdge.empty() && model.SelectCutEdge.empty());
    for (const auto& marks : model.MarkedCells) {
        EXPECT_TRUE(marks.empty());
    }
    for (int k = 1; k <= kColumnCount; ++k) {
        EXPECT_TRUE(model.Columns[k].empty()) << k;
    }
    for (int k = 3; k <= 17; ++k) {
        EXPECT_TRUE(model.Series(k).GetPoints().empty()) << k;
    }
    for (const CSValues& cs : {model.WorkingCS, model.AcceptedCS}) {
        EXPECT_EQ(cs.SSK.OP, (TVector3{0, 0, 1}));
        EXPECT_EQ(cs.SSK.GN, 0.0);
        EXPECT_EQ(cs.SSK.Mu, 0.0);
        EXPECT_EQ(cs.KSK, TKSKValues{});
        EXPECT_EQ(cs.KSK.OP, (TVector3{0, 0, 0}));
        EXPECT_EQ(cs.DSK.SP, (TVector3{0, 0, 0}));
        EXPECT_EQ(cs.DSK.Nu, 45.0);
        EXPECT_EQ(cs.FeedPlan.FP, (TVector3{1, 0, 0}));
        EXPECT_EQ(cs.FeedPlan.Phi, 0.0);
        EXPECT_EQ(cs.FeedPlan.HCE, 0);
    }
    const TSurFaceData& data = model.SurfaceData;
    EXPECT_FALSE(data.SurfaceExist || data.SurfaceSorted || data.Modified);
    EXPECT_EQ(data.PolygonCount + data.FrontCount + data.BackCount + data.OtherCount, 0);
    EXPECT_EQ(data.GeometrySettings, TGeometrySettings{});
    EXPECT_EQ(model.DecimalSeparator, '.');
}

TEST(ModelTest, AccuracyFollowsTheDocumentsSettings) {
    TModel model(',');
    model.SurfaceData.GeometrySettings.TableAccuracy = 2;
    EXPECT_EQ(model.GetAccuracy(), 2);
    model.SurfaceData.GeometrySettings.TableAccuracy = 6;
    EXPECT_EQ(model.GetAccuracy(), 6);
}

TEST(ModelTest, ClearCutEdgeDropsTheEdgeAndTheStaticSystemOnly) {
    TModel model = AnalysedModel();
    const TModel before = AnalysedModel();
    model.ClearCutEdge();

    EXPECT_TRUE(model.SurfaceData.Modified);
    EXPECT_FALSE(model.CutEdgeExist);
    EXPECT_EQ(model.SegmentCount, 0);
    EXPECT_TRUE(model.CutEdge.empty());
    EXPECT_EQ(model.CurrentCS, kISK);
    EXPECT_EQ(model.ExistedCS, (std::array<bool, 4>{}));
    EXPECT_EQ(model.DefinedAngles, (std::array<bool, 4>{}));
    for (int k = 1; k <= 17; ++k) {
        EXPECT_TRUE(model.Columns[k].empty()) << k;
    }
    for (const CSValues* cs : {&model.WorkingCS, &model.AcceptedCS}) {
        EXPECT_EQ(cs->SSK, TSSKValues{});
        EXPECT_EQ(cs->SSK.OP, (TVector3{0, 0, 1}));
    }
    // The other systems, the working plane with its main segment, the selection, its
    // columns, the series and the marks stay for the caller to deal with.
    EXPECT_EQ(model.AcceptedCS.KSK, before.AcceptedCS.KSK);
    EXPECT_EQ(model.AcceptedCS.DSK, before.AcceptedCS.DSK);
    EXPECT_EQ(model.AcceptedCS.FeedPlan, before.AcceptedCS.FeedPlan);
    EXPECT_EQ(model.WorkingCS.FeedPlan.HCE, 1);
    EXPECT_EQ(model.WorkingCS.KSK, before.WorkingCS.KSK);
    EXPECT_TRUE(model.SelectCutEdgeExist);
    EXPECT_EQ(model.SelectCutEdge, before.SelectCutEdge);
    for (int k = 18; k <= kColumnCount; ++k) {
        EXPECT_EQ(model.Columns[k], before.Columns[k]) << k;
    }
    EXPECT_EQ(model.Series(3).GetPoints(), before.Series(3).GetPoints());
    EXPECT_EQ(model.MarkedCells, before.MarkedCells);
    EXPECT_TRUE(model.SurfaceData.SurfaceSorted);
    EXPECT_EQ(model.SurfaceData.FrontPolygons.size(), 1u);
}

TEST(ModelTest, ClearSortingDropsTheThreeListsAndKeepsThePolygons) {
    TModel model = AnalysedModel();
    model.ClearSorting();
    const TSurFaceData& data = model.SurfaceData;
    EXPECT_TRUE(data.Modified);
    EXPECT_FALSE(data.SurfaceSorted);
    EXPECT_TRUE(data.FrontPolygons.empty() && data.BackPolygons.empty() &&
                data.OtherPolygons.empty());
    EXPECT_EQ(data.FrontCount, 0);
    EXPECT_EQ(data.BackCount, 0);
    EXPECT_TRUE(data.SurfaceExist);
    EXPECT_EQ(data.Polygons.size(), 3u);
    EXPECT_EQ(data.PolygonCount, 3);
}

TEST(ModelTest, ClearSurfaceDropsThePolygonsButKeepsTheBoundingBox) {
    TModel model = AnalysedModel();
    model.ClearSorting();
    model.ClearSurface();
    const TSurFaceData& data = model.SurfaceData;
    EXPECT_TRUE(data.Modified);
    EXPECT_FALSE(data.SurfaceExist);
    EXPECT_TRUE(data.Polygons.empty());
    EXPECT_EQ(data.PolygonCount, 0);
    EXPECT_EQ(data.Xmin, -4);
    EXPECT_EQ(data.Xmax, 5);
    EXPECT_EQ(data.Ymin, -6);
    EXPECT_EQ(data.Ymax, 7);
    EXPECT_EQ(data.Zmin, -8);
    EXPECT_EQ(data.Zmax, 9);
}

}  // namespace
}  // namespace tessarin::model
