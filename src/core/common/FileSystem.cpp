#include "common/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>

#include "common/Cp1252.h"
#include "common/ProgramDirectories.h"

namespace qz::fs {
namespace {

std::string ErrnoText(int err) { return std::strerror(err); }

void SetError(std::string* error, const std::string& what, int err) {
    if (error) *error = what + ": " + ErrnoText(err);
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

mode_t CurrentUmask() {
    // umask can only be read by setting it; put the old value straight back.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}


std::string ProgramDirectory() { return CurrentDirectories().program; }

namespace {

// Opens a regular file for reading without blocking: a FIFO opened for
// reading would wait for a writer, so the file is opened non-blocking and
// refused unless fstat reports a regular file. -1 with the reason in *error.
int OpenRegularFile(const std::string& path, struct stat& st, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        SetError(error, "cannot open '" + path + "'", errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = "'" + path + "' is not a regular file";
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads up to `limit` bytes; `whole` asks for the entire file and fails when
// it holds more than `limit`.
std::optional<std::vector<std::uint8_t>> ReadRegular(const std::string& path, std::uint64_t limit,
                                                     bool whole, std::string* error) {
    struct stat st {};
    const int fd = OpenRegularFile(path, st, error);
    if (fd < 0) return std::nullopt;
    const auto tooLarge = [&] {
        if (error) *error = "'" + path + "' is larger than " + std::to_string(limit) + " bytes";
        ::close(fd);
        return std::nullopt;
    };
    if (whole && static_cast<std::uint64_t>(st.st_size) > limit) return tooLarge();
    std::vector<std::uint8_t> data;
    data.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(st.st_size, limit)));
    // Files of /proc report size 0; read until the end, never past the cap.
    std::uint8_t chunk[65536];
    for (;;) {
        const std::uint64_t room = limit - data.size();
        const std::size_t want = whole ? sizeof chunk : static_cast<std::size_t>(std::min<std::uint64_t>(room, sizeof chunk));
        if (want == 0) break;
        const ssize_t n = ::read(fd, chunk, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetError(error, "cannot read '" + path + "'", errno);
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        if (data.size() + static_cast<std::uint64_t>(n) > limit) return tooLarge();
        data.insert(data.end(), chunk, chunk + n);
    }
    ::close(fd);
    return data;
}

} // namespace

std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path, std::uint64_t maxBytes,
                                                  std::string* error) {
    return ReadRegular(path, maxBytes, true, error);
}

std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::string& path, std::size_t count,
                                                       std::string* error) {
    return ReadRegular(path, count, false, error);
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

void AtomicFileWriter::Discard() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(temp_.c_str());
    fd_ = -1;
}

bool AtomicFileWriter::Open(const std::string& requested, std::string* error) {
    Discard();
    errno_ = 0;
    buffer_.clear();
    requested_ = requested;
    // A symbolic link stays a link: the file it points to is replaced.
    target_ = requested;
    struct stat st {};
    if (::lstat(requested.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(requested.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        if (error) *error = "'" + requested + "' is not a regular file";
        return false;
    }
    directory_ = DirectoryOf(target_);
    const std::string name = target_.substr(target_.rfind('/') + 1);
    if (name.empty()) {
        if (error) *error = "'" + target_ + "' names no file";
        return false;
    }
    temp_ = (directory_ == "/" ? "" : directory_) + "/." + name + ".XXXXXX";
    fd_ = ::mkstemp(temp_.data());
    if (fd_ < 0) {
        SetError(error, "cannot create a temporary file in '" + directory_ + "'", errno);
        return false;
    }
    // An existing file keeps its permissions; a new one gets the usual ones.
    mode_ = exists ? (st.st_mode & 07777) : (0644 & ~CurrentUmask());
    if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) {
        SetError(error, "cannot set the mode of '" + temp_ + "'", errno);
        Discard();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Flush() {
    if (errno_ == 0 && !WriteAll(fd_, reinterpret_cast<const std::uint8_t*>(buffer_.data()), buffer_.size())) {
        errno_ = errno ? errno : EIO;
    }
    buffer_.clear();
    return errno_ == 0;
}

bool AtomicFileWriter::Write(const void* data, std::size_t size) {
    if (fd_ < 0) return false;
    constexpr std::size_t kBuffer = 1 << 16;
    if (buffer_.size() + size > kBuffer && !Flush()) return false;
    if (size >= kBuffer) {
        if (!WriteAll(fd_, static_cast<const std::uint8_t*>(data), size)) errno_ = errno ? errno : EIO;
        return errno_ == 0;
    }
    buffer_.append(static_cast<const char*>(data), size);
    return errno_ == 0;
}

bool AtomicFileWriter::Commit(std::string* error) {
    if (fd_ < 0) {
        if (error) *error = "'" + requested_ + "' is not open";
        return false;
    }
    auto fail = [&](const std::string& what, int err) {
        Discard();
        SetError(error, what, err);
        return false;
    };
    if (!Flush()) return fail("cannot write '" + temp_ + "'", errno_);
    if (::fsync(fd_) != 0) return fail("cannot flush '" + temp_ + "'", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        SetError(error, "cannot close '" + temp_ + "'", err);
        return false;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        SetError(error, "cannot replace '" + target_ + "'", err);
        return false;
    }
    // Make the rename itself durable; a failure here no longer loses data.
    const int dirFd = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(int, std::string*)>& write,
                         std::string* error) {
    AtomicFileWriter file;
    if (!file.Open(path, error)) return false;
    std::string why;
    if (!write(file.Descriptor(), &why)) {
        if (error) *error = why.empty() ? "cannot write '" + path + "'" : why;
        return false; // the writer removes its temporary file
    }
    return file.Commit(error);
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string* error) {
    AtomicFileWriter file;
    if (!file.Open(path, error)) return false;
    file.Write(data, size); // a failure is reported by Commit
    return file.Commit(error);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteTextLines(const std::string& path, const std::vector<std::string>& utf8Lines,
                    std::string* error) {
    std::string text;
    for (const std::string& line : utf8Lines) {
        text += cp1252::FromUtf8(line);
        text += "\r\n";
    }
    return WriteFileAtomically(path, text, error);
}

std::vector<std::string> SplitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        else if (end > start && text[end - 1] == '\r') --end;
        lines.push_back(cp1252::ToUtf8(text.substr(start, end - start)));
        start = next;
    }
    return lines;
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path, std::uint64_t maxBytes,
                                                      std::string* error) {
    const auto data = ReadFile(path, maxBytes, error);
    if (!data) return std::nullopt;
    return SplitTextLines(std::string_view(reinterpret_cast<const char*>(data->data()), data->size()));
}

} // namespace qz::fs
