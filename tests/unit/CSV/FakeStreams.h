#pragma once

#include "Streams.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <system_error>

namespace csv::test {

// An input stream that plays a script: each read delivers (part of) the next chunk or the next
// failure. It reports bytes available while its script has steps left.
class ScriptedInputStream final : public InputStream {
public:
    void addChunk(std::string bytes) { steps_.push_back({std::move(bytes), false, {}}); }
    void addFailure(std::error_code error = {}) { steps_.push_back({{}, true, error}); }

    StreamStatus status() const override { return status_; }
    void open() override {
        ++openCalls;
        if (status_ == StreamStatus::notOpen) {
            status_ = statusAfterOpen;
        }
    }
    void close() override {
        ++closeCalls;
        status_ = StreamStatus::closed;
    }
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t maxLength) override {
        if (steps_.empty()) {
            return 0;
        }
        Step& step = steps_.front();
        if (step.fails) {
            error_ = step.error;
            steps_.pop_front();
            return -1;
        }
        const std::size_t count = std::min(maxLength, step.bytes.size());
        std::memcpy(buffer, step.bytes.data(), count);
        step.bytes.erase(0, count);
        if (step.bytes.empty()) {
            steps_.pop_front();
        }
        return static_cast<std::ptrdiff_t>(count);
    }
    bool hasBytesAvailable() override { return !steps_.empty(); }
    std::error_code error() const override { return error_; }

    void setStatus(StreamStatus status) { status_ = status; }

    StreamStatus statusAfterOpen = StreamStatus::open;
    int openCalls = 0;
    int closeCalls = 0;

private:
    struct Step {
        std::string bytes;
        bool fails;
        std::error_code error;
    };
    std::deque<Step> steps_;
    StreamStatus status_ = StreamStatus::notOpen;
    std::error_code error_;
};

} // namespace csv::test
