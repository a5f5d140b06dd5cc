#include "platform/null/NullPlatform.h"

namespace {

// Knows no window, so it never moves the focus.
class NullFocusService final : public FocusService {
public:
    std::optional<WindowId> activeWindow() const override { return std::nullopt; }
    void activate(WindowId) override {}
};

} // namespace

std::unique_ptr<FocusService> NullPlatform::createFocusService() const {
    return std::make_unique<NullFocusService>();
}

std::optional<QPoint> NullPlatform::windowOrigin(WId) const {
    return std::nullopt;
}
