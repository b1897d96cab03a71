#include "common/Extended80.h"

#include <cmath>
#include <limits>

namespace qz::ext80 {
namespace {

constexpr int kBias = 16383;
constexpr int kMaxExponentField = 0x7FFF;
constexpr std::uint64_t kIntegerBit = 0x8000000000000000ull;

Bytes Pack(bool negative, int exponentField, std::uint64_t mantissa) {
    Bytes b{};
    for (int i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    const unsigned top = (negative ? 0x8000u : 0u) | static_cast<unsigned>(exponentField);
    b[8] = static_cast<std::uint8_t>(top);
    b[9] = static_cast<std::uint8_t>(top >> 8);
    return b;
}

} // namespace

Bytes Encode(long double value) {
    const bool negative = std::signbit(value);
    if (std::isnan(value)) return Pack(negative, kMaxExponentField, 0xC000000000000000ull);
    if (std::isinf(value)) return Pack(negative, kMaxExponentField, kIntegerBit);
    if (value == 0) return Pack(negative, 0, 0);

    const long double magnitude = std::fabs(value);
    int e = 0;
    const long double fraction = std::frexp(magnitude, &e); // magnitude = fraction * 2^e
    const int exponentField = e - 1 + kBias;
    if (exponentField >= kMaxExponentField) return Pack(negative, kMaxExponentField, kIntegerBit);
    if (exponentField <= 0) {
        // Denormal: mantissa * 2^(1 - bias - 63), no integer bit.
        const long double m = std::nearbyint(std::ldexp(magnitude, kBias - 1 + 63));
        return Pack(negative, 0, static_cast<std::uint64_t>(m));
    }
    long double m = std::nearbyint(std::ldexp(fraction, 64));
    if (m >= 18446744073709551616.0L) {
        // A wider host format rounded up to the next power of two.
        if (exponentField + 1 >= kMaxExponentField)
            return Pack(negative, kMaxExponentField, kIntegerBit);
        return Pack(negative, exponentField + 1, kIntegerBit);
    }
    return Pack(negative, exponentField, static_cast<std::uint64_t>(m));
}

long double Decode(const Bytes& b) {
    std::uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | b[i];
    const unsigned top = b[8] | (unsigned(b[9]) << 8);
    const bool negative = (top & 0x8000u) != 0;
    const int exponentField = static_cast<int>(top & 0x7FFFu);

    long double value;
    if (exponentField == kMaxExponentField) {
        value = (mantissa & ~kIntegerBit) == 0 ? std::numeric_limits<long double>::infinity()
                                               : std::numeric_limits<long double>::quiet_NaN();
    } else {
        // Denormals and pseudo-denormals scale like exponent field 1;
        // unnormals simply lack the integer bit.
        const int exponent = (exponentField == 0 ? 1 : exponentField) - kBias - 63;
        value = std::ldexp(static_cast<long double>(mantissa), exponent);
    }
    return negative ? -value : value;
}

} // namespace qz::ext80
