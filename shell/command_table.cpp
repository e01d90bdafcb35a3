#include "shell/command_table.h"

#include "document/mdi_child.h"
#include "model/types.h"

namespace tessarin::shell {

bool TCommandContext::Loaded() const {
    return Active != nullptr && Active->Model.SurfaceData.SurfaceExist;
}

bool TCommandContext::Sorted() const {
    return Active != nullptr && Active->Model.SurfaceData.SurfaceSorted;
}

bool TCommandContext::CutEdge() const {
    return Active != nullptr && Active->Model.CutEdgeExist;
}

bool TCommandContext::FeedPlanShown() const {
    return Loaded() && Active->Model.ExistedCS[model::kExistedFeedPlan];
}

bool TCommandContext::AnglesComputed() const {
    if (Active == nullptr) {
        return false;
    }
    for (const bool defined : Active->Model.DefinedAngles) {
        if (defined) {
            return true;
        }
    }
    return false;
}

bool TCommandContext::SelectionMade() const {
    return Active != nullptr && Active->Model.SelectCutEdgeExist;
}

std::optional<bool> EnabledState(const TEnabling& enabling, const TCommandContext& context) {
    const bool condition = (context.*enabling.Condition)();
    const bool document = context.OpenDocuments > 0 && context.Active != nullptr;
    switch (enabling.Kind) {
        case TCommandKind::Always:
            return std::nullopt;
        case TCommandKind::File:
            return !context.PanelOpen && condition;
        case TCommandKind::Geometry:
            return !context.PanelOpen && document && condition;
        case TCommandKind::View:
            if (context.PanelOpen) {
                return std::nullopt;
            }
            return document && condition;
        case TCommandKind::Window:
            return condition;
    }
    return std::nullopt;
}

}  // namespace tessarin::shell
