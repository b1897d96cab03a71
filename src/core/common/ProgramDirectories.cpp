#include "common/ProgramDirectories.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/FileSystem.h"

namespace qz::fs {
namespace {

namespace stdfs = std::filesystem;

constexpr const char* kConfigFile = "Quenzor.cfg";
// Deeper directories are not copied: no layout of ours nests that far, and a
// loop of directories must end somewhere.
constexpr int kMaxCopyDepth = 16;
// A file larger than this is no file of ours and is not copied.
constexpr std::uint64_t kMaxCopiedFileBytes = 1ull << 30;

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir.push_back('/');
    return dir;
}

// True when anything (also a dangling link) is at the path; an error other
// than "no such file" counts as present, so that nothing is put there.
bool Present(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return true;
    return errno != ENOENT;
}

bool IsLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

void Fail(SeedResult& r, std::string why) {
    if (!r.ok) return;
    r.ok = false;
    r.error = std::move(why);
}

// Copies a file the user's copy lacks. An installed file the user cannot
// read is skipped: it would not be readable from the installed directory
// either. A file that cannot be written is a failure.
void CopyMissingFile(const std::string& from, const std::string& to, const std::string& rel, SeedResult& r) {
    if (Present(to)) return;
    const auto data = ReadFile(from, kMaxCopiedFileBytes);
    if (!data) return;
    std::string why;
    if (!WriteFileAtomically(to, data->data(), data->size(), &why)) return Fail(r, why);
    r.copied.push_back(rel);
}

void CompleteDirectory(const std::string& from, const std::string& to, const std::string& rel, int depth,
                       SeedResult& r);

// One entry of an installed directory: a directory is created and completed,
// a regular file copied, anything else left alone. Links to files are copied
// as files; links to directories are not followed.
void CompleteEntry(const std::string& from, const std::string& to, const std::string& rel, int depth,
                   SeedResult& r) {
    struct stat st {};
    if (!r.ok || ::stat(from.c_str(), &st) != 0) return;
    if (S_ISREG(st.st_mode)) return CopyMissingFile(from, to, rel, r);
    if (!S_ISDIR(st.st_mode) || IsLink(from) || depth > kMaxCopyDepth) return;
    if (!Present(to)) {
        // Another Quenzor starting at the same time may have made it.
        if (::mkdir(to.c_str(), 0755) != 0 && !(errno == EEXIST && DirectoryExists(to))) {
            return Fail(r, "cannot create \"" + to + "\": " + std::strerror(errno));
        }
        r.copied.push_back(rel + "/");
    }
    // Whatever the user put in place of a directory stays as it is.
    if (DirectoryExists(to) && !IsLink(to)) CompleteDirectory(from, to, rel, depth + 1, r);
}

void CompleteDirectory(const std::string& from, const std::string& to, const std::string& rel, int depth,
                       SeedResult& r) {
    std::vector<std::string> names;
    std::error_code ec;
    for (stdfs::directory_iterator it(from, ec); !ec && it != stdfs::directory_iterator(); it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) CompleteEntry(from + "/" + name, to + "/" + name, rel + "/" + name, depth, r);
}

// Creates a directory with its parents; the reason when it is no usable
// directory afterwards.
std::string MakeDirectory(const std::string& dir, const WritableProbe& writable) {
    std::error_code ec;
    stdfs::create_directories(dir, ec);
    if (!DirectoryExists(dir)) {
        return "cannot create \"" + dir + "\": " + (ec ? ec.message() : std::string("it is no directory"));
    }
    if (!writable(dir)) return "\"" + dir + "\" cannot be written";
    return {};
}

// Below /usr and /opt lie the files of installed packages, which change only
// with the package: even the administrator, who may write there, works on a
// copy instead of changing them.
bool IsSystemDirectory(const std::string& dir) {
    return dir.rfind("/usr/", 0) == 0 || dir.rfind("/opt/", 0) == 0;
}

std::string ExecutableDirectory() {
    std::string exe(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= exe.size()) return "./";
    exe.resize(static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::optional<ProgramDirectories>& Replaced() {
    static std::optional<ProgramDirectories> dirs;
    return dirs;
}

std::atomic<bool> problemTaken{false};

} // namespace

bool DirectoryWritable(const std::string& dir) { return ::access(dir.c_str(), W_OK | X_OK) == 0; }

std::string PerUserDirectoryProblemText(const std::string& dir, const std::string& why,
                                        const std::string& installed) {
    return "The directory for your own copy of Quenzor's files,\r" + dir + ",\rcannot be used (" + why +
           ").\rThis session reads the files installed in\r" + installed +
           "\rand keeps no settings, remarks or library classes.";
}

ProgramDirectories ChooseDirectories(const DirectoryInputs& in, const WritableProbe& writable) {
    ProgramDirectories d;
    if (!in.quenzorHome.empty()) {
        d.kind = DirectoryKind::Home;
        d.program = d.config = d.installed = WithSlash(in.quenzorHome);
        return d;
    }
    d.installed = WithSlash(in.executableDir);
    if (!IsSystemDirectory(d.installed) && writable(d.installed)) {
        d.kind = DirectoryKind::Executable;
        d.program = d.config = d.installed;
        return d;
    }
    // Relative values are not used, as the base directory rules ask.
    const auto base = [&in](const std::string& xdg, const char* underHome) -> std::string {
        if (!xdg.empty() && xdg.front() == '/') return WithSlash(xdg);
        if (!in.home.empty() && in.home.front() == '/') return WithSlash(in.home) + underHome;
        return {};
    };
    const std::string data = base(in.xdgDataHome, ".local/share/");
    const std::string config = base(in.xdgConfigHome, ".config/");
    if (data.empty() || config.empty()) {
        d.kind = DirectoryKind::Installed;
        d.program = d.config = d.installed;
        d.problem = PerUserDirectoryProblemText(data.empty() ? "$XDG_DATA_HOME/quenzor" : "$XDG_CONFIG_HOME/quenzor",
                                                "no home directory is known", d.installed);
        return d;
    }
    d.kind = DirectoryKind::PerUser;
    d.program = data + kPerUserSubdirectory + "/";
    d.config = config + kPerUserSubdirectory + "/";
    return d;
}

SeedResult SeedUserDirectory(const std::string& installed, const std::string& user, const std::string& config,
                             const WritableProbe& writable) {
    SeedResult r;
    for (const std::string& dir : {user, config}) {
        if (std::string why = MakeDirectory(dir, writable); !why.empty()) {
            Fail(r, why);
            return r;
        }
    }
    const std::string from = WithSlash(installed), to = WithSlash(user);
    for (const char* name : kCopiedDirectories) {
        if (Present(from + name)) CompleteEntry(from + name, to + name, name, 0, r);
    }
    if (FileExists(from + kConfigFile)) CopyMissingFile(from + kConfigFile, WithSlash(config) + kConfigFile, kConfigFile, r);
    const bool classesCopied = std::any_of(r.copied.begin(), r.copied.end(), [](const std::string& rel) {
        return rel.rfind("Objects/", 0) == 0 && rel.size() > 8;
    });
    if (classesCopied) {
        for (const char* index : kLibraryIndexFiles) ::unlink((to + index).c_str());
    }
    return r;
}

ProgramDirectories PrepareDirectories(const DirectoryInputs& in, const WritableProbe& writable) {
    ProgramDirectories d = ChooseDirectories(in, writable);
    if (d.kind != DirectoryKind::PerUser) return d;
    const SeedResult seeded = SeedUserDirectory(d.installed, d.program, d.config, writable);
    if (seeded.ok) return d;
    d.kind = DirectoryKind::Installed;
    d.problem = PerUserDirectoryProblemText(d.program, seeded.error, d.installed);
    d.program = d.config = d.installed;
    return d;
}

DirectoryInputs EnvironmentInputs() {
    DirectoryInputs in;
    in.quenzorHome = Environment("QUENZOR_HOME");
    in.executableDir = ExecutableDirectory();
    in.xdgDataHome = Environment("XDG_DATA_HOME");
    in.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    in.home = Environment("HOME");
    if (in.home.empty()) {
        struct passwd entry {};
        struct passwd* found = nullptr;
        std::vector<char> buffer(16384);
        if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            found->pw_dir) {
            in.home = found->pw_dir;
        }
    }
    return in;
}

ProgramDirectories CurrentDirectories() {
    if (Replaced()) return *Replaced();
    if (const std::string home = Environment("QUENZOR_HOME"); !home.empty()) {
        DirectoryInputs in;
        in.quenzorHome = home;
        return ChooseDirectories(in, DirectoryWritable);
    }
    // Decided once: the per-user copy is prepared at the first call.
    static const ProgramDirectories decided = [] {
        DirectoryInputs in = EnvironmentInputs();
        in.quenzorHome.clear();
        return PrepareDirectories(in, DirectoryWritable);
    }();
    return decided;
}

std::string ConfigDirectory() { return CurrentDirectories().config; }

bool ProgramDirectoryWritable() { return CurrentDirectories().Writable(); }

std::string TakeDirectoryProblem() {
    std::string problem = CurrentDirectories().problem;
    if (problem.empty() || problemTaken.exchange(true)) return {};
    return problem;
}

ScopedDirectories::ScopedDirectories(ProgramDirectories dirs) : saved_(Replaced()) {
    Replaced() = std::move(dirs);
    problemTaken = false;
}

ScopedDirectories::~ScopedDirectories() { Replaced() = saved_; }

} // namespace qz::fs
