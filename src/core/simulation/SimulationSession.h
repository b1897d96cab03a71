#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>

#include "simulation/SimulationEngine.h"

namespace qz {

class Timer;
class TPNObjekt;

// The figures of the "Performance" page after a maximum-speed run.
struct RunStatistics {
    std::int32_t steps = 0;
    std::uint32_t totalMilliseconds = 0;
    std::uint32_t diagramMilliseconds = 0;
    long double stepsPerSecond = 0;
    long double transitionsPerSecond = 0;
    long double diagramPercent = 0;
    // The label texts.
    std::string allTime, step, stepSpeed, transSpeed, osziTime;
};

RunStatistics ComputeRunStatistics(std::int32_t steps, std::uint32_t totalMs,
                                   std::uint32_t diagramMs, std::size_t transitions);

// The run control of a simulation session: the engine plus the state of the
// simulation panel's controls, and the panel's handlers. A window shows this
// state and forwards its clicks; it never runs the engine itself.
class TSimulationSession {
public:
    TSimulationSession();
    ~TSimulationSession();
    TSimulationSession(const TSimulationSession&) = delete;
    TSimulationSession& operator=(const TSimulationSession&) = delete;

    // Starting the panel for a document's root object (fusion resolved,
    // formulas compiled): working lists, status text, value display.
    void Start(TPNObjekt& root);
    // Builds the conflict groups and warns about them; true when the user
    // cancelled at the warning.
    bool Initialise();
    // Stopping the panel: timers off, working lists freed.
    void Stop();
    bool Active() const { return engine.Active(); }

    // One step (the timers, buttons and loops call it), then ReportFaults.
    bool SimulationStep();
    // The faults of the engine's last step, one message box each: a failed
    // speed formula marks its transition, and ends a timer or maximum-speed
    // run ("Now the automatic simulation modus becomes disabled ...").
    void ReportFaults();

    void StepBtnClick();
    // Maximum speed: runs until stopped and rethrows a formula error after
    // ending the run. Otherwise starts the simulation timer.
    void RunBtnClick();
    void RunToEventBtnClick();
    void StopBtnClick();
    void SimulationTimerTimer();
    void AnimationTimerTimer();
    void SpeedBarChange(int position);
    void HighSpeedCheckBoxClick(bool checked);
    void ShowAnimationsCheckBoxClick(bool checked);
    void StopZeitEditChange(const std::string& text);
    // The key the stop-time edit keeps ("." becomes ","), or none.
    static std::optional<char> StopZeitEditKeyPress(char key);
    void StatusBarClick();
    // Display buttons; they return the number of transitions selected.
    int ShowDisBtnClick();
    int ShowKonBtnClick();
    void SpeedyClick();

    // "Init Net" and "Init Net and Diagramms" of a document; works with and
    // without a running session.
    void InitNet(TPNObjekt& root, bool clearDiagrams);

    TSimulationEngine engine; // engine.maxSpeed is "Max Speed"

    // Panel state.
    int speedBarPosition = 500;
    bool maxSpeedEnabled = true;
    bool evaluation = false; // "Evaluation"
    bool evaluationEnabled = false;
    bool showTime = true;    // "Show Time"
    bool logFile = false;    // "create log file"
    bool automaticStop = true; // "Automatic Stop after"
    std::string stopTimeText = "2000";
    long double stopTime = 2000;
    // Headless runs: stop after this many steps (0: no limit).
    std::int32_t stepLimit = 0;
    std::string caption = "Simulation";
    std::string page = "Panel";
    std::string status0 = "Ready";
    std::string status1 = "Time : 0";
    bool runBold = false, runToEventBold = false, stopBold = true;
    std::string showDisCaption = "Enabled D-Trans.";
    std::string showKonCaption = "Enabled C-Trans.";

    // Statistics of the current or last run.
    std::int32_t stepCounter = 0;
    std::uint32_t startTick = 0;
    std::uint32_t totalMilliseconds = 0;
    std::optional<RunStatistics> statistics;
    // Opens the options window on its "Performance" page.
    std::function<void(const RunStatistics&)> showStatistics;

    std::unique_ptr<Timer> simulationTimer;
    std::unique_ptr<Timer> animationTimer;

private:
    void Run(bool toEvent);
    void RefreshAndRedraw();
    void DeselectDisplay();
    std::string TimeText(int digits) const;

    std::unordered_set<const TEdge*> flowDrawn_;
};

// The program-wide simulation busy flag: set while a session is being
// started or runs.
bool& SimulationBusy();

inline constexpr const char* kSimulatorBusy =
    "The Simulator engine is already busy.\rPlease stop the running simulation before starting a "
    "new simulation session.";
inline constexpr const char* kConflictWarning =
    "Propably there are conflicted transitions !\rPress \"Show conflict groups\" (in the "
    "simulationpanel, register Extras) to visualize them.";

std::string InvalidConnectionsMessage(int count);

// Counts (and selects) the arcs that may not take part in a simulation.
int CountInvalidConnections(TPNObjekt& root);

enum class StartOutcome { Started, Busy, InvalidConnections, FormulaErrors, EmptyNet, Cancelled };

// The simulation switch pressed: refuses a second session, invalid
// connections, formula errors and an empty net (leaving the busy flag clear);
// otherwise resolves fusion, registers the variables, compiles the formulas
// and starts and initialises the session. Cancel at the conflict warning ends
// the session again. A window that enters simulation mode first asks about
// conflicts itself afterwards (`askAboutConflicts` false, then
// `AskAboutConflicts`).
StartOutcome StartSimulation(TPNObjekt& root, TSimulationSession& session, bool askAboutConflicts = true);
// The conflict warning of a started session; Cancel ends the session again
// (false).
bool AskAboutConflicts(TPNObjekt& root, TSimulationSession& session);
// The simulation switch released: ends the session and frees the compiled
// formulas.
void EndSimulation(TPNObjekt& root, TSimulationSession& session);

} // namespace qz
