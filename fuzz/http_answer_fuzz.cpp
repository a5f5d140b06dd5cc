// Arbitrary bytes as a CalDAV server's answer: the reader never crashes, never keeps more body
// than its cap, and reads the same answer however the bytes are cut into arrivals; a body it
// accepts parses as a multistatus without a crash, keeping no calendar data past its cap.
#include "Check.h"
#include "sync/caldav/HttpAnswerReader.h"
#include "sync/caldav/Multistatus.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <tuple>

namespace {

constexpr qsizetype bodyCap = 4096;
constexpr qsizetype dataCap = 256;

// What a reader made of the answer.
using Outcome = std::tuple<HttpAnswerReader::State, int, QByteArray, QString>;

// The answer read from arrivals of `step` bytes, then the end of the connection.
Outcome read(QByteArrayView bytes, qsizetype step) {
    HttpAnswerReader reader(bodyCap);
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        reader.feed(bytes.sliced(at, std::min(step, bytes.size() - at)));
    }
    const HttpAnswerReader::State state = reader.end();
    const bool done = state == HttpAnswerReader::State::Done;
    return {state, done ? reader.status() : 0, reader.body(), reader.error()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte says how the rest arrives: in pieces of 1 to 256 bytes.
    const qsizetype step = data[0] + 1;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1),
                               static_cast<qsizetype>(size - 1));
    const Outcome whole = read(bytes, qMax<qsizetype>(bytes.size(), 1));
    check(whole == read(bytes, step) && whole == read(bytes, 1));
    const auto& [state, status, body, error] = whole;
    check(body.size() <= bodyCap);
    if (state == HttpAnswerReader::State::Done) {
        if (const auto parsed = Multistatus::parse(body, dataCap)) {
            for (const Multistatus::Response& response : parsed->responses) {
                check(response.calendarData.size() <= dataCap);
                check(!response.href.isEmpty());
            }
        }
    }
    return 0;
}
