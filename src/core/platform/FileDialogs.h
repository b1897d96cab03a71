#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qz {

// The standard open and save dialogs. A filter lists description and
// pattern pairs separated by "|", as "*.pn|*.pn|*.pnml|*.pnml"; the first
// pair is chosen at the start. Both return nullopt when the user cancels.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<std::string> OpenFileName(std::string_view filter,
                                                    std::string_view directory) = 0;
    // `defaultExtension` ("*.pn" or ".pn") is appended to a name typed
    // without one; an existing file is not asked about (the callers ask).
    virtual std::optional<std::string> SaveFileName(std::string_view initialPath,
                                                    std::string_view defaultExtension,
                                                    std::string_view filter) = 0;
};

} // namespace qz
