#pragma once
#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace qz::ui {

// The program's named pictures, drawn by the program itself as vector
// figures (sharp at every display scale): the tool-button glyphs, "ShowOn"
// and "ShowOff", "StandardMarke" (the token), "BMP_OK" and "BMP_ERROR", and
// the tool cursors registered under their numbers.
QIcon NamedIcon(const QString& name);
QPixmap NamedPixmap(const QString& name, int size = 24, qreal devicePixelRatio = 1.0);
// The cursor of a tool number (0 arrow, -3 crosshair, 1 .. 7, 11, 13 .. 15).
QCursor ToolCursor(int number);

} // namespace qz::ui
