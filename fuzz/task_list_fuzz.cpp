// Arbitrary bytes as a stored task list or message list: decoding never crashes, and
// whatever decodes encodes back to text that decodes to the same number of records.
#include "store/Models.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto tasks = Json::decodeTasks(bytes)) {
        const auto again = Json::decodeTasks(Json::encodeTasks(*tasks).value());
        if (!again || again->size() != tasks->size()) {
            std::abort();
        }
    }
    if (const auto messages = Json::decodeSystemMessages(bytes)) {
        const auto again =
            Json::decodeSystemMessages(Json::encodeSystemMessages(*messages).value());
        if (!again || again->size() != messages->size()) {
            std::abort();
        }
    }
    return 0;
}
