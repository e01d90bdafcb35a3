// The flat record a project reader fills before anything is handed to a model, so
// that a file that fails to read leaves the model untouched.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/tolerances.h"
#include "model/types.h"

namespace tessarin::model {

struct TFileList {
    std::int32_t SegmentCount = 0;
    std::int32_t SelectSegmentCount = 0;
    TCutEdgeData CutEdge;
    TCutEdgeData SelectCutEdge;
    std::int32_t PolygonCount = 0;
    std::int32_t FrontCount = 0;
    std::int32_t BackCount = 0;
    std::int32_t OtherCount = 0;
    TSurface Polygons;
    TSurface FrontPolygons;
    TSurface BackPolygons;
    TSurface OtherPolygons;
    double Zmax = 0.0;
    double Zmin = 0.0;
    double Ymax = 0.0;
    double Ymin = 0.0;
    double Xmax = 0.0;
    double Xmin = 0.0;
    bool SurfaceExist = false;
    bool SurfaceSorted = false;
    bool CutEdgeExist = false;
    bool SelectCutEdgeExist = false;
    std::uint8_t CurrentCS = 0;
    std::array<bool, 4> ExistedCS{};
    std::array<bool, 4> DefinedAngles{};
    CSValues Accepted;
    TGeometrySettings GeometrySettings{};
    std::string StlFileName;
    TImportOptions ImportOptions{};  // from the extension section, else the defaults
    TToleranceSet Tolerances;        // from the extension section
};

}  // namespace tessarin::model
