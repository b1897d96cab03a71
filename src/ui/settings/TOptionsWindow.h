#pragma once
#include <QPointer>
#include <QWidget>
#include <array>

namespace qz {
struct RunStatistics;
}

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSlider;
class QTabWidget;
class QTableWidget;
class QPushButton;

namespace qz::ui {

class TDocForm;

// "Options": the program-wide settings of the editor and the simulation (kept
// in the configuration file), the simulation settings of the current
// document, the figures of the last run, the remark lists and a debug page.
// Reads the configuration file when it is made; its controls and Settings()
// are kept in step.
class TOptionsWindow final : public QWidget {
    Q_OBJECT
public:
    explicit TOptionsWindow(QWidget* parent);

    // The document whose simulation settings the "Simulation" page edits
    // (null: none).
    void SetCurrentWindow(TDocForm* form);
    TDocForm* CurrentWindow() const;
    // Opens the "Performance" page with the figures of a run.
    void ShowPerformance(const RunStatistics& statistics);
    // Shows Settings() in the controls (another window changed a value).
    void ShowSettings();
    // Makes the "Debug Informations" page visible and opens it.
    void ShowDebugPage();

    void ApplyBtnClick();
    void CloseBtnClick();
    void CancelBtnClick();
    // Enter in the grid size field.
    void RasterEditReturn();
    void RasterTrackBarChange(int position);
    // Writes both remark lists (a memo lost the focus).
    void SaveRemarks();
    // Fills the debug page for the current document.
    void RefreshDebugPage();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void BuildRepresentationPage();
    void BuildSimulationPage();
    void BuildPerformancePage();
    void BuildRemarkPages();
    void BuildDebugPage();
    void PageChanged(int index);
    void TakeGridSize();
    void ApplySimulationSettings();
    void LoadRemarks();
    void CloseWindow();

    QPointer<TDocForm> current_;
    QTabWidget* pages_ = nullptr;
    QPushButton* apply_ = nullptr;
    // Where the Apply button sits on the "Representation" and "Simulation"
    // pages.
    std::array<QHBoxLayout*, 2> applyRows_{};

    QRadioButton* detail_ = nullptr;
    QRadioButton* quick_ = nullptr;
    QRadioButton* automatic_ = nullptr;
    QCheckBox* alignToGrid_ = nullptr;
    QCheckBox* gridVisible_ = nullptr;
    QSlider* gridBar_ = nullptr;
    QLineEdit* gridEdit_ = nullptr;

    QCheckBox* animateContinuous_ = nullptr;
    QCheckBox* animateDiscrete_ = nullptr;
    QLineEdit* sampleTime_ = nullptr;
    QComboBox* timeUnit_ = nullptr;
    QCheckBox* enhancedRule_ = nullptr;

    QLabel* stepLabel_ = nullptr;
    QLabel* allTimeLabel_ = nullptr;
    QLabel* stepSpeedLabel_ = nullptr;
    QLabel* transSpeedLabel_ = nullptr;
    QLabel* osziTimeLabel_ = nullptr;

    QPlainTextEdit* shortRemarks_ = nullptr;
    QPlainTextEdit* longRemarks_ = nullptr;

    QWidget* debugPage_ = nullptr;
    std::array<QLabel*, 5> countLabels_{};
    std::array<QRadioButton*, 5> debugChoices_{};
    QTableWidget* debugGrid_ = nullptr;
};

} // namespace qz::ui
