#pragma once

#include "CSV/CSVError.h"
#include "CSV/RunStops.h"
#include "CSV/UnicodeCodecs.h"

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>

namespace csv {

// The parser's hot loops pass scalars as a plain char32_t, with this value for "no scalar":
// a std::optional comes back through memory here, and the load after it stalls.
inline constexpr char32_t noScalar = 0xFFFFFFFF;

// Subclasses yield Unicode scalars only: no surrogates, nothing above U+10FFFF.
class ScalarIterator {
public:
    virtual ~ScalarIterator() = default;

    // The next scalar, or nothing at the end of the input (or after an error, reported to the
    // error handler).
    std::optional<char32_t> next() {
        const char32_t scalar = nextScalar();
        return scalar == noScalar ? std::nullopt : std::optional(scalar);
    }
    // The same, with noScalar for nothing.
    virtual char32_t nextScalar() = 0;

    // Fast path for sources that decode from a buffer: appends to text the UTF-8 of the
    // scalars already buffered, up to the first one in stops, which it consumes and returns.
    // Returns noScalar when it stops before a stop (buffer used up, or input it leaves to
    // nextScalar()); the caller then goes on with nextScalar(). Sources without a buffer append
    // nothing.
    virtual char32_t appendRun(std::string& text, const RunStops& stops) {
        (void)text;
        (void)stops;
        return noScalar;
    }

    // Where the source reports the error that ends it; sources that cannot fail ignore it.
    virtual void setErrorHandler(ErrorHandler handler) { (void)handler; }
};

// Any object with next() returning an optional scalar, as a ScalarIterator.
template <class Iterator>
concept ScalarSequence = requires(Iterator& iterator) {
    { iterator.next() } -> std::convertible_to<std::optional<char32_t>>;
};

// Wraps a ScalarSequence. A value that is no Unicode scalar (a surrogate, or above U+10FFFF)
// is reported as unicodeDecoding and ends the sequence, so rows only ever hold valid text.
template <ScalarSequence Iterator> class AnyScalarIterator final : public ScalarIterator {
public:
    explicit AnyScalarIterator(Iterator iterator)
        : iterator_(std::move(iterator)) {}

    char32_t nextScalar() override {
        if (failed_) {
            return noScalar;
        }
        const std::optional<char32_t> scalar = iterator_.next();
        if (!scalar) {
            return noScalar;
        }
        if (*scalar > maxScalar || isSurrogate(*scalar)) {
            failed_ = true;
            if (errorHandler_) {
                errorHandler_(CSVError(CSVError::Kind::unicodeDecoding));
            }
            return noScalar;
        }
        return *scalar;
    }

    void setErrorHandler(ErrorHandler handler) override { errorHandler_ = std::move(handler); }

private:
    Iterator iterator_;
    ErrorHandler errorHandler_;
    bool failed_ = false;
};

} // namespace csv
