#pragma once

#include <cstddef>

// How many fields an aggregate has. A code that maps every field of a record by hand (a
// stored form, a merge rule) asserts the count it maps, so a new field fails the build there
// until it is mapped.
namespace FieldCount {

struct AnyField {
    template <typename T> operator T() const;
};

template <typename T, typename... Fields> consteval std::size_t of() {
    if constexpr (requires { T{Fields{}..., AnyField{}}; }) {
        return of<T, Fields..., AnyField>();
    } else {
        return sizeof...(Fields);
    }
}

} // namespace FieldCount
