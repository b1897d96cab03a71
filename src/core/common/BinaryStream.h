#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/Geometry.h"

// Little-endian binary streams for net files and the configuration file:
// raw fields (u8, i32, rect, 10-byte extended) and tagged values (tstr, tint,
// booleans). Strings are UTF-8 in memory and Windows-1252 in the stream.
namespace qz {

// Raised by BinaryReader for a truncated stream, an unexpected tag or a
// length that runs past the end of the data.
class StreamReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace tag {
inline constexpr std::uint8_t Int8 = 0x02;
inline constexpr std::uint8_t Int16 = 0x03;
inline constexpr std::uint8_t Int32 = 0x04;
inline constexpr std::uint8_t ShortString = 0x06;
inline constexpr std::uint8_t False = 0x08;
inline constexpr std::uint8_t True = 0x09;
inline constexpr std::uint8_t LongString = 0x0C;
} // namespace tag

class BinaryWriter {
public:
    void U8(std::uint8_t v) { bytes_.push_back(v); }
    void I16(std::int16_t v);
    void I32(std::int32_t v);
    void Rect(const TRect& r);
    void Ext(long double v);
    // Tagged string: tag 6 and one length byte up to 255 bytes, else tag 12
    // and an i32 length.
    void TStr(std::string_view utf8);
    // Tagged integer with the smallest of the tags 2, 3, 4.
    void TInt(std::int32_t v);
    void TBool(bool v) { U8(v ? tag::True : tag::False); }
    void Raw(const void* data, std::size_t size);

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t>& Bytes() { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::vector<std::uint8_t> bytes_;
};

// Reads from a borrowed buffer; every read is bounds-checked and throws
// StreamReadError instead of running past the end.
class BinaryReader {
public:
    BinaryReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit BinaryReader(const std::vector<std::uint8_t>& v) : BinaryReader(v.data(), v.size()) {}
    // The reader borrows its data; a temporary vector would be gone at once.
    explicit BinaryReader(std::vector<std::uint8_t>&&) = delete;

    std::uint8_t U8();
    std::int16_t I16();
    std::int32_t I32();
    TRect Rect();
    long double Ext();
    std::string TStr();  // accepts tags 6 and 12
    std::int32_t TInt(); // accepts tags 2, 3 and 4
    bool TBool();        // accepts tags 8 and 9
    std::uint8_t PeekU8() const;

    std::size_t Position() const { return pos_; }
    void Seek(std::size_t pos);
    std::size_t Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }
    // Throws unless at least n bytes remain; lets readers refuse counts that
    // the rest of the data could not hold before they allocate anything.
    void Require(std::size_t n) const;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace qz
