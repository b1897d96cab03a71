#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "simulation/SimulationSession.h"

namespace qz {
class TGraphItem;
}

namespace qz::ui {

class TDocument;

// What the simulation switch did; the window releases its button unless the
// session started.
struct SwitchResult {
    StartOutcome outcome = StartOutcome::Started;
    bool started = false;
    // A formula that failed when it was first evaluated: its message for the
    // general error report.
    std::string error;
};

// The program-wide state the main window keeps for all documents: the open
// documents, the one simulation session, the internal clipboard and the
// version of the last loaded file; the simulation switch; and the rule that
// nothing changes or closes a net while the engine steps it.
class TWorkspace {
public:
    TWorkspace();
    ~TWorkspace();
    TWorkspace(const TWorkspace&) = delete;
    TWorkspace& operator=(const TWorkspace&) = delete;

    // Label of the last file read; "2,7" after every save; empty at start.
    std::string lastVersion;
    // The internal clipboard: copies of elements, shared by every document.
    std::vector<std::unique_ptr<TGraphItem>> clipboard;

    TSimulationSession& Session() { return *session_; }
    bool SimulationBusy() const;

    // Documents register themselves; in creation order.
    const std::vector<TDocument*>& Documents() const { return documents_; }
    void Register(TDocument* d);
    void Unregister(TDocument* d);
    TDocument* Active() const { return active_; }
    void SetActive(TDocument* d) { active_ = d; }
    // The document whose net the session steps (null without a session).
    TDocument* SimulatedDocument() const;

    // The simulation switch of a document pressed (down) or released (up).
    // A changed document is saved with a backup first.
    SwitchResult SimulationSwitch(TDocument& doc, bool down);
    // The conflict warning after the document has entered simulation mode;
    // Cancel ends the session again (false).
    bool AskAboutConflicts(TDocument& doc);
    // Ends a document's session (closing, deleting in simulation mode).
    void EndSimulationOf(TDocument& doc);

    // True while a maximum-speed run steps the engine inside its loop (the
    // loop lets window messages run between steps).
    bool EngineLoopRunning() const { return loopDepth_ > 0; }
    // Runs `command` now, or, while the engine loop runs, stops the run and
    // runs it when the loop has ended. Commands that change or close a net
    // go through here.
    void RunWhenIdle(std::function<void()> command);
    // The maximum-speed loop brackets itself with these.
    void LoopStarted() { ++loopDepth_; }
    void LoopEnded();

    // Something saved into the library directory or changed a net file: the
    // library window refreshes its lists.
    std::function<void()> libraryChanged;
    void LibraryChanged() {
        if (libraryChanged) libraryChanged();
    }

private:
    std::unique_ptr<TSimulationSession> session_;
    std::vector<TDocument*> documents_;
    TDocument* active_ = nullptr;
    int loopDepth_ = 0;
    std::vector<std::function<void()>> deferred_;
};

} // namespace qz::ui
