#include "common/BinaryStream.h"

#include <gtest/gtest.h>

#include <random>

using namespace qz;
using Bytes = std::vector<std::uint8_t>;

namespace {

template <typename F>
std::string ReadError(const Bytes& data, F read) {
    BinaryReader r(data);
    try {
        read(r);
    } catch (const StreamReadError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(BinaryWriter, WritesLittleEndianFieldsAndSmallestTags) {
    BinaryWriter w;
    w.I16(-2);
    w.Rect({0x01020304, -1, 256, 0});
    for (int v : {127, -128, 128, -32768, 32768, -32769}) w.TInt(v);
    EXPECT_EQ(w.Bytes(), (Bytes{0xFE, 0xFF, 4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0,
                                0, 0, 0, 0, 2, 0x7F, 2, 0x80, 3, 0x80, 0x00, 3, 0x00, 0x80,
                                4, 0x00, 0x80, 0x00, 0x00, 4, 0xFF, 0x7F, 0xFF, 0xFF}));
}

TEST(BinaryWriter, StringsAreWindows1252WithLengthInItsBytes) {
    BinaryWriter w;
    w.TStr("2,7");
    w.TStr("€ä"); // five UTF-8 bytes, two on disk
    EXPECT_EQ(w.Bytes(), (Bytes{6, 3, '2', ',', '7', 6, 2, 0x80, 0xE4}));

    // 255 bytes on disk stay short even when the UTF-8 text is longer.
    BinaryWriter shortW;
    std::string s255;
    for (int i = 0; i < 255; ++i) s255 += "ä";
    shortW.TStr(s255);
    EXPECT_EQ(shortW.Size(), 257u);
    EXPECT_EQ(shortW.Bytes()[1], 255);

    BinaryWriter longW;
    longW.TStr(std::string(256, 'x'));
    ASSERT_EQ(longW.Size(), 261u);
    EXPECT_EQ((Bytes(longW.Bytes().begin(), longW.Bytes().begin() + 5)), (Bytes{12, 0, 1, 0, 0}));
}

TEST(BinaryReader, ReadsBackWhatTheWriterWrote) {
    BinaryWriter w;
    w.U8(200);
    w.I16(-12345);
    w.Rect({-5, 6, 70000, -80000});
    w.Ext(0.1L);
    w.TStr("Größe €");
    w.TStr(std::string(300, 'y'));
    for (int v : {-1, -129, 40000, -2147483647 - 1}) w.TInt(v);
    w.TBool(false);

    BinaryReader r(w.Bytes());
    EXPECT_EQ(r.U8(), 200);
    EXPECT_EQ(r.I16(), -12345);
    EXPECT_EQ(r.Rect(), (TRect{-5, 6, 70000, -80000}));
    EXPECT_EQ(r.Ext(), 0.1L);
    EXPECT_EQ(r.TStr(), "Größe €");
    EXPECT_EQ(r.TStr(), std::string(300, 'y'));
    for (int v : {-1, -129, 40000, -2147483647 - 1}) EXPECT_EQ(r.TInt(), v);
    EXPECT_FALSE(r.TBool());
    EXPECT_TRUE(r.AtEnd());
    // Any tag width is accepted for any value.
    const Bytes wideTags{4, 5, 0, 0, 0, 3, 0xFF, 0xFF, 12, 1, 0, 0, 0, 'a'};
    BinaryReader wide(wideTags);
    EXPECT_EQ(wide.TInt(), 5);
    EXPECT_EQ(wide.TInt(), -1);
    EXPECT_EQ(wide.TStr(), "a");
}

TEST(BinaryReader, WrongTagsNameTheExpectationAndOffset) {
    EXPECT_EQ(ReadError({9, 7}, [](BinaryReader& r) { r.U8(); r.TStr(); }),
              "expected a string (tag 6 or 12) at byte offset 1, found tag 0x07");
    EXPECT_EQ(ReadError({6, 0, 6}, [](BinaryReader& r) { r.TStr(); r.TInt(); }),
              "expected an integer (tag 2, 3 or 4) at byte offset 2, found tag 0x06");
    EXPECT_EQ(ReadError({2}, [](BinaryReader& r) { r.TBool(); }),
              "expected a boolean (tag 8 or 9) at byte offset 0, found tag 0x02");
    // A failed tag check leaves the position at the tag.
    const Bytes data{2, 1};
    BinaryReader r(data);
    EXPECT_THROW(r.TBool(), StreamReadError);
    EXPECT_EQ(r.Position(), 0u);
    EXPECT_EQ(r.TInt(), 1);
}

TEST(BinaryReader, RefusesTruncatedAndOversizedData) {
    EXPECT_NE(ReadError({}, [](BinaryReader& r) { r.PeekU8(); }), "");
    EXPECT_NE(ReadError({1, 2, 3}, [](BinaryReader& r) { r.I32(); }), "");
    EXPECT_NE(ReadError(Bytes(15), [](BinaryReader& r) { r.Rect(); }), "");
    EXPECT_NE(ReadError(Bytes(9), [](BinaryReader& r) { r.Ext(); }), "");
    EXPECT_NE(ReadError({6, 3, 'a', 'b'}, [](BinaryReader& r) { r.TStr(); }), "");
    EXPECT_NE(ReadError({12, 0, 0}, [](BinaryReader& r) { r.TStr(); }), "");
    EXPECT_NE(ReadError({3, 1}, [](BinaryReader& r) { r.TInt(); }), "");
    EXPECT_EQ(ReadError({12, 0xFF, 0xFF, 0xFF, 0x7F}, [](BinaryReader& r) { r.TStr(); }),
              "unexpected end of data at byte offset 5: 2147483647 bytes needed, 0 left");
    EXPECT_EQ(ReadError({12, 0xFE, 0xFF, 0xFF, 0xFF, 'a'}, [](BinaryReader& r) { r.TStr(); }),
              "negative string length -2 at byte offset 1");
    EXPECT_NE(ReadError({1, 2}, [](BinaryReader& r) { r.Seek(3); }), "");
    const Bytes two{1, 2};
    BinaryReader r(two);
    r.Seek(2);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_THROW(r.Require(1), StreamReadError);
    EXPECT_NO_THROW(r.Require(0));
}

TEST(BinaryReader, RandomDataOnlyEverThrowsReadErrors) {
    std::mt19937 rng(3);
    for (int i = 0; i < 20000; ++i) {
        Bytes data(rng() % 12);
        for (auto& b : data) b = static_cast<std::uint8_t>(rng() % 16);
        BinaryReader r(data);
        try {
            while (!r.AtEnd()) {
                switch (rng() % 4) {
                case 0: r.TStr(); break;
                case 1: r.TInt(); break;
                case 2: r.TBool(); break;
                default: r.Ext(); break;
                }
            }
        } catch (const StreamReadError&) {
        }
        ASSERT_LE(r.Position(), data.size());
    }
}
