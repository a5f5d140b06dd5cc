#pragma once

#include "CSV/Streams.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace csv::test {

// The open/close life cycle both fake streams share: counts the calls, and opening moves a
// stream that was not open to `statusAfterOpen`.
template <typename Stream> class FakeLifecycle : public Stream {
public:
    StreamStatus status() const override { return status_; }
    void open() override {
        ++openCalls;
        status_ = status_ == StreamStatus::notOpen ? statusAfterOpen : status_;
    }
    void close() override {
        ++closeCalls;
        status_ = StreamStatus::closed;
    }

    StreamStatus statusAfterOpen = StreamStatus::open;
    int openCalls = 0;
    int closeCalls = 0;

private:
    StreamStatus status_ = StreamStatus::notOpen;
};

// An input stream that plays a script: each read delivers (part of) the next chunk or the next
// failure. It reports bytes available while its script has steps left.
class ScriptedInputStream final : public FakeLifecycle<InputStream> {
public:
    void addChunk(std::string bytes) { steps_.emplace_back(std::move(bytes)); }
    void addFailure(std::error_code error = {}) { steps_.emplace_back(error); }

    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t maxLength) override {
        if (steps_.empty()) {
            return 0;
        }
        if (const auto* failure = std::get_if<std::error_code>(&steps_.front())) {
            error_ = *failure;
            steps_.pop_front();
            return -1;
        }
        std::string& bytes = std::get<std::string>(steps_.front());
        const std::size_t count = std::min(maxLength, bytes.size());
        std::copy_n(bytes.begin(), count, buffer);
        bytes.erase(0, count);
        if (bytes.empty()) {
            steps_.pop_front();
        }
        return static_cast<std::ptrdiff_t>(count);
    }
    bool hasBytesAvailable() override { return !steps_.empty(); }
    std::error_code error() const override { return error_; }

private:
    std::deque<std::variant<std::string, std::error_code>> steps_;
    std::error_code error_;
};

// An output stream that records every write call (it lends no window). By default it takes
// everything; answer can make it take less (or claim more) for a call.
class RecordingOutputStream final : public FakeLifecycle<OutputStream> {
public:
    std::error_code error() const override { return {}; }

    std::function<std::ptrdiff_t(const std::string& call)> answer;
    std::vector<std::string> calls;
    std::string data;

private:
    std::ptrdiff_t writeThrough(const std::uint8_t* bytes, std::size_t length) override {
        const std::string& call = calls.emplace_back(bytes, bytes + length);
        const std::ptrdiff_t taken = answer ? answer(call) : std::ssize(call);
        data.append(call, 0, static_cast<std::size_t>(std::max<std::ptrdiff_t>(taken, 0)));
        return taken;
    }
};

} // namespace csv::test
