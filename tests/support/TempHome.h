#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qz::test {

// A fresh temporary directory that serves as the program directory: sets
// QUENZOR_HOME to it, and on destruction restores the previous value and
// removes the directory with everything in it.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    // The directory with a trailing "/", as ProgramDirectory() reports it.
    const std::string& Path() const { return path_; }
    // Path() + name.
    std::string PathOf(std::string_view name) const { return path_ + std::string(name); }

private:
    std::string path_;
    std::optional<std::string> savedHome_;
};

} // namespace qz::test
