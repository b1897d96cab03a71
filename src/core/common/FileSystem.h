#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz::fs {

// The program directory with a trailing separator: the directory of the
// running executable, or the value of QUENZOR_HOME when that is set.
std::string ProgramDirectory();

// Reads a whole file; nullopt when it cannot be opened or read. Refuses files
// larger than `maxBytes`.
std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path,
                                                  std::uint64_t maxBytes = 1ull << 31);

// Writes a whole file safely: into a temporary file in the same directory,
// flushed, then renamed over the target. On any failure the previous file is
// untouched, the temporary is removed and false is returned (with the reason
// in *error when given). A new file gets mode 0644 less the umask, an
// existing one keeps its mode; a symbolic link is followed and stays a link;
// a target that exists but is no regular file is refused.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         std::string* error = nullptr);
inline bool WriteFileAtomically(const std::string& path, std::string_view text,
                                std::string* error = nullptr) {
    return WriteFileAtomically(path, text.data(), text.size(), error);
}
// The same with the content written by `write` into the temporary file's
// descriptor, for content made as it is written; `write` returns false, with
// the reason in its second argument, to give up.
bool WriteFileAtomically(const std::string& path, const std::function<bool(int fd, std::string* error)>& write,
                         std::string* error = nullptr);

// Writes all bytes to a descriptor, going on after interruptions; false with
// errno set on failure.
bool WriteAll(int fd, const void* data, std::size_t size);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Text files of the program: lines ended by CR LF, Windows-1252 on disk.
bool WriteTextLines(const std::string& path, const std::vector<std::string>& utf8Lines,
                    std::string* error = nullptr);
// Reads lines ended by CR LF or LF; converts from Windows-1252.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

} // namespace qz::fs
