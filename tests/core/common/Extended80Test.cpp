#include "common/Extended80.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using qz::ext80::Bytes;
using qz::ext80::Decode;
using qz::ext80::Encode;

namespace {

using LD = std::numeric_limits<long double>;
constexpr bool kNativeX87 = LD::digits == 64 && LD::max_exponent == 16384;

Bytes Native(long double v) {
    Bytes b{};
    std::memcpy(b.data(), &v, b.size());
    return b;
}

// Only the 80 bits of the value; the padding of the native type is ignored.
long double FromNative(const Bytes& b) {
    long double v = 0;
    std::memcpy(&v, b.data(), b.size());
    return v;
}

} // namespace

TEST(Extended80, KnownBytePatterns) {
    EXPECT_EQ(Encode(1.0L), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    EXPECT_EQ(Encode(-1.0L), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xBF}));
    EXPECT_EQ(Encode(0.1L), (Bytes{0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}));
    EXPECT_EQ(Encode(0.0L), Bytes{});
    EXPECT_EQ(Encode(-0.0L), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
    EXPECT_EQ(Encode(LD::infinity()), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}));
    EXPECT_EQ(Encode(-LD::infinity()), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}));
    EXPECT_EQ(Encode(LD::denorm_min()), (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Encode(LD::min()), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00}));
    EXPECT_EQ(Encode(LD::max()),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x7F}));
    for (long double v : {LD::denorm_min(), LD::min() / 3, 1e-4940L, LD::max(), -1e4000L}) {
        EXPECT_EQ(Decode(Encode(v)), v);
    }
    EXPECT_EQ(Encode(1e4000L),
              (Bytes{0x61, 0x8C, 0x55, 0xFE, 0x23, 0x83, 0xBA, 0xD1, 0xE6, 0x73}));
}

TEST(Extended80, DecodesSpecialEncodings) {
    EXPECT_TRUE(std::signbit(Decode({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80})));
    EXPECT_EQ(Decode({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}), -LD::infinity());
    // Pseudo-infinity: integer bit clear, fraction zero.
    EXPECT_EQ(Decode({0, 0, 0, 0, 0, 0, 0, 0x00, 0xFF, 0x7F}), LD::infinity());
    EXPECT_TRUE(std::isnan(Decode({1, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})));
    EXPECT_TRUE(std::isnan(Decode({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0xFF})));
    // Pseudo-denormal: exponent field 0 with the integer bit set is 2^-16382.
    EXPECT_EQ(Decode({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x00}), LD::min());
    // Unnormal: exponent of 1.0 without the integer bit, mantissa 0x40.. = 0.5.
    EXPECT_EQ(Decode({0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F}), 0.5L);
    EXPECT_EQ(Decode({0, 0, 0, 0, 0, 0, 0, 0x00, 0xFF, 0x3F}), 0.0L);
    EXPECT_TRUE(std::isnan(Decode(Encode(LD::quiet_NaN()))));
}

TEST(Extended80, MatchesTheNativeLayoutForRandomBitPatterns) {
    if (!kNativeX87) GTEST_SKIP() << "host long double is not the x87 format";
    std::mt19937_64 rng(20261206);
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        Bytes bits{};
        const std::uint64_t a = rng(), c = rng();
        std::memcpy(bits.data(), &a, 8);
        bits[8] = static_cast<std::uint8_t>(c);
        bits[9] = static_cast<std::uint8_t>(c >> 8);
        // Every few patterns, force a denormal or the integer bit on.
        if (i % 4 == 0) { bits[8] = 0; bits[9] &= 0x80; bits[7] &= 0x7F; }
        else if (i % 4 == 1) bits[7] |= 0x80;
        const long double native = FromNative(bits);
        const long double decoded = Decode(bits);
        if (std::isnan(native)) continue; // includes unnormals the FPU rejects
        ++checked;
        ASSERT_EQ(decoded, native) << i;
        ASSERT_EQ(std::signbit(decoded), std::signbit(native)) << i;
        ASSERT_EQ(Decode(Encode(native)), native) << i;
        // Canonical encodings (integer bit set exactly when the exponent
        // field is not zero) come back byte for byte.
        const bool integerBit = (bits[7] & 0x80) != 0;
        const bool exponentZero = bits[8] == 0 && (bits[9] & 0x7F) == 0;
        if (integerBit != exponentZero) {
            ASSERT_EQ(Encode(native), Native(native)) << i;
        }
    }
    EXPECT_GT(checked, 100000);
}
