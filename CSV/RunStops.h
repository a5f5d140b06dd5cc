#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace csv {

// Scalars that end a run taken by ScalarIterator::appendRun. Up to four ASCII stops are also
// kept repeated across a 64-bit word, in byte lanes and in 16-bit lanes, so that a scan can test
// eight bytes (or four UTF-16 units) at once.
class RunStops {
public:
    static constexpr std::uint64_t byteOnes = 0x0101010101010101u;
    static constexpr std::uint64_t byteHighs = 0x8080808080808080u;
    static constexpr std::uint64_t unitOnes = 0x0001000100010001u;
    static constexpr std::uint64_t unitHighs = 0x8000800080008000u;

    RunStops(std::initializer_list<char32_t> stops) {
        for (unsigned byte = 0x80; byte < 0x100; ++byte) {
            breaksUTF8Run_[byte] = true;
        }
        std::size_t ascii = 0;
        // Unused patterns hold only each lane's top bit, which no ASCII lane equals.
        bytePatterns_.fill(byteHighs);
        unitPatterns_.fill(unitHighs);
        for (const char32_t stop : stops) {
            if (stop >= 0x80) {
                nonASCII_.push_back(stop);
            } else if (!breaksUTF8Run_[stop]) {
                breaksUTF8Run_[stop] = true;
                if (ascii < bytePatterns_.size()) {
                    bytePatterns_[ascii] = byteOnes * stop;
                    unitPatterns_[ascii] = unitOnes * stop;
                }
                ++ascii;
            }
        }
        hasWordPatterns_ = ascii <= bytePatterns_.size();
    }

    bool contains(char32_t scalar) const {
        return scalar < 0x80
                   ? breaksUTF8Run_[scalar]
                   : std::find(nonASCII_.begin(), nonASCII_.end(), scalar) != nonASCII_.end();
    }
    bool hasNonASCII() const { return !nonASCII_.empty(); }
    // True for the ASCII stops and for every byte that is not ASCII.
    bool breaksUTF8Run(std::uint8_t byte) const { return breaksUTF8Run_[byte]; }

    // False when there are too many ASCII stops for the word tests.
    bool hasWordPatterns() const { return hasWordPatterns_; }
    // The byte lanes, or the 16-bit lanes, of word that equal a stop; exact up to the first.
    std::uint64_t stopBytes(std::uint64_t word) const {
        return hits(word, bytePatterns_, byteOnes, byteHighs);
    }
    std::uint64_t stopUnits(std::uint64_t word) const {
        return hits(word, unitPatterns_, unitOnes, unitHighs);
    }

private:
    static std::uint64_t hits(std::uint64_t word, const std::array<std::uint64_t, 4>& patterns,
                              std::uint64_t ones, std::uint64_t highs) {
        std::uint64_t found = 0;
        for (const std::uint64_t pattern : patterns) {
            const std::uint64_t x = word ^ pattern;
            found |= (x - ones) & ~x & highs;
        }
        return found;
    }

    std::array<bool, 256> breaksUTF8Run_{};
    std::array<std::uint64_t, 4> bytePatterns_;
    std::array<std::uint64_t, 4> unitPatterns_;
    bool hasWordPatterns_ = true;
    std::vector<char32_t> nonASCII_;
};

} // namespace csv
