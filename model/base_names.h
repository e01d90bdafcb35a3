// The model's operations speak in the base layer's result and progress: these names are
// the model's own as well, so its callers keep writing model::TResult and model::TProgress.
#pragma once

#include "base/progress.h"
#include "base/result.h"

namespace tessarin::model {

using base::kProgressBatch;
using base::NullProgress;
using base::ProgressMaximum;
using base::TBatchedSteps;
using base::TProgress;
using base::TProgressScope;
using base::TResult;

}  // namespace tessarin::model
