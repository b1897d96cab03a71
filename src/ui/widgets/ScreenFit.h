#pragma once
#include <QRect>

#include "common/Geometry.h"

class QWidget;

namespace qz::ui {

inline TRect ToTRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
inline QRect ToQRect(const TRect& r) { return {r.left, r.top, r.Width(), r.Height()}; }

// Moves a top-level window, and shrinks it where it must, so that it lies
// inside the free part of the screen it is on (of its parent's screen
// before it is shown), frame included.
void FitOnScreen(QWidget* window);

} // namespace qz::ui
