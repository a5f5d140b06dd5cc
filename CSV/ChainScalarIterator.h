#pragma once

#include "CSV/Endian.h"
#include "CSV/RunScanner.h"
#include "CSV/ScalarIterator.h"
#include "CSV/UnicodeIterator.h"

#include <concepts>
#include <cstdint>
#include <span>
#include <string>

namespace csv::detail {

// Code units that expose the bytes buffered ahead of them.
template <class Input>
concept BufferedUnits = requires(Input& input, std::size_t count) {
    { input.bufferedBytes() } -> std::convertible_to<std::span<const std::uint8_t>>;
    input.consume(count);
    { input.endian() } -> std::same_as<Endian>;
};

// A decoding chain (code units → UnicodeIterator) as the reader's scalar source, with the fast
// path where the codec and the input allow it.
template <class Input, UnicodeCodec Codec> class ChainScalarIterator final : public ScalarIterator {
public:
    explicit ChainScalarIterator(Input input)
        : scalars_(std::move(input)) {}

    char32_t nextScalar() override {
        if constexpr (hasBufferedDecoding<Codec> && BufferedUnits<Input>) {
            if (!scalars_.hasFailed()) {
                Input& input = scalars_.input();
                const std::span<const std::uint8_t> bytes = input.bufferedBytes();
                const BufferedScalar buffered = decodeBuffered<Codec>(
                    bytes.data(), bytes.data() + bytes.size(), input.endian());
                if (buffered.length != 0) {
                    input.consume(buffered.length);
                    return buffered.scalar;
                }
            }
        }
        const std::optional<char32_t> scalar = scalars_.next();
        return scalar ? *scalar : noScalar;
    }

    char32_t appendRun(std::string& text, const RunStops& stops) override {
        if constexpr (hasBufferedDecoding<Codec> && BufferedUnits<Input>) {
            if (scalars_.hasFailed()) {
                return noScalar;
            }
            Input& input = scalars_.input();
            const RunResult result =
                scanRun<Codec>(input.bufferedBytes(), input.endian(), stops, text);
            input.consume(result.consumed);
            return result.stop;
        } else {
            return ScalarIterator::appendRun(text, stops);
        }
    }

    void setErrorHandler(ErrorHandler handler) override {
        if constexpr (requires { scalars_.input().errorHandler; }) {
            scalars_.input().errorHandler = handler;
        }
        scalars_.errorHandler = std::move(handler);
    }

private:
    UnicodeIterator<Input, Codec> scalars_;
};

// The bytes of a text held in memory, as UTF-8 code units.
class TextUnits {
public:
    explicit TextUnits(std::string text)
        : text_(std::move(text)) {}

    std::optional<std::uint8_t> next() {
        if (position_ == text_.size()) {
            return std::nullopt;
        }
        return static_cast<std::uint8_t>(text_[position_++]);
    }
    std::span<const std::uint8_t> bufferedBytes() const {
        return {bytesOf(text_) + position_, text_.size() - position_};
    }
    void consume(std::size_t count) { position_ += count; }
    Endian endian() const { return Endian::unknown; }

private:
    std::string text_;
    std::size_t position_ = 0;
};

} // namespace csv::detail
