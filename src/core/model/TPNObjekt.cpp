#include "model/TPNObjekt.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

#include "formula/VariableTable.h"
#include "model/ObjectLibrary.h"
#include "model/TGraphItem.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPlatz.h"
#include "platform/Services.h"
#include "platform/Window.h"

namespace qz {

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Classes whose files are being read right now, outermost first: a class
// that inherits from or places itself must not recurse for ever.
std::vector<std::string>& ClassesBeingLoaded() {
    static std::vector<std::string> stack;
    return stack;
}

} // namespace

ObjectLoadLimits& LoadLimits() {
    static ObjectLoadLimits limits;
    return limits;
}

std::string ClassTooDeepText(const std::string& className) {
    return "The object class " + className + " lies more than " + std::to_string(LoadLimits().classDepth) +
           " classes deep and is not loaded.";
}

TPNObjekt::TPNObjekt(TPNObjekt* root, Window* objectWindow, Window* editWindow)
    : root_(root ? root : this),
      frame_(std::make_unique<TObjectFrame>(this)),
      variables_(std::make_unique<TVariableTable>()),
      net_(std::make_unique<TNetList>(this)) {
    Register();
    frame_->caption = name;
    net_->name = name;
    if (objectWindow) SetObjectWindow(objectWindow);
    if (editWindow) SetEditWindow(editWindow);
}

TPNObjekt::~TPNObjekt() {
    if (destroying) std::exchange(destroying, nullptr)();
    DropBase();
    Unregister();
    net_.reset();
    variables_.reset();
    frame_.reset();
}

void TPNObjekt::Register() {
    // The smallest number no registered object has (what rescanning the
    // registry from 1 after every match gives): numbers are only handed out
    // here, so it is the smallest number given back, else the next new one.
    TPNObjekt& r = *root_;
    int n;
    if (!r.freeNumbers_.empty()) {
        std::pop_heap(r.freeNumbers_.begin(), r.freeNumbers_.end(), std::greater<>());
        n = r.freeNumbers_.back();
        r.freeNumbers_.pop_back();
    } else {
        n = r.nextNumber_++;
    }
    number_ = n;
    net_->number = n;
    registryIndex_ = r.registry_.size();
    r.registry_.push_back(this);
}

void TPNObjekt::Unregister() {
    TPNObjekt& r = *root_;
    auto& reg = r.registry_;
    if (registryIndex_ >= reg.size() || reg[registryIndex_] != this) return;
    reg[registryIndex_] = reg.back();
    reg[registryIndex_]->registryIndex_ = registryIndex_;
    reg.pop_back();
    if (&r == this) return;
    r.freeNumbers_.push_back(number_);
    std::push_heap(r.freeNumbers_.begin(), r.freeNumbers_.end(), std::greater<>());
}

void TPNObjekt::DropBase() {
    if (!base_) return;
    frame_->DropInheritedInterfacePlaces(); // they refer to the base's places
    TObjectFrame* baseFrame = &base_->Frame();
    const std::size_t i = net_->IndexOf(baseFrame);
    if (i < net_->Count()) net_->RemoveFromListAt(i);
    base_.reset();
}

bool TPNObjekt::SetInherited(const std::string& className) {
    // "Empty Object" means no base, whatever the library holds: files store
    // a base frame exactly for the other names.
    if (className == kEmptyObject) {
        DropBase();
        baseName = kEmptyObject;
        frame_->RebuildInterface();
        return true;
    }
    TObjectLibrary& library = ObjectLibrary();
    const std::string* file = library.FileOf(className);
    if (!file) {
        Platform().messages->Error(std::string(kObjectNotFoundPrefix) + className + kObjectNotFoundSuffix);
        return false;
    }
    auto& loading = ClassesBeingLoaded();
    if (std::find(loading.begin(), loading.end(), className) != loading.end()) {
        Platform().messages->Error("The object class " + className +
                                   " contains or inherits from itself.");
        return false;
    }
    if (loading.size() >= LoadLimits().classDepth) {
        Platform().messages->Error(ClassTooDeepText(className));
        return false;
    }
    baseName = className;
    DropBase();
    auto base = std::make_unique<TPNObjekt>(root_);
    base->classFile = *file;
    bool loaded = false;
    if (library.loadClass) {
        loading.push_back(className);
        try {
            loaded = library.loadClass(*base, base->classFile);
        } catch (...) {
            loading.pop_back();
            throw;
        }
        loading.pop_back();
    }
    loaded = loaded && !base->readWithErrors;
    base->Frame().inherited = 1;
    base_ = std::move(base);
    net_->AddFrame(&base_->Frame());
    frame_->RebuildInterface();
    return loaded;
}

void TPNObjekt::UseStandInClass(const std::string& className, const std::vector<std::string>& interfaceNames) {
    DropBase();
    baseName = className;
    auto base = std::make_unique<TPNObjekt>(root_);
    base->standIn_ = true;
    base->SetObjectName(className);
    std::set<std::string> seen;
    for (const std::string& variable : interfaceNames) {
        if (!seen.insert(variable).second) continue;
        auto p = std::make_unique<TPlatz>();
        p->SetName(variable);
        p->variableName = variable;
        auto* place = static_cast<TPlatz*>(base->Net().Add(std::move(p)));
        place->SetInterfaceFlag(1);
    }
    base->Frame().inherited = 1;
    base_ = std::move(base);
    // The base frame leads the own net, as when the class is loaded first.
    net_->AddFrame(&base_->Frame());
    net_->MoveToBack({&base_->Frame()});
    frame_->RebuildInterface();
}

bool TPNObjekt::SetObjectName(const std::string& newName) {
    if (newName == name) return true;
    if (parent_) {
        std::vector<std::string> taken{Upper(parent_->name)};
        for (const auto& child : parent_->Net().Children()) taken.push_back(Upper(child->name));
        if (std::find(taken.begin(), taken.end(), Upper(newName)) != taken.end()) {
            Platform().messages->Error(kNameExists);
            return false;
        }
    }
    name = newName;
    frame_->SetCaption(newName);
    net_->name = newName;
    return true;
}

void TPNObjekt::Clear() {
    DropBase();
    net_->Clear();
    name = kNewObject;
    baseName = kEmptyObject;
    variables_->Clear();
    frame_->SetCaption(name);
    frame_->RebuildInterface();
}

void TPNObjekt::SetEditWindow(Window* w) {
    editWindow_ = w;
    net_->SetWindow(w);
    if (base_) base_->SetObjectWindow(w);
}

void TPNObjekt::SetObjectWindow(Window* w) {
    objectWindow_ = w;
    frame_->SetCanvas(w ? w->Surface() : nullptr);
    frame_->SetShown(w != nullptr);
    frame_->window = w;
}

void TPNObjekt::RefreshFrame() {
    frame_->SetCanvas(objectWindow_ ? objectWindow_->Surface() : nullptr);
    if (editWindow_) net_->DrawAll();
}

std::string TPNObjekt::UniqueChildName(const std::string& className) const {
    std::set<std::string> taken{Upper(name)};
    for (const auto& child : net_->Children()) taken.insert(Upper(child->name));
    const std::string candidate = className + "_1";
    if (!taken.count(Upper(candidate))) return candidate;
    std::size_t end = candidate.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(candidate[end - 1]))) --end;
    const std::string stem = candidate.substr(0, end);
    for (long n = 1;; ++n) {
        std::string c = stem + std::to_string(n);
        if (!taken.count(Upper(c))) return c;
    }
}

TPNObjekt* TPNObjekt::AddChildObject(const std::string& instanceName, const std::string& className,
                                     int x, int y) {
    auto child = std::make_unique<TPNObjekt>(root_, net_->GetWindow());
    if (!child->SetInherited(className)) return nullptr;
    child->SetObjectName(instanceName);
    child->parentName = name;
    TPNObjekt* raw = child.get();
    net_->AddChild(std::move(child));
    net_->AddFrame(&raw->Frame(), true);
    raw->Frame().MoveBy(x, y, net_->GetWindow());
    raw->Frame().RebuildInterface();
    return raw;
}

std::size_t TPNObjekt::ElementCount() const { return net_->Count(); }

std::size_t TPNObjekt::CombinedCount() const {
    return net_->Count() + (base_ ? base_->CombinedCount() : 0);
}

TGraphItem* TPNObjekt::ElementAt(std::size_t i) const {
    if (i < net_->Count()) return net_->At(i);
    return base_ ? base_->ElementAt(i - net_->Count()) : nullptr;
}

TGraphItem* TPNObjekt::FindElementAt(TPoint p) const {
    if (TGraphItem* e = net_->ElementAt(p)) return e;
    if (frame_->shown && frame_->HitTest(p)) return frame_.get();
    return nullptr;
}

TPNObjekt* TPNObjekt::FindChildByName(const std::string& n) const {
    if (base_ && n == baseName) return base_.get();
    for (const auto& child : net_->Children()) {
        if (child->name == n) return child.get();
    }
    return nullptr;
}

TInterfacePlace* TPNObjekt::FindInterfacePlaceByPath(const std::string& path) const {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return nullptr;
    TPNObjekt* obj = FindChildByName(path.substr(0, dot));
    return obj ? obj->Frame().FindInterfacePlace(path.substr(dot + 1)) : nullptr;
}

void TPNObjekt::SetInterfacePlace(TPlatz* place, bool on) {
    frame_->AddOrRemoveInterfacePlace(place, on);
}

void TPNObjekt::RegisterVariables() {
    variables_->Clear();
    variables_->Add("Time", &root_->modelTime);
    variables_->Add("STime", &root_->sampleTimeSeconds);
    net_->RegisterPlaceVariables();
    for (auto& child : net_->Children()) child->RegisterVariables();
    if (base_) base_->RegisterVariables();
}

void TPNObjekt::DeselectAll() {
    net_->DeselectAll();
    for (auto& child : net_->Children()) child->DeselectAll();
    if (base_) base_->DeselectAll();
}

void TPNObjekt::SelectFiringTransitions() {
    net_->SelectFiringTransitions();
    if (base_) base_->SelectFiringTransitions();
}

void TPNObjekt::RecordSamples(double time) {
    net_->RecordOscilloscopeSample(time);
    if (base_) base_->RecordSamples(time);
}

void TPNObjekt::ClearOscilloscopeData() {
    net_->ClearOscilloscopeData();
    if (base_) base_->ClearOscilloscopeData();
}

void TPNObjekt::ResetToInitialState() {
    net_->ResetToInitialState();
    if (base_) base_->ResetToInitialState();
}

void TPNObjekt::SetShowValues(bool on) {
    net_->SetShowValues(on);
    if (base_) base_->SetShowValues(on);
}

void TPNObjekt::ResolveFusion() {
    net_->ResolveFusion();
    if (base_) base_->ResolveFusion();
}

void TPNObjekt::CollectSimulationLists(SimulationLists& lists) const {
    net_->CollectSimulationLists(lists);
    if (base_) base_->CollectSimulationLists(lists);
}

void TPNObjekt::MarkInvalidArcs(int& counter, bool enhancedRule) {
    net_->MarkInvalidArcs(counter, enhancedRule);
    if (base_) base_->MarkInvalidArcs(counter, enhancedRule);
}

std::size_t TPNObjekt::TotalElementCount() const {
    return net_->TotalElementCount() + (base_ ? base_->TotalElementCount() : 0);
}

void TPNObjekt::ForEachNet(const std::function<void(TNetList&)>& f) const {
    f(*net_);
    for (const auto& child : net_->Children()) child->ForEachNet(f);
    if (base_) base_->ForEachNet(f);
}

void TPNObjekt::ForEachObject(const std::function<void(TPNObjekt&)>& f) {
    f(*this);
    for (auto& child : net_->Children()) child->ForEachObject(f);
    if (base_) base_->ForEachObject(f);
}

} // namespace qz
