#pragma once
#include <QWidget>

namespace qz::ui {

class TDocForm;
class TMainWindow;

// "Simulation": the panel that drives the session of the active document:
// single steps, runs paced by its timer or at maximum speed, runs to the
// next event, the automatic stop, the animations and the display buttons.
// The run control itself is the core's session; this window shows its state
// and forwards the clicks.
class TSimuPanel final : public QWidget {
    Q_OBJECT
public:
    TSimuPanel(TMainWindow& main, QWidget* parent);

    // The document entered simulation mode (its session has started).
    void StartPanel(TDocForm& form);
    // The document left simulation mode.
    void StopPanel();
    TDocForm* Document() const { return form_; }

private:
    TMainWindow& main_;
    TDocForm* form_ = nullptr;
};

} // namespace qz::ui
