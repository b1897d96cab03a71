#include "workspace/Workspace.h"

#include <algorithm>
#include <exception>

#include "editor/Document.h"
#include "formula/FormulaBinding.h"
#include "model/TGraphItem.h"
#include "model/TPNObjekt.h"

namespace qz::ui {

TWorkspace::TWorkspace() : session_(std::make_unique<TSimulationSession>()) {}

TWorkspace::~TWorkspace() = default;

bool TWorkspace::SimulationBusy() const { return qz::SimulationBusy(); }

void TWorkspace::Register(TDocument* d) { documents_.push_back(d); }

void TWorkspace::Unregister(TDocument* d) {
    documents_.erase(std::remove(documents_.begin(), documents_.end(), d), documents_.end());
    if (active_ == d) active_ = nullptr;
}

TDocument* TWorkspace::SimulatedDocument() const {
    if (!session_->Active()) return nullptr;
    for (TDocument* d : documents_) {
        if (d->Root() && d->Root() == session_->engine.Root()) return d;
    }
    return nullptr;
}

SwitchResult TWorkspace::SimulationSwitch(TDocument& doc, bool down) {
    SwitchResult result;
    if (doc.Modified()) doc.SaveDocument(true);
    if (!doc.Root()) return result;
    if (!down) {
        EndSimulationOf(doc);
        result.outcome = StartOutcome::Cancelled;
        return result;
    }
    try {
        result.outcome = StartSimulation(*doc.Root(), *session_, false);
    } catch (const std::exception& e) {
        // A firing time that cannot be evaluated: the start is refused.
        ReleaseFormulas(*doc.Root());
        result.outcome = StartOutcome::FormulaErrors;
        result.error = e.what();
        return result;
    }
    if (result.outcome == StartOutcome::EmptyNet) ReleaseFormulas(*doc.Root());
    result.started = result.outcome == StartOutcome::Started;
    doc.simulationMode = result.started;
    return result;
}

bool TWorkspace::AskAboutConflicts(TDocument& doc) {
    if (!doc.Root() || !session_->Active()) return false;
    if (qz::AskAboutConflicts(*doc.Root(), *session_)) return true;
    doc.simulationMode = false;
    return false;
}

void TWorkspace::EndSimulationOf(TDocument& doc) {
    if (doc.Root() && session_->Active() && session_->engine.Root() == doc.Root()) {
        EndSimulation(*doc.Root(), *session_);
    } else if (doc.simulationMode && doc.Root()) {
        ReleaseFormulas(*doc.Root());
    }
    doc.simulationMode = false;
}

void TWorkspace::RunWhenIdle(std::function<void()> command) {
    if (!EngineLoopRunning()) {
        command();
        return;
    }
    deferred_.push_back(std::move(command));
    if (session_->engine.maxSpeed) session_->StopBtnClick();
}

void TWorkspace::LoopEnded() {
    if (loopDepth_ > 0) --loopDepth_;
    if (loopDepth_ > 0) return;
    std::vector<std::function<void()>> pending;
    pending.swap(deferred_);
    for (auto& command : pending) command();
}

} // namespace qz::ui
