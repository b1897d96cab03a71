#pragma once

namespace qz::ui {

// A library class dragged from the factory's class tree onto a document
// window: the class name's bytes, as the library index holds them, under
// this format. The tree offers it and the document view accepts only it.
inline constexpr const char* kClassDragFormat = "application/x-quenzor-class";

} // namespace qz::ui
