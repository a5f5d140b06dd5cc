#pragma once

#include "CSV/Endian.h"
#include "CSV/ScalarIterator.h"
#include "CSV/UnicodeCodecs.h"
#include "CSV/Utf8Text.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

// The fast paths of the decoding chain over bytes already buffered, for the standard codecs.
// Anything they are unsure about (a sequence that is ill-formed or cut off by the end of the
// buffer, an unknown byte order) they leave unconsumed, for the decoder to handle and report.
namespace csv::detail {

template <class Codec>
constexpr bool hasBufferedDecoding =
    std::is_same_v<Codec, UTF8> || std::is_same_v<Codec, UTF16> || std::is_same_v<Codec, UTF32>;

template <class Unit> Unit loadUnit(const std::uint8_t* p, Endian endian) {
    Unit unit = 0;
    for (std::size_t i = 0; i < sizeof(Unit); ++i) {
        const std::size_t shift = endian == Endian::big ? sizeof(Unit) - 1 - i : i;
        unit |= static_cast<Unit>(static_cast<Unit>(p[i]) << (8 * shift));
    }
    return unit;
}

// One scalar at the front of [p, end), and its length in bytes; length 0 when the decoder
// must handle what is there.
struct BufferedScalar {
    char32_t scalar = 0;
    std::size_t length = 0;
};

template <class Codec>
BufferedScalar decodeBuffered(const std::uint8_t* p, const std::uint8_t* end, Endian endian) {
    using Unit = typename Codec::CodeUnit;
    if constexpr (std::is_same_v<Codec, UTF8>) {
        if (p == end) {
            return {};
        }
        const int length = wellFormedLength(p, end);
        return length == 0 ? BufferedScalar{}
                           : BufferedScalar{scalarAt(p, length), std::size_t(length)};
    } else {
        if (endian == Endian::unknown || static_cast<std::size_t>(end - p) < sizeof(Unit)) {
            return {};
        }
        const Unit unit = loadUnit<Unit>(p, endian);
        if constexpr (std::is_same_v<Codec, UTF16>) {
            if (!isSurrogate(unit)) {
                return {unit, 2};
            }
            if (!UTF16::isHighSurrogate(unit) || end - p < 4) {
                return {};
            }
            const Unit low = loadUnit<Unit>(p + 2, endian);
            return UTF16::isLowSurrogate(low) ? BufferedScalar{UTF16::combine(unit, low), 4}
                                              : BufferedScalar{};
        } else {
            return unit > maxScalar || isSurrogate(unit) ? BufferedScalar{}
                                                         : BufferedScalar{unit, 4};
        }
    }
}

// Skips bytes that are ASCII and no stop, eight at a time where it can.
inline const std::uint8_t* skipOrdinaryASCII(const std::uint8_t* p, const std::uint8_t* end,
                                             const RunStops& stops) {
    if (stops.hasWordPatterns()) {
        while (end - p >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, 8);
            const std::uint64_t hits = (word & RunStops::byteHighs) | stops.stopBytes(word);
            if (hits != 0) {
                const int bit = std::endian::native == std::endian::little ? std::countr_zero(hits)
                                                                           : std::countl_zero(hits);
                return p + bit / 8;
            }
            p += 8;
        }
    }
    while (p != end && !stops.breaksUTF8Run(*p)) {
        ++p;
    }
    return p;
}

// Whether text is well-formed UTF-8, and whether it holds one of the stops.
struct TextCheck {
    bool wellFormed = true;
    bool hasStop = false;
};

inline TextCheck checkText(std::string_view text, const RunStops& stops) {
    const std::uint8_t* p = bytesOf(text);
    const std::uint8_t* const end = p + text.size();
    TextCheck check;
    for (;;) {
        p = skipOrdinaryASCII(p, end, stops);
        if (p == end) {
            return check;
        }
        if (*p < 0x80) {
            check.hasStop = true;
            ++p;
            continue;
        }
        const int length = wellFormedLength(p, end);
        if (length == 0) {
            return {false, check.hasStop};
        }
        check.hasStop =
            check.hasStop || (stops.hasNonASCII() && stops.contains(scalarAt(p, length)));
        p += length;
    }
}

struct RunResult {
    std::size_t consumed = 0;
    char32_t stop = noScalar;
};

inline RunResult scanUTF8Run(std::span<const std::uint8_t> bytes, const RunStops& stops,
                             std::string& text) {
    const std::uint8_t* const begin = bytes.data();
    const std::uint8_t* const end = begin + bytes.size();
    const std::uint8_t* p = begin;
    const auto finish = [&](std::size_t stopLength, char32_t stop) {
        text.append(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(p - begin));
        return RunResult{static_cast<std::size_t>(p - begin) + stopLength, stop};
    };
    for (;;) {
        p = skipOrdinaryASCII(p, end, stops);
        if (p == end) {
            return finish(0, noScalar);
        }
        if (*p < 0x80) {
            return finish(1, *p);
        }
        const int length = wellFormedLength(p, end);
        if (length == 0) {
            return finish(0, noScalar);
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

// Collects UTF-8 in a small local buffer and appends it to the text in pieces.
class Utf8Collector {
public:
    explicit Utf8Collector(std::string& text)
        : text_(text) {}
    ~Utf8Collector() { flush(); }
    Utf8Collector(const Utf8Collector&) = delete;
    Utf8Collector& operator=(const Utf8Collector&) = delete;

    void put(char32_t scalar) {
        if (used_ + 4 > sizeof buffer_) {
            flush();
        }
        UTF8::encode(scalar,
                     [&](std::uint8_t unit) { buffer_[used_++] = static_cast<char>(unit); });
    }

    // The first `count` of four ASCII scalars, one in each 16-bit lane (least significant
    // first), on a little-endian machine.
    void putLanes(std::uint64_t lanes, int count = 4) {
        if (used_ + 4 > sizeof buffer_) {
            flush();
        }
        const std::uint64_t pairs = (lanes | lanes >> 8) & 0x0000FFFF0000FFFFu;
        const auto four = static_cast<std::uint32_t>(pairs | pairs >> 16);
        std::memcpy(buffer_ + used_, &four, 4);
        used_ += static_cast<std::size_t>(count);
    }
    void flush() {
        text_.append(buffer_, used_);
        used_ = 0;
    }

private:
    std::string& text_;
    char buffer_[256];
    std::size_t used_ = 0;
};

// Four UTF-16 units at p as 16-bit lanes, the first unit least significant; only where the
// machine is little-endian, where the lanes fall out of one load.
inline std::uint64_t loadLanes(const std::uint8_t* p, Endian endian) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, 8);
    if (endian == Endian::big) {
        word = (word & 0x00FF00FF00FF00FFu) << 8 | (word >> 8 & 0x00FF00FF00FF00FFu);
    }
    return word;
}

// How many of the four lanes come before the first one that is not ASCII or is a stop.
inline int ordinaryASCIILanes(std::uint64_t lanes, const RunStops& stops) {
    // A lane is not ASCII when any of its bits 7-15 is set: fold them into bit 15, without a
    // carry from one lane into the next.
    constexpr std::uint64_t lows = 0x7FFF7FFF7FFF7FFFu;
    const std::uint64_t high = lanes & 0xFF80FF80FF80FF80u;
    const std::uint64_t hits =
        ((high | ((high & lows) + lows)) & RunStops::unitHighs) | stops.stopUnits(lanes);
    return hits == 0 ? 4 : std::countr_zero(hits) / 16;
}

// UTF-16 or UTF-32, appended as UTF-8; UTF-16 takes four ASCII units at a time where it can.
template <class Codec>
RunResult scanWideRun(std::span<const std::uint8_t> bytes, Endian endian, const RunStops& stops,
                      std::string& text) {
    const std::uint8_t* const begin = bytes.data();
    const std::uint8_t* const end = begin + bytes.size();
    const std::uint8_t* p = begin;
    Utf8Collector out(text);
    constexpr bool lanes =
        std::is_same_v<Codec, UTF16> && std::endian::native == std::endian::little;
    for (;;) {
        if constexpr (lanes) {
            if (endian != Endian::unknown && stops.hasWordPatterns()) {
                while (end - p >= 8) {
                    const std::uint64_t word = loadLanes(p, endian);
                    const int ordinary = ordinaryASCIILanes(word, stops);
                    if (ordinary == 4) {
                        out.putLanes(word);
                        p += 8;
                        continue;
                    }
                    out.putLanes(word, ordinary);
                    p += 2 * ordinary;
                    // The lane that ended the run: an ASCII one is a stop.
                    const auto unit = static_cast<char32_t>(word >> (16 * ordinary) & 0xFFFF);
                    if (unit < 0x80) {
                        return {static_cast<std::size_t>(p + 2 - begin), unit};
                    }
                    break;
                }
            }
        }
        const BufferedScalar next = decodeBuffered<Codec>(p, end, endian);
        if (next.length == 0) {
            return {static_cast<std::size_t>(p - begin), noScalar};
        }
        p += next.length;
        if (stops.contains(next.scalar)) {
            return {static_cast<std::size_t>(p - begin), next.scalar};
        }
        out.put(next.scalar);
    }
}

template <class Codec>
RunResult scanRun(std::span<const std::uint8_t> bytes, Endian endian, const RunStops& stops,
                  std::string& text) {
    if constexpr (std::is_same_v<Codec, UTF8>) {
        return scanUTF8Run(bytes, stops, text);
    } else {
        return scanWideRun<Codec>(bytes, endian, stops, text);
    }
}

} // namespace csv::detail
