#include "PngStream.h"

#include <QImage>
#include <cerrno>
#include <cstring>
#include <algorithm>
#include <vector>
#include <zlib.h>

#include "common/FileSystem.h"

namespace qz::render {

namespace {

void PutBigEndian(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

} // namespace

struct PngStream::State {
    int fd = -1;
    int width = 0, height = 0, rowsWritten = 0;
    z_stream z{};
    bool zReady = false;
    bool failed = false;
    std::vector<std::uint8_t> row;        // filter byte and filtered RGB
    std::vector<QRgb> above;              // the row above as drawn (black above the first)
    std::vector<std::uint8_t> compressed; // one IDAT chunk's worth
};

PngStream::PngStream(int fd, int width, int height) : s_(std::make_unique<State>()) {
    s_->fd = fd;
    s_->width = width;
    s_->height = height;
    s_->row.resize(1 + 3 * static_cast<std::size_t>(width));
    // qRgb(0, 0, 0): the row above the first counts as zero.
    s_->above.assign(static_cast<std::size_t>(width), QRgb{0xff000000});
    s_->compressed.resize(1 << 16);
    // The fastest level: on rows filtered "up" it is several times faster
    // than the default and hardly larger.
    s_->zReady = deflateInit2(&s_->z, 1, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    s_->failed = !s_->zReady;
}

PngStream::~PngStream() {
    if (s_->zReady) deflateEnd(&s_->z);
}

bool PngStream::Chunk(const char* type, const std::uint8_t* data, std::size_t size, std::string* error) {
    std::uint8_t head[8];
    PutBigEndian(head, static_cast<std::uint32_t>(size));
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(0, head + 4, 4);
    if (size) crc = crc32(crc, data, static_cast<uInt>(size));
    std::uint8_t tail[4];
    PutBigEndian(tail, static_cast<std::uint32_t>(crc));
    if (!fs::WriteAll(s_->fd, head, 8) || !fs::WriteAll(s_->fd, data, size) || !fs::WriteAll(s_->fd, tail, 4)) {
        s_->failed = true;
        if (error) *error = std::strerror(errno);
        return false;
    }
    return true;
}

// Runs the compressor over the pending input and writes what it gives as
// IDAT chunks.
bool PngStream::Deflate(int flush, std::string* error) {
    z_stream& z = s_->z;
    for (;;) {
        z.next_out = s_->compressed.data();
        z.avail_out = static_cast<uInt>(s_->compressed.size());
        const int r = deflate(&z, flush);
        if (r == Z_STREAM_ERROR) {
            s_->failed = true;
            if (error) *error = "the picture cannot be compressed";
            return false;
        }
        const std::size_t produced = s_->compressed.size() - z.avail_out;
        if (produced && !Chunk("IDAT", s_->compressed.data(), produced, error)) return false;
        if (flush == Z_FINISH ? r == Z_STREAM_END : z.avail_out != 0) return true;
    }
}

bool PngStream::WriteRows(const QImage& strip, int rows, std::string* error) {
    if (s_->failed) {
        if (error && error->empty()) *error = "the picture cannot be compressed";
        return false;
    }
    if (s_->rowsWritten == 0) {
        static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        std::uint8_t ihdr[13];
        PutBigEndian(ihdr, static_cast<std::uint32_t>(s_->width));
        PutBigEndian(ihdr + 4, static_cast<std::uint32_t>(s_->height));
        ihdr[8] = 8;  // bits per sample
        ihdr[9] = 2;  // RGB
        ihdr[10] = ihdr[11] = ihdr[12] = 0;
        if (!fs::WriteAll(s_->fd, kSignature, 8)) {
            s_->failed = true;
            if (error) *error = std::strerror(errno);
            return false;
        }
        if (!Chunk("IHDR", ihdr, sizeof ihdr, error)) return false;
    }
    const std::size_t width = static_cast<std::size_t>(s_->width);
    for (int y = 0; y < rows && s_->rowsWritten < s_->height; ++y, ++s_->rowsWritten) {
        const auto* pixel = reinterpret_cast<const QRgb*>(strip.constScanLine(y));
        const QRgb* above = s_->above.data();
        // Filter "up": the difference to the row above, zero wherever the
        // drawing repeats downwards (the row above the first is zero).
        // Drawings are mostly unchanged from one row to the next: runs of
        // unchanged pixels are skipped eight at a time.
        s_->row[0] = 2;
        std::uint8_t* out = s_->row.data() + 1;
        std::size_t x = 0;
        while (x < width) {
            if (x + 8 <= width && std::memcmp(pixel + x, above + x, 8 * sizeof(QRgb)) == 0) {
                std::memset(out + 3 * x, 0, 24);
                x += 8;
                continue;
            }
            const std::size_t end = std::min(width, x + 8);
            for (; x < end; ++x) {
                const QRgb p = pixel[x], a = above[x];
                out[3 * x] = static_cast<std::uint8_t>(qRed(p) - qRed(a));
                out[3 * x + 1] = static_cast<std::uint8_t>(qGreen(p) - qGreen(a));
                out[3 * x + 2] = static_cast<std::uint8_t>(qBlue(p) - qBlue(a));
            }
        }
        std::memcpy(s_->above.data(), pixel, width * sizeof(QRgb));
        s_->z.next_in = s_->row.data();
        s_->z.avail_in = static_cast<uInt>(s_->row.size());
        if (!Deflate(Z_NO_FLUSH, error)) return false;
    }
    return true;
}

bool PngStream::Finish(std::string* error) {
    if (s_->failed || s_->rowsWritten != s_->height) {
        if (error && error->empty()) *error = "the picture is incomplete";
        return false;
    }
    return Deflate(Z_FINISH, error) && Chunk("IEND", nullptr, 0, error);
}

} // namespace qz::render
