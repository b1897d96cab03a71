#include "common/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/Cp1252.h"

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

std::string ProgramDirectory() {
    if (const char* home = std::getenv("QUENZOR_HOME"); home && *home) {
        std::string dir = home;
        if (dir.back() != '/') dir.push_back('/');
        return dir;
    }
    std::string exe(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= exe.size()) return "./";
    exe.resize(static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path, std::uint64_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> result;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode) &&
        static_cast<std::uint64_t>(st.st_size) <= maxBytes) {
        std::vector<std::uint8_t> data;
        data.reserve(static_cast<std::size_t>(st.st_size));
        // Files of /proc report size 0; read until the end, never past the cap.
        std::uint8_t chunk[65536];
        bool ok = true;
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0) {
                if (errno == EINTR) continue;
                ok = false;
                break;
            }
            if (n == 0) break;
            if (data.size() + static_cast<std::uint64_t>(n) > maxBytes) {
                ok = false;
                break;
            }
            data.insert(data.end(), chunk, chunk + n);
        }
        if (ok) result = std::move(data);
    }
    ::close(fd);
    return result;
}

bool WriteFileAtomically(const std::string& requested, const std::function<bool(int, std::string*)>& write,
                         std::string* error) {
    // A symbolic link stays a link: the file it points to is replaced.
    std::string path = requested;
    struct stat st {};
    if (::lstat(requested.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(requested.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        if (error) *error = "'" + requested + "' is not a regular file";
        return false;
    }
    const std::string dir = DirectoryOf(path);
    const std::string name = path.substr(path.rfind('/') + 1);
    if (name.empty()) {
        if (error) *error = "'" + path + "' names no file";
        return false;
    }
    std::string temp = (dir == "/" ? "" : dir) + "/." + name + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        SetError(error, "cannot create a temporary file in '" + dir + "'", errno);
        return false;
    }
    // An existing file keeps its permissions; a new one gets the usual ones.
    const mode_t mode = exists ? (st.st_mode & 07777) : (0644 & ~CurrentUmask());
    auto fail = [&](const std::string& what, int err, bool closeFd) {
        if (closeFd) ::close(fd);
        ::unlink(temp.c_str());
        SetError(error, what, err);
        return false;
    };
    if (::fchmod(fd, mode) != 0) return fail("cannot set the mode of '" + temp + "'", errno, true);
    std::string why;
    if (!write(fd, &why)) {
        ::close(fd);
        ::unlink(temp.c_str());
        if (error) *error = why.empty() ? "cannot write '" + temp + "'" : why;
        return false;
    }
    if (::fsync(fd) != 0) return fail("cannot flush '" + temp + "'", errno, true);
    if (::close(fd) != 0) return fail("cannot close '" + temp + "'", errno, false);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return fail("cannot replace '" + path + "'", errno, false);
    // Make the rename itself durable; a failure here no longer loses data.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string* error) {
    return WriteFileAtomically(
        path,
        [&](int fd, std::string* why) {
            if (WriteAll(fd, data, size)) return true;
            *why = std::string("cannot write '") + path + "': " + ErrnoText(errno);
            return false;
        },
        error);
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

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
    const auto data = ReadFile(path);
    if (!data) return std::nullopt;
    const std::string_view text(reinterpret_cast<const char*>(data->data()), data->size());
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

} // namespace qz::fs
