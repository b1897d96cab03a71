#pragma once
#include <array>
#include <cstdint>

// The 10-byte little-endian x87 extended format of net files: 64-bit mantissa
// with explicit integer bit, 15-bit exponent with bias 16383, sign bit. The
// codec is written out bit by bit, so it does not depend on the host's
// long double layout.
namespace qz::ext80 {

using Bytes = std::array<std::uint8_t, 10>;

Bytes Encode(long double value);
long double Decode(const Bytes& bytes);

} // namespace qz::ext80
