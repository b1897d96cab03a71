#pragma once

namespace qz::ui {

// Screen readers see a plain widget shown as a tool window ("Simulation",
// "Options", "Compile Error") as a filler, not as a window they can move
// to; this makes every tool window a window to them. Installed once for the
// program; calling it again does nothing.
void ExposeToolWindowsAsWindows();

} // namespace qz::ui
