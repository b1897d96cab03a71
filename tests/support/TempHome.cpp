#include "TempHome.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace qz::test {

TempHome::TempHome() {
    if (const char* old = std::getenv("QUENZOR_HOME")) savedHome_ = old;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quenzor-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create " + pattern);
    path_ = pattern + "/";
    ::setenv("QUENZOR_HOME", pattern.c_str(), 1);
}

TempHome::~TempHome() {
    if (savedHome_) ::setenv("QUENZOR_HOME", savedHome_->c_str(), 1);
    else ::unsetenv("QUENZOR_HOME");
    std::error_code ec;
    // Tests may have taken permissions away; give them back so that removal works.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
    }
    std::filesystem::remove_all(path_, ec);
}

} // namespace qz::test
