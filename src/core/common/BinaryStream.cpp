#include "common/BinaryStream.h"

#include <cstring>

#include "common/Cp1252.h"
#include "common/Extended80.h"

namespace qz {
namespace {

std::string Hex(std::uint8_t b) {
    const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[b >> 4] + digits[b & 15];
}

[[noreturn]] void BadTag(const char* expected, std::uint8_t found, std::size_t offset) {
    throw StreamReadError(std::string("expected ") + expected + " at byte offset " +
                          std::to_string(offset) + ", found tag " + Hex(found));
}

} // namespace

// --- BinaryWriter -----------------------------------------------------------

void BinaryWriter::I16(std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    U8(static_cast<std::uint8_t>(u));
    U8(static_cast<std::uint8_t>(u >> 8));
}

void BinaryWriter::I32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(u >> (8 * i)));
}

void BinaryWriter::Rect(const TRect& r) {
    I32(r.left);
    I32(r.top);
    I32(r.right);
    I32(r.bottom);
}

void BinaryWriter::Ext(long double v) {
    const ext80::Bytes b = ext80::Encode(v);
    Raw(b.data(), b.size());
}

void BinaryWriter::TStr(std::string_view utf8) {
    const std::string text = cp1252::FromUtf8(utf8);
    if (text.size() <= 255) {
        U8(tag::ShortString);
        U8(static_cast<std::uint8_t>(text.size()));
    } else {
        U8(tag::LongString);
        I32(static_cast<std::int32_t>(text.size()));
    }
    Raw(text.data(), text.size());
}

void BinaryWriter::TInt(std::int32_t v) {
    if (v >= -128 && v <= 127) {
        U8(tag::Int8);
        U8(static_cast<std::uint8_t>(static_cast<std::int8_t>(v)));
    } else if (v >= -32768 && v <= 32767) {
        U8(tag::Int16);
        I16(static_cast<std::int16_t>(v));
    } else {
        U8(tag::Int32);
        I32(v);
    }
}

void BinaryWriter::Raw(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
}

// --- BinaryReader -----------------------------------------------------------

void BinaryReader::Require(std::size_t n) const {
    if (n > size_ - pos_) {
        throw StreamReadError("unexpected end of data at byte offset " + std::to_string(pos_) +
                              ": " + std::to_string(n) + " bytes needed, " +
                              std::to_string(size_ - pos_) + " left");
    }
}

std::uint8_t BinaryReader::U8() {
    Require(1);
    return data_[pos_++];
}

std::uint8_t BinaryReader::PeekU8() const {
    Require(1);
    return data_[pos_];
}

std::int16_t BinaryReader::I16() {
    Require(2);
    const auto u = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return static_cast<std::int16_t>(u);
}

std::int32_t BinaryReader::I32() {
    Require(4);
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = (u << 8) | data_[pos_ + i];
    pos_ += 4;
    return static_cast<std::int32_t>(u);
}

TRect BinaryReader::Rect() {
    Require(16);
    TRect r;
    r.left = I32();
    r.top = I32();
    r.right = I32();
    r.bottom = I32();
    return r;
}

long double BinaryReader::Ext() {
    Require(10);
    ext80::Bytes b;
    std::memcpy(b.data(), data_ + pos_, b.size());
    pos_ += b.size();
    return ext80::Decode(b);
}

std::string BinaryReader::TStr() {
    const std::size_t at = pos_;
    const std::uint8_t t = U8();
    std::size_t length;
    if (t == tag::ShortString) {
        length = U8();
    } else if (t == tag::LongString) {
        const std::int32_t n = I32();
        if (n < 0) {
            throw StreamReadError("negative string length " + std::to_string(n) +
                                  " at byte offset " + std::to_string(at + 1));
        }
        length = static_cast<std::size_t>(n);
    } else {
        pos_ = at;
        BadTag("a string (tag 6 or 12)", t, at);
    }
    Require(length);
    std::string_view raw(reinterpret_cast<const char*>(data_ + pos_), length);
    pos_ += length;
    return cp1252::ToUtf8(raw);
}

std::int32_t BinaryReader::TInt() {
    const std::size_t at = pos_;
    const std::uint8_t t = U8();
    switch (t) {
    case tag::Int8:
        return static_cast<std::int8_t>(U8());
    case tag::Int16:
        return I16();
    case tag::Int32:
        return I32();
    default:
        pos_ = at;
        BadTag("an integer (tag 2, 3 or 4)", t, at);
    }
}

bool BinaryReader::TBool() {
    const std::size_t at = pos_;
    const std::uint8_t t = U8();
    if (t == tag::True) return true;
    if (t == tag::False) return false;
    pos_ = at;
    BadTag("a boolean (tag 8 or 9)", t, at);
}

void BinaryReader::Seek(std::size_t pos) {
    if (pos > size_) {
        throw StreamReadError("seek to byte offset " + std::to_string(pos) +
                              " past the end of " + std::to_string(size_) + " bytes");
    }
    pos_ = pos;
}

} // namespace qz
