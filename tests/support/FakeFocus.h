#pragma once

#include "platform/Focus.h"

#include <vector>

// A focus service that records what the panel asks of it.
class FakeFocus : public FocusService {
public:
    std::optional<WindowId> active;
    std::vector<WindowId> activated;

    std::optional<WindowId> activeWindow() const override { return active; }
    void activate(WindowId window) override { activated.push_back(window); }
};
