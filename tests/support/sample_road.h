// The road of the bundled sample project on a model whose cutting edge has been found:
// static system GN 5, Mu 30; working plane Phi 90 on segment 4; Eta 3; Nu 10; then the
// angles of every system. Each step must succeed.
#pragma once

#include <gtest/gtest.h>

#include "model/analysis_steps.h"
#include "model/model.h"

namespace tessarin::test {

inline void DefineAndComputeSampleRoad(model::TModel& model) {
    using model::TDefinition;
    model.PreviewSSK(5, 30);
    EXPECT_TRUE(AcceptDefinition(model, TDefinition::StaticSystem));
    model.WorkingCS.FeedPlan.HCE = 4;
    EXPECT_TRUE(model.PreviewFeedPlan(90));
    EXPECT_TRUE(AcceptDefinition(model, TDefinition::FeedPlan));
    model.PreviewKSK(3);
    EXPECT_TRUE(AcceptDefinition(model, TDefinition::KSK));
    model.PreviewDSK(10);
    EXPECT_TRUE(AcceptDefinition(model, TDefinition::DSK));
    for (int system = model::kISK; system <= model::kDSK; ++system) {
        EXPECT_TRUE(ComputeSystem(model, system).Allowed());
    }
}

}  // namespace tessarin::test
