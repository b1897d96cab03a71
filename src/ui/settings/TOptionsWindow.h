#pragma once
#include <QWidget>

namespace qz {
struct RunStatistics;
}

class QTabWidget;

namespace qz::ui {

class TDocForm;

// "Options": the program-wide settings of the editor and the simulation (kept
// in the configuration file), the simulation settings of the current
// document, the figures of the last run and the remark lists. Reads the
// configuration file when it is made.
class TOptionsWindow final : public QWidget {
    Q_OBJECT
public:
    explicit TOptionsWindow(QWidget* parent);

    // The document whose simulation settings the "Simulation" page edits
    // (null: none).
    void SetCurrentWindow(TDocForm* form);
    TDocForm* CurrentWindow() const { return current_; }
    // Opens the "Performance" page with the figures of a run.
    void ShowPerformance(const RunStatistics& statistics);

private:
    TDocForm* current_ = nullptr;
    QTabWidget* pages_ = nullptr;
};

} // namespace qz::ui
