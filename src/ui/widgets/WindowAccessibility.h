#pragma once

namespace qz::ui {

// Screen readers see a plain widget shown as a tool window ("Simulation",
// "Options", "Compile Error") as a filler, not as a window they can move
// to; this makes every tool window a window to them. Open popup menus are
// children of the application as well, so that their items can be chosen
// through the accessibility tree. Installed once for the program; calling
// it again does nothing.
void ExposeToolWindowsAsWindows();

} // namespace qz::ui
