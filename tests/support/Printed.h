#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

// What `action` prints on standard output.
template <typename Action> std::string printed(Action&& action) {
    testing::internal::CaptureStdout();
    std::forward<Action>(action)();
    return testing::internal::GetCapturedStdout();
}
