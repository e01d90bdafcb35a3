// The whole result of an analysis as one JSON document, for scripts: the input, the model
// check, the settings, the accepted coordinate systems, every segment with its computed
// angles, the edges with their summaries, the selection and the tolerance verdicts.
//
// The document is one object with the keys file, check, settings, systems, segments,
// edges, selection and tolerance, in that order; its schema is shell/help/result.schema.json,
// described on the help page json.htm. Numbers are in the
// shortest form that reads back to the same double ("6", "-0.5", "1e-07"); a value that is
// not a finite number is null. Angles are in degrees, lengths and points in millimetres.
#pragma once

#include <optional>
#include <string>

#include "base/text_file.h"
#include "model/base_names.h"
#include "model/edges.h"
#include "model/model.h"
#include "model/model_check.h"
#include "model/tolerances.h"

namespace tessarin::project {

struct TJsonResult {
    std::string File;                         // the input as given
    std::optional<model::TModelCheck> Check;  // an STL input's; null for a project
    const model::TModel* Model = nullptr;
    // Built for Model.CutEdge: ComputedAngleTable, GroupModelEdges, SummarizeEdges and
    // CheckTolerances with Model.Tolerances.
    const model::TAngleTable* Angles = nullptr;
    const model::TEdges* Edges = nullptr;
    const model::TEdgeReport* EdgeReport = nullptr;
    const model::TToleranceReport* Tolerance = nullptr;
};

// Produces the document in pieces of about a megabyte, each passed to `write`; once
// `write` returns false no further piece is passed.
void ProduceJsonResult(const TJsonResult& result, const base::TStreamWrite& write);

// The document written to `path` as base::WriteFileAtomicallyStreamed writes; the reason
// of a failure names the file.
model::TResult SaveJsonResult(const TJsonResult& result, const std::string& path);

}  // namespace tessarin::project
