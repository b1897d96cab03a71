#pragma once
#include <cstdint>
#include <memory>
#include <string>

class QImage;

namespace qz::render {

// Writes a PNG (8-bit RGB, no interlace) to a file descriptor row by row, so
// that a picture of any height is encoded from strips without ever being
// whole in memory. Rows are stored as differences to the row above and
// compressed for speed: drawings are mostly runs of one colour.
class PngStream {
public:
    PngStream(int fd, int width, int height);
    ~PngStream();
    PngStream(const PngStream&) = delete;
    PngStream& operator=(const PngStream&) = delete;

    // Appends the first `rows` rows of a strip (Format_RGB32, at least the
    // picture's width); false with `error` set when the file cannot be written.
    bool WriteRows(const QImage& strip, int rows, std::string* error);
    // Ends the picture once every row was written.
    bool Finish(std::string* error);

private:
    struct State;
    bool Chunk(const char* type, const std::uint8_t* data, std::size_t size, std::string* error);
    bool Deflate(int flush, std::string* error);
    std::unique_ptr<State> s_;
};

} // namespace qz::render
