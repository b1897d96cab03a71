#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz::fs {

// The program directory in use, with a trailing separator: QUENZOR_HOME when
// that is set, else the directory of the running executable when it can be
// written, else the user's own copy of it (see ProgramDirectories.h).
std::string ProgramDirectory();

// Reads a whole file; nullopt (with the reason in *error when given) when it
// cannot be opened or read, when it is no regular file (a directory, a FIFO,
// a device: nothing that could block or never end is opened for reading) or
// when it is larger than `maxBytes`.
std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path,
                                                  std::uint64_t maxBytes = 1ull << 31,
                                                  std::string* error = nullptr);
// The first `count` bytes of a regular file (fewer when it is shorter).
std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::string& path, std::size_t count,
                                                       std::string* error = nullptr);

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

// The same safe writing for output produced bit by bit: Open creates the
// temporary file, Write appends (buffered), Commit flushes and renames it
// over the target. A writer destroyed without a successful Commit removes
// its temporary file and leaves the target as it was.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Open(const std::string& path, std::string* error = nullptr);
    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    bool Commit(std::string* error = nullptr);
    bool IsOpen() const { return fd_ >= 0; }
    // The temporary file, for content written to it directly instead of
    // through Write (the two are not mixed).
    int Descriptor() const { return fd_; }

private:
    bool Flush();
    void Discard();

    int fd_ = -1;
    int errno_ = 0; // the first write failure
    std::string requested_, target_, temp_, directory_;
    unsigned mode_ = 0;
    std::string buffer_;
};

// True when both paths name the same existing file (also through links).
bool SameFile(const std::string& a, const std::string& b);

// Writes all bytes to a descriptor, going on after interruptions; false with
// errno set on failure.
bool WriteAll(int fd, const void* data, std::size_t size);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Text files of the program: lines ended by CR LF, Windows-1252 on disk.
bool WriteTextLines(const std::string& path, const std::vector<std::string>& utf8Lines,
                    std::string* error = nullptr);
// Reads lines ended by CR LF or LF; converts from Windows-1252. Files larger
// than `maxBytes` are refused like unreadable ones.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path,
                                                      std::uint64_t maxBytes = 1ull << 31,
                                                      std::string* error = nullptr);
// The lines of a text as ReadTextLines splits them.
std::vector<std::string> SplitTextLines(std::string_view text);

} // namespace qz::fs
