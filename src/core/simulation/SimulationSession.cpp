#include "simulation/SimulationSession.h"

#include <algorithm>
#include <exception>
#include <limits>

#include "common/NumberFormat.h"
#include "formula/FormulaBinding.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TTransition.h"
#include "platform/Services.h"
#include "settings/ProgramSettings.h"

namespace qz {

namespace {

void Call(const std::function<void()>& f) {
    if (f) f();
}

std::size_t TransitionsOf(const TNetList& net) {
    std::size_t n = 0;
    for (const TGraphItem* e : net.Elements()) n += e->Kind() == kind::Transition;
    return n;
}

} // namespace

bool& SimulationBusy() {
    static bool busy = false;
    return busy;
}

RunStatistics ComputeRunStatistics(std::int32_t steps, std::uint32_t totalMs, std::uint32_t diagramMs,
                                   std::size_t transitions) {
    RunStatistics s;
    // The diagram time is estimated from timed samplings and may come out
    // above the whole run's; it is part of it.
    diagramMs = std::min(diagramMs, totalMs);
    s.steps = steps;
    s.totalMilliseconds = totalMs;
    s.diagramMilliseconds = diagramMs;
    // A run shorter than the clock's resolution has no finite rate; its
    // diagram share is reported as 0.
    const long double total = totalMs;
    s.stepsPerSecond = totalMs ? steps * 1000.0L / total : std::numeric_limits<long double>::infinity();
    s.transitionsPerSecond = totalMs ? s.stepsPerSecond * static_cast<long double>(transitions)
                                     : std::numeric_limits<long double>::infinity();
    s.diagramPercent = totalMs ? diagramMs / total * 100 : 0;
    s.allTime = "Total Time: " + std::to_string(totalMs);
    s.step = "Steps: " + std::to_string(steps);
    s.stepSpeed = "Steps per sec: " + num::FormatFixed(s.stepsPerSecond, 6, 2);
    s.transSpeed = "Transitions per sec: " + num::FormatFixed(s.transitionsPerSecond, 7, 2);
    s.osziTime = "Time to draw diagramms: " + num::FormatFixed(diagramMs, 6, 2) + " (" +
                 num::FormatFixed(s.diagramPercent, 6, 2) + "%)";
    return s;
}

TSimulationSession::TSimulationSession() {
    simulationTimer = Platform().timers->CreateTimer();
    animationTimer = Platform().timers->CreateTimer();
    simulationTimer->onTick = [this] { SimulationTimerTimer(); };
    animationTimer->onTick = [this] { AnimationTimerTimer(); };
    SpeedBarChange(speedBarPosition);
}

TSimulationSession::~TSimulationSession() {
    simulationTimer->SetEnabled(false);
    animationTimer->SetEnabled(false);
}

std::string TSimulationSession::TimeText(int digits) const {
    const double t = engine.Root() ? engine.Root()->modelTime : 0;
    return "Time : " + num::FormatGeneral(t, digits);
}

void TSimulationSession::RefreshAndRedraw() {
    Call(engine.view.refreshViewMapping);
    Call(engine.view.redrawNet);
}

void TSimulationSession::Start(TPNObjekt& root) {
    engine.Start(root);
    page = "Panel";
    status1 = TimeText(5);
    root.SetShowValues(true);
    flowDrawn_.clear();
}

bool TSimulationSession::Initialise() {
    if (engine.BuildConflictGroups() == 0) return false;
    return Platform().messages->Show(kConflictWarning, MsgKind::Information, MsgButtons::OkCancel) ==
           MsgAnswer::Cancel;
}

void TSimulationSession::Stop() {
    animationTimer->SetEnabled(false);
    Call(engine.view.refreshViewMapping);
    Call(engine.view.redrawArcs);
    simulationTimer->SetEnabled(false);
    engine.Clear();
    flowDrawn_.clear();
}

bool TSimulationSession::SimulationStep() {
    if (!engine.maxSpeed) Call(engine.view.refreshViewMapping);
    if (!Settings().animateContinuous && animationTimer->Enabled()) {
        animationTimer->SetEnabled(false);
        Call(engine.view.redrawArcs);
    }
    const bool event = engine.Step();
    ReportFaults();
    if (!engine.maxSpeed) Call(engine.view.refreshPropertyList);
    if (showTime) status1 = TimeText(8);
    if (logFile && engine.Root()) {
        Platform().messages->Info("Anz der Netzelemente: " +
                                  std::to_string(engine.Root()->Net().Count()));
    }
    if (engine.stopRequest) StopBtnClick();
    return event;
}

void TSimulationSession::ReportFaults() {
    if (engine.Faults().empty()) return;
    for (const SimulationFault& f : engine.TakeFaults()) {
        Call(engine.view.refreshViewMapping);
        f.transition->SetErrorMark(true);
        std::string message =
            "Error !\r\rAn arithmetic error occured.\rPlease correct the formula for the object  \"" +
            f.transition->name + "\".";
        if (simulationTimer->Enabled() || engine.maxSpeed) {
            simulationTimer->SetEnabled(false);
            message += "\rNow the automatic simulation modus becomes disabled ...";
        }
        Platform().messages->Error(message);
    }
}

void TSimulationSession::StepBtnClick() {
    if (!Active()) return;
    engine.runToEvent = false;
    const bool saved = engine.maxSpeed;
    engine.maxSpeed = false;
    engine.Refresh();
    try {
        SimulationStep();
    } catch (...) {
        engine.maxSpeed = saved;
        throw;
    }
    engine.maxSpeed = saved;
    // "Max Speed" checked keeps "Show Time" off: the step's time is shown here.
    status1 = TimeText(8);
    RefreshAndRedraw();
}

void TSimulationSession::RunBtnClick() { Run(false); }

void TSimulationSession::RunToEventBtnClick() { Run(true); }

void TSimulationSession::Run(bool toEvent) {
    if (!Active()) return;
    runBold = !toEvent;
    runToEventBold = toEvent;
    stopBold = false;
    status0 = "Running...";
    engine.stopRequest = false;
    engine.arithmeticError = false;
    engine.runToEvent = toEvent;
    engine.diagramMilliseconds = 0;
    totalMilliseconds = 0;
    stepCounter = 0;
    if (auto v = num::ParseNumber(stopTimeText)) stopTime = *v;
    engine.Refresh();
    if (!engine.maxSpeed) {
        simulationTimer->SetEnabled(true);
        maxSpeedEnabled = false;
        if (Settings().animateContinuous) animationTimer->SetEnabled(true);
        RefreshAndRedraw();
        return;
    }
    MessagePump& pump = *Platform().pump;
    startTick = Platform().clock->Milliseconds();
    engine.deferWorkingFields = true;
    try {
        while (engine.maxSpeed) {
            if (toEvent) {
                pump.ProcessMessages();
                if (!engine.maxSpeed) break;
            }
            const bool event = SimulationStep();
            if (!toEvent) pump.ProcessMessages();
            ++stepCounter;
            if (!engine.maxSpeed) break; // stopped by the user or by an error
            if ((toEvent && event) ||
                (automaticStop && engine.Root()->modelTime >= stopTime) ||
                (stepLimit > 0 && stepCounter >= stepLimit)) {
                StopBtnClick();
            }
        }
    } catch (...) {
        // A formula error ends the run like Stop; the caller reports it.
        StopBtnClick();
        throw;
    }
    engine.deferWorkingFields = false;
    engine.PublishWorkingFields();
    caption = "Simulation";
}

void TSimulationSession::StopBtnClick() {
    engine.deferWorkingFields = false;
    engine.PublishWorkingFields();
    engine.stopRequest = false;
    runBold = false;
    runToEventBold = false;
    stopBold = true;
    status0 = "Ready";
    caption = "Simulation";
    totalMilliseconds = Platform().clock->Milliseconds() - startTick;
    simulationTimer->SetEnabled(false);
    animationTimer->SetEnabled(false);
    if (Settings().animateContinuous) {
        Call(engine.view.refreshViewMapping);
        Call(engine.view.redrawArcs);
        flowDrawn_.clear();
    }
    if (engine.maxSpeed && evaluation && engine.Root()) {
        statistics = ComputeRunStatistics(stepCounter, totalMilliseconds, engine.diagramMilliseconds,
                                          TransitionsOf(engine.Root()->Net()));
        page = "Performance";
        if (showStatistics) showStatistics(*statistics);
    }
    HighSpeedCheckBoxClick(false);
    maxSpeedEnabled = true;
    status1 = TimeText(8);
    RefreshAndRedraw();
}

void TSimulationSession::SimulationTimerTimer() {
    if (!Active()) return;
    try {
        const bool event = SimulationStep();
        if (engine.runToEvent && event) StopBtnClick();
    } catch (const std::exception& e) {
        // The general error report; the timer keeps running.
        Platform().messages->Error(e.what());
    }
    RefreshAndRedraw();
}

void TSimulationSession::AnimationTimerTimer() {
    if (!Active()) return;
    std::vector<FlowArc> arcs;
    for (TEdge* e : engine.FlowingArcs()) {
        arcs.push_back(FlowArc{e, flowDrawn_.insert(e).second});
    }
    // Arcs that stopped flowing start with the dotted line again.
    if (flowDrawn_.size() != arcs.size()) {
        flowDrawn_.clear();
        for (const FlowArc& f : arcs) flowDrawn_.insert(f.arc);
    }
    if (engine.view.drawFlowingArcs) engine.view.drawFlowingArcs(arcs);
}

void TSimulationSession::SpeedBarChange(int position) {
    speedBarPosition = position;
    engine.speedBarPosition = position;
    simulationTimer->SetInterval(position);
    animationTimer->SetInterval(FlowAnimationInterval(position));
}

void TSimulationSession::HighSpeedCheckBoxClick(bool checked) {
    engine.maxSpeed = checked;
    evaluationEnabled = checked;
    showTime = !checked;
}

void TSimulationSession::ShowAnimationsCheckBoxClick(bool checked) {
    engine.showAnimations = checked;
    Settings().animateContinuous = checked;
    animationTimer->SetEnabled(checked);
    if (checked) RefreshAndRedraw();
}

void TSimulationSession::StopZeitEditChange(const std::string& text) {
    stopTimeText = text;
    if (text.empty()) return;
    // A text that is not (yet) a number keeps the previous stop time.
    if (auto v = num::ParseNumber(text)) stopTime = *v;
}

std::optional<char> TSimulationSession::StopZeitEditKeyPress(char key) {
    if (key == '\b' || (key >= '0' && key <= '9') || key == ',' || key == '-') return key;
    if (key == '.') return ',';
    return std::nullopt;
}

void TSimulationSession::StatusBarClick() { status1 = TimeText(8); }

void TSimulationSession::DeselectDisplay() {
    // A maximum-speed run may hold working fields of transitions.
    engine.PublishWorkingFields();
    Call(engine.view.refreshViewMapping);
    TPNObjekt* root = engine.Root();
    if (!root) return;
    root->Net().DeselectAll();
    for (TPNObjekt* b = root->Base(); b; b = b->Base()) b->Net().DeselectAll();
}

int TSimulationSession::ShowDisBtnClick() {
    DeselectDisplay();
    if (!Active()) return 0;
    engine.EvaluateWeights();
    int count = 0;
    std::unordered_set<const TTransition*> seen;
    for (const auto* list : {&engine.Lists().discrete, &engine.Lists().timed}) {
        for (TTransition* t : *list) {
            if (!seen.insert(t).second || !engine.IsEnabled(*t)) continue;
            t->SetSelected(true);
            ++count;
        }
    }
    showDisCaption = "Enabled D-Trans. (" + std::to_string(count) + ")";
    return count;
}

int TSimulationSession::ShowKonBtnClick() {
    DeselectDisplay();
    if (!Active()) return 0;
    engine.EvaluateWeights();
    int count = 0;
    for (TTransition* t : engine.Lists().continuous) {
        if (!t->fireFlag) continue;
        t->SetSelected(true);
        ++count;
    }
    showKonCaption = "Enabled C-Trans. (" + std::to_string(count) + ")";
    return count;
}

void TSimulationSession::SpeedyClick() {
    DeselectDisplay();
    for (const ConflictGroup& g : engine.Groups()) {
        for (TEdge* a : g.arcs) {
            a->SetSelected(true);
            if (TTransition* t = a->TransitionEnd()) {
                t->SetSelected(true);
                t->Draw();
            }
        }
    }
}

void TSimulationSession::InitNet(TPNObjekt& root, bool clearDiagrams) {
    // What a maximum-speed run holds must not reach the transitions after
    // the reset.
    engine.PublishWorkingFields();
    root.modelTime = 0;
    root.ResetToInitialState();
    if (clearDiagrams) root.ClearOscilloscopeData();
    engine.MarkingsChanged();
    engine.timeAdvanced = true;
    RefreshAndRedraw();
    Call(engine.view.refreshPropertyList);
    status1 = "Time : 0";
}

// ---------------------------------------------------------------------------
// The simulation switch

std::string InvalidConnectionsMessage(int count) {
    return "There are " + std::to_string(count) + " invalid connections. See user guide. !";
}

int CountInvalidConnections(TPNObjekt& root) {
    int counter = 0;
    root.MarkInvalidArcs(counter, root.enhancedFiringRule != 0);
    return counter;
}

bool AskAboutConflicts(TPNObjekt& root, TSimulationSession& session) {
    if (!session.Initialise()) return true;
    EndSimulation(root, session);
    return false;
}

StartOutcome StartSimulation(TPNObjekt& root, TSimulationSession& session, bool askAboutConflicts) {
    bool& busy = SimulationBusy();
    MessageBoxes& messages = *Platform().messages;
    if (busy || session.Active()) {
        messages.Warn(kSimulatorBusy);
        return StartOutcome::Busy;
    }
    busy = true;
    if (const int n = CountInvalidConnections(root); n > 0) {
        messages.Error(InvalidConnectionsMessage(n));
        busy = false;
        return StartOutcome::InvalidConnections;
    }
    int errors = 0;
    try {
        // Formulas read the markings of the fusion owners.
        root.ResolveFusion();
        root.RegisterVariables();
        CheckTransitionFormulas(root, errors);
        CheckArcFormulas(root, errors);
    } catch (...) {
        // A firing-time formula that fails when it is first evaluated: the
        // start is refused and the caller reports the error.
        busy = false;
        throw;
    }
    if (errors > 0) {
        busy = false;
        return StartOutcome::FormulaErrors;
    }
    if (root.Net().Count() == 0) {
        busy = false;
        return StartOutcome::EmptyNet;
    }
    session.Start(root);
    if (askAboutConflicts && !AskAboutConflicts(root, session)) return StartOutcome::Cancelled;
    return StartOutcome::Started;
}

void EndSimulation(TPNObjekt& root, TSimulationSession& session) {
    SimulationBusy() = false;
    ReleaseFormulas(root);
    session.Stop();
}

} // namespace qz
