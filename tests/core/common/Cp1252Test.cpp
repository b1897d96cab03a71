#include "common/Cp1252.h"

#include <gtest/gtest.h>

using namespace qz::cp1252;

TEST(Cp1252, HighControlRangeMapsToItsCharacters) {
    const std::string all = "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"
                            "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F";
    const std::string utf8 = "€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ";
    EXPECT_EQ(ToUtf8(all), utf8);
    EXPECT_EQ(FromUtf8(utf8), all);
}

TEST(Cp1252, EveryByteRoundTrips) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    const std::string utf8 = ToUtf8(bytes);
    EXPECT_EQ(FromUtf8(utf8), bytes);
    EXPECT_EQ(ToUtf8("Stra\xDF" "e \xE4\xF6\xFC \xA0\xFF"), "Straße äöü \u00A0ÿ");
    EXPECT_EQ(ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
}

TEST(Cp1252, UnmappableAndMalformedTextBecomesQuestionMarks) {
    EXPECT_EQ(FromUtf8("a\u0080b"), "a?b"); // C1 control with a character at 0x80
    EXPECT_EQ(FromUtf8("Ω→😀"), "???");
    EXPECT_EQ(FromUtf8("\u0100\u2000"), "??");
    EXPECT_EQ(FromUtf8("a\xFF" "b"), "a?b");           // never a lead byte
    EXPECT_EQ(FromUtf8("a\x80" "b"), "a?b");           // stray continuation
    EXPECT_EQ(FromUtf8("\xC3"), "?");                  // truncated at the end
    EXPECT_EQ(FromUtf8("\xC3" "A"), "?A");             // broken, next byte kept
    EXPECT_EQ(FromUtf8("\xE2\x82" "A"), "?A");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), "??");             // overlong slash
    EXPECT_EQ(FromUtf8("\xE0\x80\xAF"), "?");          // overlong, 3 bytes
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), "?");          // surrogate
    EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), "?");      // above U+10FFFF
    EXPECT_EQ(FromUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}
