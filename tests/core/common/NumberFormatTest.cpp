#include "common/NumberFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <locale>
#include <random>
#include <string>
#include <utility>

using namespace qz::num;

namespace {
struct Case {
    long double value;
    int precision;
    const char* text;
};
constexpr long double kInf = std::numeric_limits<long double>::infinity();
} // namespace

TEST(FormatGeneral, SwitchesFormsAndRoundsAtTheBoundaries) {
    const Case cases[] = {
        {2.5L, 15, "2,5"}, {100, 15, "100"}, {0.0001L, 15, "0,0001"}, {0.00001L, 15, "1E-5"},
        {1.5e-7L, 15, "1,5E-7"}, {-1.5e-7L, 15, "-1,5E-7"}, {1e-4000L, 15, "1E-4000"},
        {123456789012345.0L, 15, "123456789012345"}, {1e15L, 15, "1E15"},
        {123456789012345678.0L, 15, "1,23456789012346E17"}, {100, 3, "100"}, {100, 2, "1E2"},
        {1.0L / 3, 15, "0,333333333333333"}, {3.14159L, 5, "3,1416"}, {-2.75L, 2, "-2,8"},
        {2.25L, 2, "2,2"} /* exact tie, to even */, {0.1, 15, "0,1"}, {0.1 + 0.2, 15, "0,3"},
        {0.1 + 0.2, 17, "0,30000000000000004"}, {0.96L, 1, "1"}, {1, 0, "1"},
        // Rounding carries into a new digit and moves the exponent over a switch point.
        {9.9999999999999999L, 15, "10"}, {999999999999999.9L, 15, "1E15"},
        {0.0000099999999999999999L, 15, "1E-5"}, {0.000099999999999999999L, 15, "0,0001"},
        {0.0L, 15, "0"}, {-0.0L, 15, "0"}, {kInf, 15, "INF"}, {-kInf, 15, "-INF"},
        {std::numeric_limits<long double>::quiet_NaN(), 15, "NAN"},
        {std::numeric_limits<long double>::denorm_min(), 18, "3,6451995318824746E-4951"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatGeneral(c.value, c.precision), c.text) << c.text;
    EXPECT_EQ(FormatGeneral(2.5L, 15, '.'), "2.5");
}

TEST(FormatFixed, PadsRoundsAndFallsBackToGeneral) {
    struct FixedCase {
        long double value;
        int precision, decimals;
        const char* text;
    };
    const FixedCase cases[] = {
        {1234.5678L, 6, 2, "1234,57"}, {1.5L, 5, 3, "1,500"}, {0.000012345L, 5, 2, "0,00"},
        {1, 3, 2, "1,00"}, {0, 3, 2, "0,00"}, {-0.001L, 15, 2, "0,00"}, {-0.006L, 15, 2, "-0,01"},
        {2.5L, 15, 0, "2"}, {9.996L, 3, 2, "10,00"}, {123.456L, 4, 3, "123,500"},
        {123456, 5, 2, "1,2346E5"}, {12345, 5, 2, "12345,00"}, {99999.6L, 5, 1, "1E5"},
        {kInf, 5, 2, "INF"},
    };
    for (const FixedCase& c : cases) {
        EXPECT_EQ(FormatFixed(c.value, c.precision, c.decimals), c.text) << c.text;
    }
    EXPECT_EQ(FormatFixed(0.5L, 15, 2, '.'), "0.50");
}

TEST(ParseNumber, AcceptsTheNumberGrammar) {
    const std::pair<const char*, long double> cases[] = {
        {"2,5", 2.5L}, {" \t-2,5 ", -2.5L}, {"+3", 3}, {",5", 0.5L}, {"5,", 5}, {"1E3", 1000},
        {"1,5e-7", 1.5e-7L}, {"2E+2", 200}, {"0,1", 0.1L}, {"1E4000", 1e4000L},
        {"1E-99999", 0} /* underflow */,
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseNumber(text), value) << text;
    EXPECT_EQ(ParseNumber("2.5", '.'), 2.5L);
    auto negZero = ParseNumber("-0");
    ASSERT_TRUE(negZero);
    EXPECT_TRUE(std::signbit(*negZero));
}

TEST(ParseNumber, RejectsEverythingElse) {
    for (const char* bad : {"", " ", "-", "+", ",", "-,", "2.5", "1,2,3", "1 000", "1.000,5",
                            "E5", "1E", "1E+", "1E-", "1E5,5", "1e 5", "- 1", "inf", "nan",
                            "INF", "0x10", "1f", "12a", "--1", "+-1", "1E99999", "\n1"}) {
        EXPECT_FALSE(ParseNumber(bad)) << '"' << bad << '"';
    }
    EXPECT_FALSE(ParseNumber("2,5", '.'));
    EXPECT_FALSE(ParseNumber(std::string("1\0", 2)));
}

TEST(ParseNumber, ReadsBackEveryGeneralText) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 2000; ++i) {
        std::uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (!std::isfinite(d)) continue;
        const std::string text = FormatGeneral(d, 17);
        auto back = ParseNumber(text);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(static_cast<double>(*back), d) << text;
    }
}

TEST(ParseNumber, SurvivesHostileText) {
    std::mt19937 rng(11);
    const std::string alphabet = "0123456789,.eE+- \tx\0\xff";
    for (int i = 0; i < 5000; ++i) {
        std::string s(rng() % 24, ' ');
        for (char& c : s) c = alphabet[rng() % alphabet.size()];
        (void)ParseNumber(s);
    }
    EXPECT_EQ(ParseNumber(std::string(100000, '9')), std::nullopt); // overflows
    EXPECT_EQ(ParseNumber("0," + std::string(100000, '0') + "1"), 0.0L);
    EXPECT_EQ(ParseNumber(std::string(100000, '0') + "1E-4900"), 1e-4900L);
}

TEST(ParseInteger, ReadsWholeIntegersOnly) {
    EXPECT_EQ(ParseInteger(" -3 "), -3);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("-9223372036854775808"), std::numeric_limits<long long>::min());
    for (const char* bad : {"", "+", "-", "+-3", "3,0", "3.0", "1E3", "9223372036854775808",
                            "0x10", "1 2"}) {
        EXPECT_FALSE(ParseInteger(bad)) << '"' << bad << '"';
    }
}

namespace {
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};
} // namespace

TEST(NumberFormat, IgnoresTheProcessLocale) {
    const std::locale savedGlobal;
    std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    const char* cLocale = std::setlocale(LC_ALL, nullptr);
    const std::string savedC = cLocale ? cLocale : "C";
    // A decimal-comma C locale, where one is installed.
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name)) break;
    }
    EXPECT_EQ(FormatGeneral(1234567.25L), "1234567,25");
    EXPECT_EQ(FormatGeneral(2.5L, 15, '.'), "2.5");
    EXPECT_EQ(FormatFixed(1234.5L, 6, 2), "1234,50");
    EXPECT_EQ(ParseNumber("1234,5"), 1234.5L);
    EXPECT_EQ(ParseNumber("1234.5", '.'), 1234.5L);
    EXPECT_FALSE(ParseNumber("1.234,5"));
    EXPECT_EQ(FormatRoundTrip(1234.5), "1234.5");
    EXPECT_EQ(FormatRoundTrip(1e-7), "1e-07");
    std::setlocale(LC_ALL, savedC.c_str());
    std::locale::global(savedGlobal);
}
