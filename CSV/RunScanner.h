#pragma once

#include "Endian.h"
#include "ScalarIterator.h"
#include "UnicodeCodecs.h"
#include "Utf8Text.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>

// The fast path of ScalarIterator::appendRun over buffered bytes of the standard codecs.
// Anything it is unsure about (a stop the stops do not cover, a sequence that is ill-formed or
// cut off by the end of the buffer) ends the run unconsumed, for the decoder to handle.
namespace csv::detail {

struct RunResult {
    std::size_t consumed = 0;
    std::optional<char32_t> stop;
};

inline RunResult scanUTF8Run(std::span<const std::uint8_t> bytes, const RunStops& stops,
                             std::string& text) {
    const std::uint8_t* const begin = bytes.data();
    const std::uint8_t* const end = begin + bytes.size();
    const std::uint8_t* p = begin;
    const auto finish = [&](std::size_t stopLength, std::optional<char32_t> stop) {
        text.append(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(p - begin));
        return RunResult{static_cast<std::size_t>(p - begin) + stopLength, stop};
    };
    for (;;) {
        while (p != end && !stops.breaksUTF8Run(*p)) {
            ++p;
        }
        if (p == end) {
            return finish(0, std::nullopt);
        }
        if (*p < 0x80) {
            return finish(1, *p);
        }
        const int length = wellFormedLength(p, end);
        if (length == 0) {
            return finish(0, std::nullopt);
        }
        if (stops.hasNonASCII()) {
            const char32_t scalar = scalarAt(p, length);
            if (stops.contains(scalar)) {
                return finish(static_cast<std::size_t>(length), scalar);
            }
        }
        p += length;
    }
}

template <class Unit> Unit loadUnit(const std::uint8_t* p, Endian endian) {
    Unit unit = 0;
    for (std::size_t i = 0; i < sizeof(Unit); ++i) {
        const std::size_t shift = endian == Endian::big ? sizeof(Unit) - 1 - i : i;
        unit |= static_cast<Unit>(static_cast<Unit>(p[i]) << (8 * shift));
    }
    return unit;
}

// UTF-16 or UTF-32 in a known byte order.
template <class Codec>
RunResult scanWideRun(std::span<const std::uint8_t> bytes, Endian endian, const RunStops& stops,
                      std::string& text) {
    using Unit = typename Codec::CodeUnit;
    constexpr std::size_t unitSize = sizeof(Unit);
    const std::uint8_t* const begin = bytes.data();
    const std::uint8_t* const end = begin + bytes.size() / unitSize * unitSize;
    const std::uint8_t* p = begin;
    const auto consumed = [&] { return static_cast<std::size_t>(p - begin); };
    while (p != end) {
        const Unit unit = loadUnit<Unit>(p, endian);
        char32_t scalar = unit;
        std::size_t length = unitSize;
        if constexpr (std::is_same_v<Codec, UTF16>) {
            if (isSurrogate(unit)) {
                if (!UTF16::isHighSurrogate(unit) || end - p < 4) {
                    break;
                }
                const Unit low = loadUnit<Unit>(p + 2, endian);
                if (!UTF16::isLowSurrogate(low)) {
                    break;
                }
                scalar = UTF16::combine(unit, low);
                length = 4;
            }
        } else if (unit > maxScalar || isSurrogate(unit)) {
            break;
        }
        p += length;
        if (stops.contains(scalar)) {
            return {consumed(), scalar};
        }
        appendScalar(text, scalar);
    }
    return {consumed(), std::nullopt};
}

template <class Codec>
constexpr bool hasRunScanner =
    std::is_same_v<Codec, UTF8> || std::is_same_v<Codec, UTF16> || std::is_same_v<Codec, UTF32>;

template <class Codec>
RunResult scanRun(std::span<const std::uint8_t> bytes, Endian endian, const RunStops& stops,
                  std::string& text) {
    if constexpr (std::is_same_v<Codec, UTF8>) {
        (void)endian;
        return scanUTF8Run(bytes, stops, text);
    } else {
        if (endian == Endian::unknown) {
            return {};
        }
        return scanWideRun<Codec>(bytes, endian, stops, text);
    }
}

} // namespace csv::detail
