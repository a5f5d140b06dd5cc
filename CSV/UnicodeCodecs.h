#pragma once

#include <concepts>
#include <cstdint>

namespace csv {

// The Unicode encoding forms. Each codec names its code unit, has a Decoder that takes one
// scalar from an input of code units (anything with next() returning an optional unit), and
// encodes a scalar by handing its code units to a sink. Decoders follow the standard: overlong
// forms, surrogates, values above U+10FFFF and truncated sequences are ill-formed.

struct DecodeResult {
    enum class Status { scalar, emptyInput, error };
    Status status;
    char32_t scalar = 0;

    static constexpr DecodeResult of(char32_t scalar) { return {Status::scalar, scalar}; }
    static constexpr DecodeResult empty() { return {Status::emptyInput}; }
    static constexpr DecodeResult error() { return {Status::error}; }
};

inline constexpr char32_t maxScalar = 0x10FFFF;

constexpr bool isSurrogate(std::uint32_t value) {
    return value >= 0xD800 && value <= 0xDFFF;
}

struct UTF8 {
    using CodeUnit = std::uint8_t;

    // The length of the sequence a lead byte opens, 0 for a byte that cannot start one.
    static constexpr int sequenceLength(std::uint8_t lead) {
        if (lead < 0x80) {
            return 1;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            return 2;
        }
        if (lead >= 0xE0 && lead <= 0xEF) {
            return 3;
        }
        if (lead >= 0xF0 && lead <= 0xF4) {
            return 4;
        }
        return 0;
    }

    // The allowed range of the byte after a lead byte (later bytes are always 80..BF).
    static constexpr std::uint8_t secondMin(std::uint8_t lead) {
        return lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    }
    static constexpr std::uint8_t secondMax(std::uint8_t lead) {
        return lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    }

    struct Decoder {
        template <class Input> DecodeResult decode(Input& input) {
            const auto first = input.next();
            if (!first) {
                return DecodeResult::empty();
            }
            const std::uint8_t lead = *first;
            const int length = sequenceLength(lead);
            if (length == 1) {
                return DecodeResult::of(lead);
            }
            if (length == 0) {
                return DecodeResult::error();
            }
            char32_t scalar = lead & (0x7F >> length);
            std::uint8_t min = secondMin(lead);
            std::uint8_t max = secondMax(lead);
            for (int i = 1; i < length; ++i) {
                const auto unit = input.next();
                if (!unit || *unit < min || *unit > max) {
                    return DecodeResult::error();
                }
                scalar = scalar << 6 | (*unit & 0x3F);
                min = 0x80;
                max = 0xBF;
            }
            return DecodeResult::of(scalar);
        }
    };

    template <class Sink> static void encode(char32_t scalar, Sink&& sink) {
        if (scalar < 0x80) {
            sink(static_cast<CodeUnit>(scalar));
        } else if (scalar < 0x800) {
            sink(static_cast<CodeUnit>(0xC0 | scalar >> 6));
            sink(static_cast<CodeUnit>(0x80 | (scalar & 0x3F)));
        } else if (scalar < 0x10000) {
            sink(static_cast<CodeUnit>(0xE0 | scalar >> 12));
            sink(static_cast<CodeUnit>(0x80 | (scalar >> 6 & 0x3F)));
            sink(static_cast<CodeUnit>(0x80 | (scalar & 0x3F)));
        } else {
            sink(static_cast<CodeUnit>(0xF0 | scalar >> 18));
            sink(static_cast<CodeUnit>(0x80 | (scalar >> 12 & 0x3F)));
            sink(static_cast<CodeUnit>(0x80 | (scalar >> 6 & 0x3F)));
            sink(static_cast<CodeUnit>(0x80 | (scalar & 0x3F)));
        }
    }
};

struct UTF16 {
    using CodeUnit = std::uint16_t;

    static constexpr bool isHighSurrogate(std::uint32_t unit) {
        return unit >= 0xD800 && unit <= 0xDBFF;
    }
    static constexpr bool isLowSurrogate(std::uint32_t unit) {
        return unit >= 0xDC00 && unit <= 0xDFFF;
    }
    static constexpr char32_t combine(std::uint32_t high, std::uint32_t low) {
        return 0x10000 + ((high - 0xD800) << 10 | (low - 0xDC00));
    }

    struct Decoder {
        template <class Input> DecodeResult decode(Input& input) {
            const auto first = input.next();
            if (!first) {
                return DecodeResult::empty();
            }
            if (!isSurrogate(*first)) {
                return DecodeResult::of(*first);
            }
            if (!isHighSurrogate(*first)) {
                return DecodeResult::error();
            }
            const auto second = input.next();
            if (!second || !isLowSurrogate(*second)) {
                return DecodeResult::error();
            }
            return DecodeResult::of(combine(*first, *second));
        }
    };

    template <class Sink> static void encode(char32_t scalar, Sink&& sink) {
        if (scalar < 0x10000) {
            sink(static_cast<CodeUnit>(scalar));
        } else {
            const char32_t offset = scalar - 0x10000;
            sink(static_cast<CodeUnit>(0xD800 + (offset >> 10)));
            sink(static_cast<CodeUnit>(0xDC00 + (offset & 0x3FF)));
        }
    }
};

struct UTF32 {
    using CodeUnit = std::uint32_t;

    struct Decoder {
        template <class Input> DecodeResult decode(Input& input) {
            const auto unit = input.next();
            if (!unit) {
                return DecodeResult::empty();
            }
            if (*unit > maxScalar || isSurrogate(*unit)) {
                return DecodeResult::error();
            }
            return DecodeResult::of(*unit);
        }
    };

    template <class Sink> static void encode(char32_t scalar, Sink&& sink) {
        sink(static_cast<CodeUnit>(scalar));
    }
};

// What the reader and writer need of a codec.
template <class Codec>
concept UnicodeCodec = std::unsigned_integral<typename Codec::CodeUnit> &&
    std::default_initializable<typename Codec::Decoder> && requires(char32_t scalar) {
    Codec::encode(scalar, [](typename Codec::CodeUnit) {});
};

template <class Codec>
concept ByteCodec = UnicodeCodec<Codec> && sizeof(typename Codec::CodeUnit) == 1;

template <class Codec>
concept WideCodec = UnicodeCodec<Codec> &&
    (sizeof(typename Codec::CodeUnit) == 2 || sizeof(typename Codec::CodeUnit) == 4);

} // namespace csv
