#pragma once

namespace csv {

// Byte order of 16- and 32-bit code units in a byte stream. `unknown` leaves it open, so that a
// byte-order mark may fix it.
enum class Endian { big, little, unknown };

} // namespace csv
