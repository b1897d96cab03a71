#pragma once
#include <QPointer>
#include <QWidget>
#include <exception>
#include <unordered_map>
#include <vector>

namespace qz {
class TEdge;
class TSimulationSession;
struct FlowArc;
struct TokenAnimation;
} // namespace qz

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QSlider;
class QTabWidget;
class QToolButton;

namespace qz::ui {

class TDocForm;
class MainFrame;
class TStatusPanels;
class TWorkspace;

// "Simulation": the panel that drives the session of the active document:
// single steps, runs paced by its timer or at maximum speed, runs to the
// next event, the automatic stop, the animations and the display buttons.
// The run control itself is the core's session; this window shows its state
// and forwards the clicks, and draws the session's animations on the
// document it was started for.
class TSimuPanel final : public QWidget {
    Q_OBJECT
public:
    TSimuPanel(MainFrame& main, QWidget* parent);
    ~TSimuPanel() override;

    // The document entered simulation mode (its session has started).
    void StartPanel(TDocForm& form);
    // The document left simulation mode.
    void StopPanel();
    TDocForm* Document() const;

    // "Init Net" and "Init Net and Diagramms" of a document (with or without
    // a session); waits for a running maximum-speed loop to end.
    void InitNet(TDocForm& form, bool clearDiagrams);

    // The controls' handlers.
    void StepBtnClick();
    void RunBtnClick();
    void RunToEventBtnClick();
    void StopBtnClick();
    void ShowDisBtnClick();
    void ShowKonBtnClick();
    void SpeedyClick();
    void SpeedBarChange(int position);
    void HighSpeedCheckBoxClick(bool checked);
    void ShowAnimationsCheckBoxClick(bool checked);
    void StopZeitEditChange(const QString& text);
    void StatusBarClick();

    QString StatusText(int panel) const;
    // Shows the session's state in the controls.
    void ShowState();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    TSimulationSession& Session() const;
    void BuildControls();
    void Run(bool toEvent);
    // The maximum-speed loop, started from the event queue.
    void RunLoop(bool toEvent);
    void ChooseSelectTool();
    void BindView(TDocForm& form);
    void SimulationTimerTick();
    void AnimateTokens(TDocForm& form, const TokenAnimation& plan);
    void DrawFlows(TDocForm& form, const std::vector<FlowArc>& arcs);
    void DrawFlow(TEdge& arc, bool inverted);
    void RedrawNet(TDocForm& form);
    void Redraw();
    // A display button: selects what `show` finds and redraws.
    void Display(void (*button)(TSimulationSession&));

    MainFrame& main_;
    // Outlives the main window, which destroys this panel with it.
    TWorkspace& workspace_;
    QPointer<TDocForm> form_;
    // ">> Run" was pressed at "Max Speed" and its loop has not begun yet.
    bool runPending_ = false;
    // Per flowing arc: whether its last drawing was the inverted one.
    std::unordered_map<const TEdge*, bool> inverted_;

    QTabWidget* pages_ = nullptr;
    QToolButton* stepBtn_ = nullptr;
    QToolButton* stopBtn_ = nullptr;
    QToolButton* runToEventBtn_ = nullptr;
    QToolButton* runBtn_ = nullptr;
    QSlider* speedBar_ = nullptr;
    QCheckBox* highSpeed_ = nullptr;
    QCheckBox* statistic_ = nullptr;
    QCheckBox* showAnimations_ = nullptr;
    QCheckBox* showTime_ = nullptr;
    QCheckBox* logFile_ = nullptr;
    QCheckBox* zeitCheck_ = nullptr;
    QLineEdit* stopZeit_ = nullptr;
    QToolButton* showDis_ = nullptr;
    QToolButton* showKon_ = nullptr;
    QToolButton* speedy_ = nullptr;
    TStatusPanels* status_ = nullptr;
};

// The application's general error report: a message box with the error's
// own message.
void ReportError(const std::exception& e);

} // namespace qz::ui
