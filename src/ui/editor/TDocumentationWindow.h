#pragma once
#include "widgets/TToolWindow.h"

namespace qz::ui {

// "Documentation": the documentation of an object class and its instances.
class TDocumentationWindow final : public TToolWindow {
    Q_OBJECT
public:
    explicit TDocumentationWindow(QWidget* parent);
};

} // namespace qz::ui
