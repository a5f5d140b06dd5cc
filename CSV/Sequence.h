#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <utility>

namespace csv {

// Input iterator over anything with next() returning an optional value (std::optional or a
// pointer): the module's iterators are their own sequences, usable in range-for.
template <class Source> class NextIterator {
public:
    using Result = decltype(std::declval<Source&>().next());
    using value_type = std::remove_cvref_t<decltype(*std::declval<Result&>())>;
    using difference_type = std::ptrdiff_t;

    NextIterator() = default;
    explicit NextIterator(Source& source)
        : source_(std::addressof(source))
        , current_(source.next()) {}

    const value_type& operator*() const { return *current_; }
    NextIterator& operator++() {
        current_ = source_->next();
        return *this;
    }
    void operator++(int) { ++*this; }
    friend bool operator==(const NextIterator& it, std::default_sentinel_t) { return !it.current_; }

private:
    Source* source_ = nullptr;
    Result current_{};
};

} // namespace csv
