#pragma once
#include "platform/Services.h"

namespace qz::ui {

// The system clipboard: texts, and enhanced metafile pictures under their
// MIME type (with a PNG of the same picture when the render library can
// draw one).
class QtClipboard final : public Clipboard {
public:
    void SetText(std::string_view utf8) override;
    void SetMetafile(const void* data, std::size_t size) override;
    std::optional<std::string> Text() override;
};

} // namespace qz::ui
