#include "CSV/CanonicalText.h"

#include "CSV/Utf8Text.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <stdexcept>

namespace csv::detail {

namespace {

const icu::Normalizer2& nfc() {
    static const icu::Normalizer2* const instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
        if (U_FAILURE(status)) {
            throw std::runtime_error(u_errorName(status));
        }
        return normalizer;
    }();
    return *instance;
}

} // namespace

std::optional<std::string> canonicalForm(std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        return std::string(text);
    }
    if (!isWellFormed(text)) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString normalized =
        nfc().normalize(icu::UnicodeString::fromUTF8(
                            icu::StringPiece(text.data(), static_cast<int32_t>(text.size()))),
                        status);
    if (U_FAILURE(status)) {
        throw std::runtime_error(u_errorName(status));
    }
    std::string result;
    normalized.toUTF8String(result);
    return result;
}

} // namespace csv::detail
