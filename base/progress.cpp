#include "base/progress.h"

namespace tessarin::base {

namespace {

class TNullProgress final : public TProgress {
public:
    void Start(std::string_view, int) override {}
    void Step(int) override {}
    void Finish() override {}
};

}  // namespace

TProgress& NullProgress() {
    static TNullProgress progress;
    return progress;
}

}  // namespace tessarin::base
