#pragma once
#include "widgets/TToolWindow.h"

namespace qz::ui {

// "Editor": a text editor.
class TEditorWindow final : public TToolWindow {
    Q_OBJECT
public:
    explicit TEditorWindow(QWidget* parent);
};

} // namespace qz::ui
