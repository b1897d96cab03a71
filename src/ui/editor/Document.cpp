#include "editor/Document.h"

#include <cstdio>
#include <utility>
#include <sstream>

#include "LoadAnyNet.h"
#include "workspace/Workspace.h"
#include "common/FileSystem.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "diagrams/Oscilloscope.h"
#include "model/TPlatz.h"
#include "model/storage/FileVersion.h"
#include "model/storage/NetFile.h"
#include "platform/Services.h"
#include "settings/SampleTime.h"

namespace qz::ui {

namespace {

std::size_t NameStart(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

MessageBoxes& Messages() { return *Platform().messages; }

} // namespace

std::string BackupFileName(const std::string& path) {
    const std::size_t start = NameStart(path);
    const std::string dir = path.substr(0, start);
    std::string name = path.substr(start);
    if (const std::size_t dot = name.find('.'); dot != std::string::npos) name.resize(dot);
    if (!name.empty() && name.back() == '~') return dir + name;
    return dir + name + "~.pn";
}

std::string FileNameOnly(const std::string& path) { return path.substr(NameStart(path)); }

std::string ShortNameOf(const std::string& path) {
    std::string name = FileNameOnly(path);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

std::string OlderVersionSaveText(const std::string& version) {
    return "This file or one of the including objects is an older version (version " + version +
           ")\rDo you want to save this file with the\rcurrent file format (" + kCurrentFileVersion +
           ")?\rAttention: the included file format will not be changed.";
}

std::string OlderVersionSaveAsText(const std::string& version) {
    return "This file is an older version (version " + version +
           ")\rDo you want to save it with with the\rcurrent file format (" + kCurrentFileVersion +
           ")?";
}

std::string ReplaceFileText(const std::string& path) {
    return "The File " + path + "\r\nalreay exists.\r\rReplace ?";
}

std::string SaveChangesText(const std::string& path) {
    return "Save Changes in " + FileNameOnly(path) + "?";
}

std::string SaveFailedText(const std::string& path, const std::string& reason) {
    return "The file " + path + " could not be saved:\r" + reason +
           "\rThe file on disk has not been changed.";
}

TDocument::TDocument(TWorkspace& workspace, Window* window)
    : workspace_(workspace), window_(window), root_(std::make_unique<TPNObjekt>(nullptr, nullptr, window)) {
    // A new document window steps by 0,1 s, shown in milliseconds.
    root_->sampleTimeSeconds = 0.1;
    root_->timeUnit = 1;
    workspace_.Register(this);
}

TDocument::TDocument(TWorkspace& workspace, Window* window, TDocument& owner, TPNObjekt& object, bool editable)
    : workspace_(workspace), window_(window), owner_(owner.owner_ ? owner.owner_ : &owner) {
    topLevel = false;
    editingEnabled = editable;
    showValues_ = owner_->showValues_;
    owner_->views_.push_back(this);
    workspace_.Register(this);
    Attach(object);
}

TDocument::~TDocument() {
    workspace_.Unregister(this);
    ReleaseViews();
    Release();
    if (owner_) std::erase(owner_->views_, this);
    root_.reset();
}

void TDocument::Attach(TPNObjekt& object) {
    if (!owner_) return;
    Release();
    object_ = &object;
    current = anchor = nullptr;
    object.SetEditWindow(window_);
    object.Net().SetShowValues(showValues_);
    object.destroying = [this] {
        // The object's elements go with it: the window lets go of what it
        // holds of them while they still exist, then the object is gone.
        if (objectGone) objectGone();
        object_ = nullptr;
        current = anchor = nullptr;
    };
}

void TDocument::Release() {
    if (!object_) return;
    TPNObjekt* object = std::exchange(object_, nullptr);
    object->destroying = nullptr;
    current = anchor = nullptr;
    if (object->EditWindow() == window_) object->SetEditWindow(nullptr);
}

void TDocument::ReleaseViews() {
    for (TDocument* window : std::exchange(views_, {})) {
        if (window->objectGone) window->objectGone();
        window->Release();
        window->owner_ = nullptr;
    }
}

bool TDocument::MayEdit() const { return RefusalText().empty(); }

std::string TDocument::RefusalText() const {
    if (!editingEnabled) return kViewOnlyText;
    if (owner_ && owner_->simulationMode) return kOwnerSimulatesText;
    return {};
}

TNetList* TDocument::Net() const { return Root() ? &Root()->Net() : nullptr; }

std::string TDocument::Caption() const {
    if (owner_) {
        std::string caption = owner_->Caption();
        if (object_) caption += " - " + object_->name;
        return editingEnabled ? caption : caption + " (View)";
    }
    return fileName_.empty() ? kUntitledCaption : fileName_;
}

std::optional<ObjectPath> PathOf(const TPNObjekt& root, const TPNObjekt& target) {
    if (&root == &target) return ObjectPath{};
    for (const auto& child : root.Net().Children()) {
        if (auto below = PathOf(*child, target)) {
            below->insert(below->begin(), ObjectStep{false, child->name});
            return below;
        }
    }
    if (const TPNObjekt* base = root.Base()) {
        if (auto below = PathOf(*base, target)) {
            below->insert(below->begin(), ObjectStep{true, {}});
            return below;
        }
    }
    return std::nullopt;
}

TPNObjekt* ObjectAt(const TPNObjekt& root, const ObjectPath& path) {
    const TPNObjekt* at = &root;
    for (const ObjectStep& step : path) {
        const TPNObjekt* next = nullptr;
        if (step.base) {
            next = at->Base();
        } else {
            for (const auto& child : at->Net().Children()) {
                if (child->name == step.name) next = child.get();
            }
        }
        if (!next) return nullptr;
        at = next;
    }
    return const_cast<TPNObjekt*>(at);
}

void TDocument::Changed() {
    if (changed) changed();
    // The windows onto its objects show its caption and may show what
    // changed.
    for (TDocument* window : views_) {
        if (!modified_ && window->status[0] == "Changed") window->status[0].clear();
        if (window->changed) window->changed();
    }
}

void TDocument::SetFileName(const std::string& path) {
    fileName_ = path;
    shortName_ = ShortNameOf(path);
    if (root_) root_->fileName = path;
    modified_ = false;
    history_.MarkSaved();
    Changed();
}

void TDocument::SetModified(bool on) {
    if (owner_) {
        // A change here is a change of the owner's net.
        owner_->SetModified(on);
        if (on) status[0] = "Changed";
        Changed();
        return;
    }
    modified_ = on;
    if (on) {
        status[0] = "Changed";
        // Within a command the change becomes its undo step; any other
        // change makes a state that no undo step leads back to.
        if (changeDepth_ > 0) {
            changeSeen_ = true;
        } else {
            history_.Changed();
        }
    } else {
        history_.MarkSaved();
    }
    Changed();
}

void TDocument::BeginChange(const std::string& what) {
    if (owner_) {
        owner_->BeginChange(what);
        return;
    }
    if (changeDepth_++ > 0 || !root_ || simulationMode) return;
    changeName_ = what;
    changeSeen_ = false;
    changeImage_ = TakeImage();
}

void TDocument::EndChange() {
    if (owner_) {
        owner_->EndChange();
        return;
    }
    if (changeDepth_ == 0 || --changeDepth_ > 0) return;
    const bool recorded = changeSeen_ && changeImage_;
    if (recorded) history_.Record(std::move(changeName_), std::move(*changeImage_));
    changeImage_.reset();
    changeSeen_ = false;
    if (recorded) Changed();
}

bool TDocument::DiffersFromBeginning() const {
    if (owner_) return owner_->DiffersFromBeginning();
    if (!changeImage_) return false;
    const DocumentImage now = TakeImage();
    return now.net != changeImage_->net || now.markings != changeImage_->markings;
}

DocumentImage TDocument::TakeImage() const {
    if (owner_) return owner_->TakeImage();
    DocumentImage image;
    if (!root_) return image;
    // Writing the image is no save: the document keeps its version label.
    const std::string version = root_->fileVersion;
    image.net = SaveNet(*root_);
    root_->fileVersion = version;
    root_->ForEachNet([&image](TNetList& net) {
        for (TGraphItem* e : net.Elements()) {
            if (e->Kind() == kind::Place) image.markings.push_back(static_cast<TPlatz*>(e)->Marking());
        }
    });
    image.modelTime = root_->modelTime;
    return image;
}

bool TDocument::RestoreImage(const DocumentImage& image) {
    if (owner_) return owner_->RestoreImage(image);
    if (!root_) return false;
    const std::string fileName = root_->fileName, version = root_->fileVersion, classFile = root_->classFile;
    const bool damaged = root_->readWithErrors;
    current = anchor = nullptr;
    // Diagram windows watch the place of the same key in the same net
    // again, or close with the place that is gone. The keys are those of
    // the image taken last (this restore's own, for redo).
    std::vector<std::pair<std::pair<std::size_t, std::int32_t>, std::unique_ptr<Oscilloscope>>> diagrams;
    std::size_t netIndex = 0;
    root_->ForEachNet([&](TNetList& net) {
        for (TGraphItem* e : net.Elements()) {
            auto* p = e->Kind() == kind::Place ? static_cast<TPlatz*>(e) : nullptr;
            if (!p || !p->Diagram()) continue;
            diagrams.emplace_back(std::make_pair(netIndex, std::int32_t(p->key)), p->TakeDiagram());
            // The place is about to go.
            diagrams.back().second->PlaceChanged(nullptr);
        }
        ++netIndex;
    });
    root_->Clear();
    const bool ok = LoadNet(*root_, image.net);
    root_->fileName = fileName;
    root_->fileVersion = version;
    root_->classFile = classFile;
    root_->readWithErrors = damaged;
    std::size_t i = 0;
    netIndex = 0;
    root_->ForEachNet([&](TNetList& net) {
        for (TGraphItem* e : net.Elements()) {
            if (e->Kind() != kind::Place) continue;
            auto* p = static_cast<TPlatz*>(e);
            if (i < image.markings.size()) p->SetMarking(image.markings[i++]);
            for (auto& [at, window] : diagrams) {
                if (!window || at != std::make_pair(netIndex, std::int32_t(p->key))) continue;
                Oscilloscope* w = window.get();
                p->SetDiagram(std::move(window));
                w->PlaceChanged(p);
            }
        }
        ++netIndex;
    });
    root_->modelTime = image.modelTime;
    root_->Net().SetShowValues(showValues_);
    return ok;
}

bool TDocument::Undo() { return Step(true); }

bool TDocument::Redo() { return Step(false); }

bool TDocument::Step(bool back) {
    if (owner_) return owner_->Step(back);
    if (!root_ || simulationMode || changeDepth_ > 0 || !(back ? history_.CanUndo() : history_.CanRedo())) return false;
    const std::optional<DocumentImage> image = back ? history_.Undo(TakeImage()) : history_.Redo(TakeImage());
    RestoreImage(*image);
    FollowHistory();
    return true;
}

void TDocument::FollowHistory() {
    modified_ = history_.Modified();
    status[0] = modified_ ? "Changed" : "";
    Changed();
}

void TDocument::SetShowValues(bool on) {
    showValues_ = on;
    if (Root()) Root()->Net().SetShowValues(on);
    Changed();
}

bool TDocument::LoadDocument(const std::string& path) {
    if (!root_ || owner_) return false;
    bool ok;
    std::string version;
    if (IsPnmlPath(path)) {
        std::ostringstream err;
        ok = LoadAnyNet(*root_, path, err);
        version = kCurrentFileVersion;
        if (!err.str().empty()) {
            std::string text = err.str();
            if (!text.empty() && text.back() == '\n') text.pop_back();
            for (char& c : text) {
                if (c == '\n') c = '\r';
            }
            if (ok) {
                Messages().Warn(text);
            } else {
                Messages().Error(text);
            }
        }
    } else {
        ok = LoadNetFile(*root_, path, &version);
    }
    // The readers have replaced a sample time that cannot be run with.
    if (root_->sampleTimeText.empty()) root_->sampleTimeText = "100";
    UpdateSampleTimeSeconds(*root_);
    workspace_.lastVersion = version;
    root_->Net().SetShowValues(showValues_);
    history_.Clear();
    SetFileName(path);
    status[5] = FileVersionText(version);
    Changed();
    return ok;
}

bool TDocument::WriteTo(const std::string& path) {
    std::string error;
    if (IsPnmlPath(path)) {
        // A net opened from PNML stays PNML under its name (with Quenzor's
        // own data, so it reads back as the same net): a .pn file under a
        // .pnml name could not be opened again.
        std::ostringstream err;
        if (SaveAnyNet(*root_, path, err)) return true;
        error = err.str();
        while (!error.empty() && error.back() == '\n') error.pop_back();
    } else if (SaveNetFileKeepingOriginal(*root_, path, &error)) {
        // A net read with errors keeps its original beside it before it is
        // saved over it.
        return true;
    }
    Messages().Error(SaveFailedText(path, error.empty() ? "unknown error" : error));
    return false;
}

SaveResult TDocument::SaveDocument(bool backup) {
    // A window onto an object saves the document that holds it.
    if (owner_) return owner_->SaveDocument(backup);
    if (!root_) return SaveResult::Failed;
    if (fileName_.empty()) return SaveDocumentAs();
    std::string& version = workspace_.lastVersion;
    if (version.empty()) version = kCurrentFileVersion;
    if (version != kCurrentFileVersion &&
        Messages().Show(OlderVersionSaveText(version), MsgKind::Confirmation, MsgButtons::OkCancel) ==
            MsgAnswer::Cancel) {
        return SaveResult::Cancelled;
    }
    version = kCurrentFileVersion;
    const std::string backupName = BackupFileName(fileName_);
    if (saving) saving();
    if (backup) {
        // A file whose name is its own backup name is not written twice.
        if (backupName != fileName_ && !WriteTo(backupName)) return SaveResult::Failed;
    } else {
        if (!WriteTo(fileName_)) return SaveResult::Failed;
        if (backupName != fileName_ && fs::FileExists(backupName)) std::remove(backupName.c_str());
        SetModified(false);
    }
    workspace_.LibraryChanged();
    status[5] = FileVersionText(kCurrentFileVersion);
    Changed();
    return SaveResult::Saved;
}

SaveResult TDocument::SaveDocumentAs() {
    if (owner_) return owner_->SaveDocumentAs();
    if (!root_) return SaveResult::Failed;
    const std::optional<std::string> chosen =
        Platform().dialogs->SaveFileName(fileName_, kNetExtension, kNetFilter);
    if (!chosen || chosen->empty()) return SaveResult::Cancelled;
    std::string& version = workspace_.lastVersion;
    if (version.empty()) version = kCurrentFileVersion;
    // Any existing file is asked for, not only the document's own: the
    // file dialog leaves the question to this.
    if (fs::FileExists(*chosen) &&
        Messages().Show(ReplaceFileText(*chosen), MsgKind::Warning, MsgButtons::YesNo) == MsgAnswer::No) {
        return SaveResult::Cancelled;
    }
    if (version != kCurrentFileVersion &&
        Messages().Show(OlderVersionSaveAsText(version), MsgKind::Confirmation, MsgButtons::OkCancel) ==
            MsgAnswer::Cancel) {
        return SaveResult::Cancelled;
    }
    if (!WriteTo(*chosen)) return SaveResult::Failed;
    status[5] = FileVersionText(kCurrentFileVersion);
    SetFileName(*chosen);
    SetModified(false);
    workspace_.LibraryChanged();
    return SaveResult::Saved;
}

bool TDocument::QueryClose() {
    // Only the owner asks: its windows onto objects have no file of their own.
    if (owner_ || !modified_) return true;
    switch (Messages().Show(SaveChangesText(Caption()), MsgKind::Warning, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Cancel: return false;
    case MsgAnswer::Yes: return SaveDocument(false) == SaveResult::Saved;
    default: return true;
    }
}

void TDocument::Reset() {
    // A closed document no longer counts among the open ones.
    workspace_.Unregister(this);
    ReleaseViews();
    Release();
    current = anchor = nullptr;
    history_.Clear();
    root_.reset();
    fileName_.clear();
    shortName_.clear();
    modified_ = false;
    status[5].clear();
    Changed();
}

} // namespace qz::ui
