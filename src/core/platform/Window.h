#pragma once
#include <string>

#include "common/Geometry.h"

namespace qz {

class Canvas;

// A window that shows a net: its drawing surface and the invalidation of
// world rectangles (the window maps them to its pixels).
class Window {
public:
    virtual ~Window() = default;
    virtual Canvas* Surface() = 0;
    virtual void InvalidateRect(const TRect& worldRect) = 0;
    virtual void InvalidateAll() = 0;
    // The window's component name, as diagnostics list it.
    virtual std::string ComponentName() const = 0;
};

} // namespace qz
