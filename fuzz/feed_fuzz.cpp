// Arbitrary bytes as the announcement feed's body: parsing never crashes, and whatever it
// accepts goes through the acceptance rules and the store's JSON form intact.
#include "feed/Acceptance.h"
#include "feed/FeedParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Feed::ParsedFeed parsed = Feed::parseFeed(body);
    if (!parsed.messages) {
        return 0;
    }
    const auto accepted =
        Feed::acceptMessages(true, *parsed.messages, {}, Feed::platformTag, u"2.3.41");
    if (!accepted) {
        std::abort();
    }
    // Every id is taken once at most, and only messages whose id was taken are kept.
    const std::vector<std::int64_t>& seen = accepted->lists.seen;
    if (std::set<std::int64_t>(seen.begin(), seen.end()).size() != seen.size() ||
        accepted->lists.messages.size() != seen.size()) {
        std::abort();
    }
    const auto stored = Json::encodeSystemMessages(accepted->lists.messages);
    if (stored && Json::decodeSystemMessages(*stored)->size() != seen.size()) {
        std::abort();
    }
    return 0;
}
