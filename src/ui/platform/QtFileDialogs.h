#pragma once
#include <QString>

#include "platform/FileDialogs.h"

namespace qz::ui {

// The open and save dialogs as Qt file dialogs (the same dialogs on every
// desktop, so that tests and screen readers find their controls).
class QtFileDialogs final : public FileDialogs {
public:
    std::optional<std::string> OpenFileName(std::string_view filter, std::string_view directory) override;
    std::optional<std::string> SaveFileName(std::string_view initialPath, std::string_view defaultExtension,
                                            std::string_view filter) override;
};

// "*.pn|*.pn|*.pnml|*.pnml" as Qt's name filters "*.pn (*.pn)", "*.pnml (*.pnml)".
QStringList NameFilters(std::string_view filter);

} // namespace qz::ui
