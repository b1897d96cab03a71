#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qz::fs {

// Where the program keeps its files: the configuration, the library index,
// the remark lists, the class library and the default net, tutorial and help
// directories. A program installed for all users cannot write beside its
// executable; each user then works on a copy of the installed directory.
enum class DirectoryKind {
    Home,       // QUENZOR_HOME names the directory
    Executable, // the executable's own directory, which can be written
    PerUser,    // a per-user copy of the executable's directory
    Installed,  // the executable's directory, read only: no per-user copy could be made
};

// What the choice is made from. The process takes them from its environment;
// tests give their own.
struct DirectoryInputs {
    std::string quenzorHome;   // QUENZOR_HOME; empty when unset
    std::string executableDir; // the directory of the running executable
    std::string xdgDataHome;   // XDG_DATA_HOME; empty when unset
    std::string xdgConfigHome; // XDG_CONFIG_HOME; empty when unset
    std::string home;          // the user's home directory
};

struct ProgramDirectories {
    DirectoryKind kind = DirectoryKind::Executable;
    std::string program;   // the directory in use, with a trailing "/"
    std::string config;    // the directory of "Quenzor.cfg", with a trailing "/"
    std::string installed; // the executable's directory, with a trailing "/"
    // Why the per-user copy cannot be used (kind Installed), for one message.
    std::string problem;

    // False when nothing may be written: the installed directory is only read.
    bool Writable() const { return kind != DirectoryKind::Installed; }
};

// Answers whether the program may write into an existing directory.
using WritableProbe = std::function<bool(const std::string& dir)>;
// access(W_OK): the real answer for the running user (root may write into
// directories without write permission, and does not need a copy then).
bool DirectoryWritable(const std::string& dir);

// The subdirectories and files a per-user copy holds.
inline constexpr const char* kCopiedDirectories[] = {"Objects", "Tutorial", "Data", "Help"};
inline constexpr const char* kPerUserSubdirectory = "quenzor";
// The library index files, derived from "Objects": rebuilt, never copied.
inline constexpr const char* kLibraryIndexFiles[] = {"ObjName.dat", "ObjFile.dat"};

// The choice alone, touching nothing: QUENZOR_HOME when set; else the
// executable's directory when it is writable and not below /usr or /opt
// (installed package files, not to be changed even by the administrator);
// else "quenzor/" below
// $XDG_DATA_HOME (default ~/.local/share) for the files and below
// $XDG_CONFIG_HOME (default ~/.config) for the configuration. A relative
// XDG value is ignored, as the base directory rules ask. Without any home
// the choice is the installed directory, read only, with its problem.
ProgramDirectories ChooseDirectories(const DirectoryInputs& in, const WritableProbe& writable);

struct SeedResult {
    bool ok = true;
    std::string error;               // the first failure, when !ok
    std::vector<std::string> copied; // paths relative to the per-user directory
};

// Creates the per-user directories when missing and completes them from the
// installed directory: every file and directory of kCopiedDirectories that
// the user's copy lacks is copied, and "Quenzor.cfg" when the installed
// directory holds one and the user's configuration directory does not.
// Nothing that exists in the user's copy is replaced, and nothing is written
// into the installed directory. When a class file was copied into "Objects",
// the user's library index files are removed: they no longer describe the
// directory and are rebuilt when the library index is loaded.
SeedResult SeedUserDirectory(const std::string& installed, const std::string& user,
                             const std::string& config, const WritableProbe& writable);

// ChooseDirectories, and for a per-user choice SeedUserDirectory; when that
// fails, the installed directory read only, with the reason as the problem.
ProgramDirectories PrepareDirectories(const DirectoryInputs& in, const WritableProbe& writable);

// The inputs of this process: its environment, the executable's directory
// (from /proc/self/exe) and the home directory (HOME, else the password
// entry).
DirectoryInputs EnvironmentInputs();

// The directories of this process. QUENZOR_HOME is read at every call; the
// rest is decided (and the per-user copy prepared) once, at the first call.
ProgramDirectories CurrentDirectories();
// The directory of the configuration file, with a trailing "/".
std::string ConfigDirectory();
// False when this session only reads the installed directory.
bool ProgramDirectoryWritable();
// The problem of this process's directories the first time it is asked for,
// empty afterwards and when there is none: the program names it once.
std::string TakeDirectoryProblem();

// "The directory for your own copy of Quenzor's files, <dir>, cannot be used
// (<why>). ..." (the reason the installed directory is used read only).
std::string PerUserDirectoryProblemText(const std::string& dir, const std::string& why,
                                        const std::string& installed);

// Replaces the directories of this process while it lives (for tests).
class ScopedDirectories {
public:
    explicit ScopedDirectories(ProgramDirectories dirs);
    ~ScopedDirectories();
    ScopedDirectories(const ScopedDirectories&) = delete;
    ScopedDirectories& operator=(const ScopedDirectories&) = delete;

private:
    std::optional<ProgramDirectories> saved_;
};

} // namespace qz::fs
