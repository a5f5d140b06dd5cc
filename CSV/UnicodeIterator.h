#pragma once

#include "CSV/CSVError.h"
#include "CSV/Sequence.h"
#include "CSV/UnicodeCodecs.h"

#include <optional>

namespace csv {

// The Unicode scalars of a sequence of code units. An ill-formed sequence is reported to
// errorHandler as unicodeDecoding and ends the scalars for good.
template <class Input, UnicodeCodec Codec> class UnicodeIterator {
public:
    explicit UnicodeIterator(Input input, Codec = {})
        : input_(std::move(input)) {}

    std::optional<char32_t> next() {
        if (failed_) {
            return std::nullopt;
        }
        const DecodeResult result = inputEncoding_.decode(input_);
        switch (result.status) {
        case DecodeResult::Status::scalar:
            return result.scalar;
        case DecodeResult::Status::emptyInput:
            return std::nullopt;
        case DecodeResult::Status::error:
            break;
        }
        failed_ = true;
        if (errorHandler) {
            errorHandler(CSVError(CSVError::Kind::unicodeDecoding));
        }
        return std::nullopt;
    }

    Input& input() { return input_; }
    bool hasFailed() const { return failed_; }
    NextIterator<UnicodeIterator> begin() { return NextIterator<UnicodeIterator>(*this); }
    std::default_sentinel_t end() const { return {}; }

    ErrorHandler errorHandler;

private:
    Input input_;
    typename Codec::Decoder inputEncoding_;
    bool failed_ = false;
};

} // namespace csv
