#pragma once

#include "CSV/CSVReader.h"
#include "CSV/UnicodeCodecs.h"

#include <random>
#include <string>

namespace csv::test {

// Random fields of Unicode text, biased towards what CSV treats specially.
class RandomText {
public:
    explicit RandomText(unsigned seed)
        : engine_(seed) {}

    char32_t scalar() {
        static constexpr char32_t special[] = {U',',      U'"',      U'\n',        U'\r',
                                               U' ',      U'\t',     U';',         U'\u00E9',
                                               U'\u3000', U'\u65E5', U'\U0001F600'};
        switch (pick(4)) {
        case 0:
            return special[pick(std::size(special))];
        case 1:
            return static_cast<char32_t>(U'a' + pick(26));
        default: {
            char32_t c = 0;
            do {
                c = static_cast<char32_t>(pick(maxScalar + 1));
            } while (isSurrogate(c));
            return c;
        }
        }
    }

    std::string field(std::size_t maxLength) {
        std::string text;
        const std::size_t length = pick(maxLength + 1);
        for (std::size_t i = 0; i < length; ++i) {
            UTF8::encode(scalar(),
                         [&](std::uint8_t unit) { text.push_back(static_cast<char>(unit)); });
        }
        return text;
    }

    Row row(std::size_t maxFields, std::size_t maxLength) {
        Row fields(1 + pick(maxFields));
        for (std::string& text : fields) {
            text = field(maxLength);
        }
        return fields;
    }

    std::size_t pick(std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(engine_);
    }

private:
    std::mt19937 engine_;
};

} // namespace csv::test
