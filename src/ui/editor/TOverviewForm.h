#pragma once
#include "widgets/TToolWindow.h"

namespace qz::ui {

// "Net Navigator": the whole net of the active document.
class TOverviewForm final : public TToolWindow {
    Q_OBJECT
public:
    explicit TOverviewForm(QWidget* parent);

    // Draws the active document's net again.
    void RepaintNet() { update(); }

signals:
    // The window was closed (the main window releases its button).
    void closed();

protected:
    void closeEvent(QCloseEvent* e) override;
};

} // namespace qz::ui
