#include "model/TNetList.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "diagrams/Oscilloscope.h"
#include "formula/VariableTable.h"
#include "model/FusionRules.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "platform/Services.h"
#include "platform/Window.h"
#include "settings/ProgramSettings.h"

namespace qz {

namespace {

bool Owned(const TGraphItem* e) { return e->Kind() != kind::Frame; }

void Erase(std::vector<TEdge*>& list, const TEdge* e) {
    auto it = std::find(list.begin(), list.end(), e);
    if (it != list.end()) list.erase(it);
}

} // namespace

TNetList::TNetList(TPNObjekt* owner, Window* w) : owner_(owner) {
    if (w) {
        window_ = w;
        canvas_ = w->Surface();
    }
}

TNetList::~TNetList() { Clear(); }

TVariableTable* TNetList::Variables() const { return owner_ ? &owner_->Variables() : nullptr; }

std::size_t TNetList::IndexOf(const TGraphItem* e) const {
    auto it = std::find(elements_.begin(), elements_.end(), e);
    return it == elements_.end() ? elements_.size() : std::size_t(it - elements_.begin());
}

void TNetList::Clear() {
    // Arcs leave their ends' lists first: the interface places of child
    // frames outlive this net's arcs for a moment.
    for (TGraphItem* e : elements_) {
        if (e->Kind() != kind::Arc) continue;
        auto* arc = static_cast<TEdge*>(e);
        if (TGraphItem* from = arc->DrawnSource()) Erase(from->OutEdgeList, arc);
        if (TGraphItem* to = arc->DrawnTarget()) Erase(to->InEdgeList, arc);
    }
    for (TGraphItem* e : elements_) {
        if (Owned(e)) delete e;
    }
    elements_.clear();
    for (auto& child : children_) {
        child->SetEditWindow(nullptr);
        child->SetObjectWindow(nullptr);
    }
    children_.clear();
}

void TNetList::DestroyElements(const std::vector<TGraphItem*>& doomed) {
    if (doomed.empty()) return;
    const std::unordered_set<TGraphItem*> set(doomed.begin(), doomed.end());
    std::vector<TGraphItem*> kept;
    kept.reserve(elements_.size());
    for (TGraphItem* e : elements_) {
        if (set.count(e) && Owned(e)) {
            delete e;
        } else {
            kept.push_back(e);
        }
    }
    elements_ = std::move(kept);
}

void TNetList::MoveToBack(const std::vector<TGraphItem*>& elements) {
    if (elements.empty()) return;
    const std::unordered_set<TGraphItem*> present(elements_.begin(), elements_.end());
    std::unordered_set<TGraphItem*> moved;
    std::vector<TGraphItem*> order;
    order.reserve(elements_.size());
    for (TGraphItem* e : elements) {
        if (present.count(e) && moved.insert(e).second) order.push_back(e);
    }
    for (TGraphItem* e : elements_) {
        if (!moved.count(e)) order.push_back(e);
    }
    elements_ = std::move(order);
}

void TNetList::SetWindow(Window* w) {
    window_ = w;
    if (w) {
        SetCanvas(w->Surface());
        SetShown(true);
    } else {
        SetShown(false);
        SetCanvas(nullptr);
    }
    for (TGraphItem* e : elements_) e->window = w;
    for (auto& child : children_) child->SetObjectWindow(w);
}

void TNetList::SetCanvas(Canvas* c) {
    canvas_ = c;
    for (TGraphItem* e : elements_) e->SetCanvas(c);
}

void TNetList::SetShown(bool on) {
    shown_ = on ? 1 : 0;
    for (TGraphItem* e : elements_) e->SetShown(on);
}

namespace {

void Bind(TGraphItem* e, TPNObjekt* owner) {
    e->owner = owner;
    if (!owner) return;
    if (e->Kind() == kind::Transition) static_cast<TTransition*>(e)->BindVariables(&owner->Variables());
    if (e->Kind() == kind::Arc) static_cast<TEdge*>(e)->BindVariables(&owner->Variables());
}

} // namespace

TGraphItem* TNetList::Add(std::unique_ptr<TGraphItem> e, bool invalidate) {
    TGraphItem* raw = e.release();
    elements_.push_back(raw);
    Bind(raw, owner_);
    if (window_) {
        raw->SetShown(true);
        raw->SetCanvas(window_->Surface());
        raw->window = window_;
        if (invalidate) raw->Invalidate(window_);
    }
    return raw;
}

void TNetList::AddFrame(TObjectFrame* frame, bool invalidate) {
    elements_.push_back(frame);
    frame->owner = owner_; // the object whose net shows the frame
    if (window_) {
        frame->SetShown(true);
        frame->SetCanvas(window_->Surface());
        frame->window = window_;
        if (invalidate) frame->Invalidate(window_);
    }
}

void TNetList::AddChild(std::unique_ptr<TPNObjekt> child) {
    child->SetParent(owner_);
    children_.push_back(std::move(child));
}

std::unique_ptr<TPNObjekt> TNetList::ReleaseChild(TPNObjekt* child) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const auto& c) { return c.get() == child; });
    if (it == children_.end()) return nullptr;
    std::unique_ptr<TPNObjekt> out = std::move(*it);
    children_.erase(it);
    out->SetParent(nullptr);
    return out;
}

void TNetList::RemoveAt(std::size_t index, bool destroy) {
    TGraphItem* e = elements_[index];
    elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(index));
    if (!Owned(e)) {
        auto* frame = static_cast<TObjectFrame*>(e);
        if (destroy) ReleaseChild(frame->object); // destroys the object and its frame
        return;
    }
    if (destroy) {
        if (e->shown) e->Invalidate(window_);
        delete e;
    }
}

void TNetList::Remove(TGraphItem* e) {
    const std::size_t i = IndexOf(e);
    if (i < elements_.size()) RemoveAt(i, true);
}

std::unique_ptr<TGraphItem> TNetList::RemoveFromListAt(std::size_t index) {
    if (index >= elements_.size()) return nullptr;
    TGraphItem* e = elements_[index];
    elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(index));
    if (!Owned(e)) return nullptr;
    return std::unique_ptr<TGraphItem>(e);
}

void TNetList::Detach(TGraphItem* e) {
    switch (e->Kind()) {
    case kind::Arc:
        DetachArc(*static_cast<TEdge*>(e));
        break;
    case kind::Place:
    case kind::Transition: {
        for (TEdge* arc : e->InEdgeList) {
            if (TGraphItem* from = arc->DrawnSource()) Erase(from->OutEdgeList, arc);
            SetSelected(arc, true);
        }
        for (TEdge* arc : e->OutEdgeList) {
            if (TGraphItem* to = arc->DrawnTarget()) Erase(to->InEdgeList, arc);
            // Only a fusion arc's target follows this place; an arc from a
            // transition acts on the inner place without fusing it.
            if (arc->connectionKind == ConnectionKind::PlaceToInterface && arc->target) {
                if (TPlatz* inner = static_cast<TInterfacePlace*>(arc->target)->innerPlace) inner->ResetFusion();
            }
            SetSelected(arc, true);
        }
        break;
    }
    default:
        break;
    }
}

std::vector<const TEdge*> TNetList::RemoveArcsOfInterfacePlace(TInterfacePlace& ip) {
    // The place that followed through a fusion arc goes back to its own
    // marking; the other end keeps its own fusion.
    std::vector<TEdge*> arcs(ip.InEdgeList.begin(), ip.InEdgeList.end());
    arcs.insert(arcs.end(), ip.OutEdgeList.begin(), ip.OutEdgeList.end());
    for (TEdge* arc : arcs) DetachArc(*arc);
    ip.InEdgeList.clear();
    ip.OutEdgeList.clear();
    std::vector<const TEdge*> removed;
    for (TEdge* arc : arcs) {
        if (IndexOf(arc) < elements_.size()) {
            removed.push_back(arc);
            Remove(arc);
        }
    }
    return removed;
}

namespace {

bool BaseFrame(const TGraphItem* e) {
    return e->Kind() == kind::Frame && static_cast<const TObjectFrame*>(e)->inherited;
}

} // namespace

DeletionQuery TNetList::QueryDeleteSelected() const {
    DeletionQuery q;
    int nodes = 0, arcs = 0;
    std::unordered_set<const TGraphItem*> doomed;
    auto withArcs = [&doomed](const TGraphItem& e) {
        for (const TEdge* a : e.InEdgeList) doomed.insert(a);
        for (const TEdge* a : e.OutEdgeList) doomed.insert(a);
    };
    for (const TGraphItem* e : elements_) {
        if (!e->selected || BaseFrame(e)) continue;
        doomed.insert(e);
        const char k = e->Kind();
        if (k == kind::Place || k == kind::Transition) {
            ++nodes;
            withArcs(*e);
        } else if (k == kind::Arc) {
            ++arcs;
        } else if (k == kind::Frame) {
            for (const auto& ip : static_cast<const TObjectFrame*>(e)->interfacePlaces) withArcs(*ip);
        }
    }
    for (TGraphItem* e : elements_) {
        if (doomed.count(e)) q.elements.push_back(e);
    }
    if (!q.Empty()) q.confirmation = nodes ? kDeleteNodesText : (arcs ? kDeleteArcsText : kDeleteOthersText);
    return q;
}

void TNetList::DeselectBaseFrames() {
    for (TGraphItem* e : elements_) {
        if (BaseFrame(e) && e->selected) e->SetSelected(false);
    }
}

bool TNetList::DeleteSelected() {
    DeselectBaseFrames();
    const DeletionQuery q = QueryDeleteSelected();
    if (q.Empty()) return false;
    if (Platform().messages->Show(q.confirmation, MsgKind::Warning, MsgButtons::OkCancel) != MsgAnswer::Ok) {
        return false;
    }
    DeleteSelection();
    return true;
}

void TNetList::DeleteSelection() {
    DeselectBaseFrames();
    // Detach from the last selected element to the first. A frame takes the
    // arcs of its interface places with it at once.
    std::vector<TGraphItem*> selection;
    for (TGraphItem* e : elements_) {
        if (e->selected) selection.push_back(e);
    }
    if (selection.empty()) return;
    std::unordered_set<TGraphItem*> destroyed;
    for (auto it = selection.rbegin(); it != selection.rend(); ++it) {
        TGraphItem* e = *it;
        if (destroyed.count(e)) continue;
        if (e->Kind() != kind::Frame) {
            Detach(e);
            continue;
        }
        auto* frame = static_cast<TObjectFrame*>(e);
        for (auto& ip : frame->interfacePlaces) {
            for (const TEdge* arc : RemoveArcsOfInterfacePlace(*ip)) destroyed.insert(const_cast<TEdge*>(arc));
        }
    }
    for (std::size_t i = elements_.size(); i-- > 0;) {
        if (i < elements_.size() && elements_[i]->selected) RemoveAt(i, true);
    }
    // Places further down a broken fusion chain follow their new root now.
    if (owner_) owner_->Root()->ResolveFusion();
}

void TNetList::SetSelected(TGraphItem* e, bool on) {
    if ((e->selected != 0) == on) return;
    e->SetSelected(on);
    if (e->Kind() == kind::Arc) {
        const std::size_t i = IndexOf(e);
        if (i < elements_.size()) {
            elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(i));
            elements_.push_back(e);
        }
    }
    if (e->shown) e->Invalidate(window_);
}

void TNetList::DeselectAll() {
    for (TGraphItem* e : elements_) {
        if (e->selected) e->SetSelected(false);
        if (e->Kind() == kind::Arc) static_cast<TEdge*>(e)->groupMark = 0;
    }
}

void TNetList::SelectAll() {
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
        (*it)->SetSelected(true);
        if ((*it)->Kind() == kind::Arc) static_cast<TEdge*>(*it)->groupMark = 1;
    }
    DrawAll();
}

bool TNetList::SelectInRect(const TRect& r) {
    bool any = false;
    for (TGraphItem* e : elements_) {
        const TRect b = e->GetBounds();
        if (IntersectRect(b, r) == b && !b.IsEmpty()) {
            e->SetSelected(true);
            if (e->Kind() == kind::Arc) static_cast<TEdge*>(e)->groupMark = 1;
            any = true;
        }
    }
    InvalidateAll();
    return any;
}

std::size_t TNetList::SelectedCount() const {
    return static_cast<std::size_t>(
        std::count_if(elements_.begin(), elements_.end(), [](auto* e) { return e->selected != 0; }));
}

TGraphItem* TNetList::ElementAt(TPoint p) {
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
        if ((*it)->Kind() == kind::Arc && (*it)->HitTest(p)) return *it;
    }
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
        if ((*it)->Kind() != kind::Arc && (*it)->HitTest(p)) return *it;
    }
    return nullptr;
}

TRect TNetList::ExtentOf(TGraphItem* e) {
    TRect r = e->Kind() == kind::Arc ? e->GetBounds() : e->hit;
    for (TSchriftObjekt* l : {e->nameLabel.get(), e->valueLabel.get()}) {
        if (l && l->visible) r = UnionRect(r, l->hit);
    }
    return r;
}

TRect TNetList::BoundsOfSelection() const {
    TRect r{};
    for (TGraphItem* e : elements_) {
        if (e->selected) r = UnionRect(r, ExtentOf(e));
    }
    return r;
}

TRect TNetList::BoundsOfAll() const {
    TRect r{};
    for (TGraphItem* e : elements_) r = UnionRect(r, ExtentOf(e));
    return r;
}

void TNetList::RefreshArcsOf(TGraphItem* e) {
    auto refresh = [this](TEdge* arc) {
        if (arc->shown) arc->Invalidate(window_);
        arc->geometryValid = 0;
        arc->ComputeGeometry();
        if (arc->shown) {
            arc->Invalidate(window_);
            arc->valueLabel->Draw();
        }
    };
    auto refreshLists = [&](TGraphItem* item) {
        for (TEdge* arc : item->InEdgeList) refresh(arc);
        for (TEdge* arc : item->OutEdgeList) refresh(arc);
    };
    if (e->Kind() == kind::Frame) {
        for (auto& ip : static_cast<TObjectFrame*>(e)->interfacePlaces) refreshLists(ip.get());
    } else {
        refreshLists(e);
    }
}

void TNetList::MoveSelected(int dx, int dy) {
    for (TGraphItem* e : elements_) {
        if (!e->selected) continue;
        const bool moved = e->MoveBy(dx, dy, window_);
        const char k = e->Kind();
        if ((moved && (k == kind::Place || k == kind::Transition)) || k == kind::Frame) RefreshArcsOf(e);
    }
}

void TNetList::AnchorSelectedDragPositions() {
    for (TGraphItem* e : elements_) {
        const char k = e->Kind();
        if (e->selected && (k == kind::Place || k == kind::Transition)) e->bounds = e->hit;
    }
}

void TNetList::RefreshArcsOfSelected() {
    for (TGraphItem* e : elements_) {
        if (e->selected) RefreshArcsOf(e);
    }
}

void TNetList::SetSizeClassOfSelected(int c) {
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
        TGraphItem* e = *it;
        if (!e->selected || e->Kind() == kind::Arc) continue;
        if (e->shown) e->Invalidate(window_);
        e->SetSizeClass(c);
        RefreshArcsOf(e);
        e->Draw();
    }
}

void TNetList::BringToFront(TGraphItem* e) {
    const std::size_t i = IndexOf(e);
    if (i >= elements_.size()) return;
    elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(i));
    elements_.push_back(e);
    if (e->shown) e->Invalidate(window_);
}

void TNetList::SendToBack(TGraphItem* e) {
    const std::size_t i = IndexOf(e);
    if (i >= elements_.size()) return;
    elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(i));
    elements_.insert(elements_.begin(), e);
    if (e->shown) e->Invalidate(window_);
}

void TNetList::AlignSelected(const TGraphItem* reference, Alignment a) {
    if (!reference) return;
    const TRect ref = reference->hit;
    for (TGraphItem* e : elements_) {
        if (!e->selected || e->Kind() == kind::Arc) continue;
        if (e->shown) e->Invalidate(window_);
        const TRect h = e->hit;
        int dx = 0, dy = 0;
        switch (a) {
        case Alignment::Left: dx = ref.left - h.left; break;
        case Alignment::HorizontalCentre: dx = (ref.left + ref.right) / 2 - (h.left + h.right) / 2; break;
        case Alignment::Right: dx = ref.right - h.right; break;
        case Alignment::Top: dy = ref.top - h.top; break;
        case Alignment::VerticalCentre: dy = (ref.top + ref.bottom) / 2 - (h.top + h.bottom) / 2; break;
        case Alignment::Bottom: dy = ref.bottom - h.bottom; break;
        }
        e->SetBounds(h.Offset(dx, dy));
        for (TSchriftObjekt* l : {e->nameLabel.get(), e->valueLabel.get()}) {
            if (l && l->userPositioned) {
                l->bounds = l->bounds.Offset(dx, dy);
                l->hit = l->bounds;
            }
        }
        e->Draw();
    }
    RefreshArcsOfSelected();
}

void TNetList::DrawAll() {
    if (!shown_) return;
    for (TGraphItem* e : elements_) e->Draw();
}

TRect TNetList::DrawingExtent(TGraphItem& e) {
    // Pen widths, arrow heads and selection marks reach this far beyond an
    // element's figure.
    constexpr int kMargin = 12;
    const TRect figure = e.Kind() == kind::Arc ? e.GetBounds() : UnionRect(e.hit, e.bounds);
    TRect r{figure.left - kMargin, figure.top - kMargin, figure.right + kMargin, figure.bottom + kMargin};
    for (TSchriftObjekt* l : {e.nameLabel.get(), e.valueLabel.get()}) {
        if (!l || !l->visible) continue;
        if (l->userPositioned) {
            r = UnionRect(r, UnionRect(l->bounds, l->hit));
        } else {
            // An automatic label is placed beside the figure when the element
            // draws: within its own size (and a few units) of it.
            const int w = std::max(l->Width(), l->bounds.Width()) + 20;
            const int h = std::max({l->Height(), l->bounds.Height(), 20}) + 10;
            r = UnionRect(r, {figure.left - w, figure.top - h, figure.right + w, figure.bottom + h});
        }
    }
    return r;
}

void TNetList::DrawAll(const TRect& visible) {
    if (!shown_) return;
    for (TGraphItem* e : elements_) {
        // Frames draw their interface places and their labels around them:
        // they are few, and always drawn.
        const TRect r = e->Kind() == kind::Frame ? visible : DrawingExtent(*e);
        if (r.left < visible.right && visible.left < r.right && r.top < visible.bottom && visible.top < r.bottom) {
            e->Draw();
        }
    }
}

void TNetList::DrawSelected() {
    for (TGraphItem* e : elements_) {
        if (e->selected) e->Draw();
    }
}

void TNetList::InvalidateAll() {
    if (window_) window_->InvalidateAll();
}

void TNetList::NamePlacesAutomatically() {
    int n = 0;
    for (TGraphItem* e : elements_) {
        if (e->Kind() != kind::Place) continue;
        std::string text = "P";
        text += std::to_string(++n);
        static_cast<TPlatz*>(e)->SetName(text);
    }
}

void TNetList::NameTransitionsAutomatically() {
    int n = 0;
    for (TGraphItem* e : elements_) {
        if (e->Kind() != kind::Transition) continue;
        std::string text = "T";
        text += std::to_string(++n);
        static_cast<TTransition*>(e)->SetName(text);
    }
}

namespace {

std::string StemOf(const std::string& name, long long* number) {
    std::size_t end = name.size();
    while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9') --end;
    if (number) {
        *number = 1;
        const std::string digits = name.substr(end);
        if (!digits.empty() && digits.size() < 18) *number = std::stoll(digits);
    }
    return name.substr(0, end);
}

} // namespace

void TNetList::CollectVariableNames(std::vector<std::string>& names) const {
    for (TGraphItem* e : elements_) {
        if (e->Kind() == kind::Place) names.push_back(static_cast<TPlatz*>(e)->variableName);
    }
    if (owner_ && owner_->Base()) {
        TPNObjekt* base = owner_->Base();
        for (std::size_t i = 0, n = base->CombinedCount(); i < n; ++i) {
            TGraphItem* e = base->ElementAt(i);
            if (e->Kind() == kind::Place) names.push_back(static_cast<TPlatz*>(e)->variableName);
        }
    }
}

void TNetList::MakeUniqueVariableName(TPlatz* place) const {
    std::vector<std::string> names;
    for (TGraphItem* e : elements_) {
        if (e->Kind() == kind::Place && e != place) names.push_back(static_cast<TPlatz*>(e)->variableName);
    }
    if (owner_ && owner_->Base()) {
        TPNObjekt* base = owner_->Base();
        for (std::size_t i = 0, n = base->CombinedCount(); i < n; ++i) {
            TGraphItem* e = base->ElementAt(i);
            if (e->Kind() == kind::Place) names.push_back(static_cast<TPlatz*>(e)->variableName);
        }
    }
    const std::set<std::string> taken(names.begin(), names.end());
    if (!taken.count(place->variableName)) return;
    const std::string stem = StemOf(place->variableName, nullptr);
    for (long long n = 1;; ++n) {
        std::string candidate = stem + std::to_string(n);
        if (!taken.count(candidate)) {
            place->SetVariableName(candidate);
            return;
        }
    }
}

std::string TNetList::UniqueVariableNameAmong(const std::string& name,
                                              const std::vector<std::string>& takenList) {
    const std::set<std::string> taken(takenList.begin(), takenList.end());
    long long n = 1;
    const std::string stem = StemOf(name, &n);
    for (;; ++n) {
        std::string candidate = stem + std::to_string(n);
        if (!taken.count(candidate)) return candidate;
    }
}

bool TNetList::VariableNameIsFree(const std::string& variable) const {
    for (TGraphItem* e : elements_) {
        if (e->Kind() == kind::Place && static_cast<TPlatz*>(e)->variableName == variable) return false;
    }
    return true;
}

void TNetList::CopySelected(std::vector<std::unique_ptr<TGraphItem>>& target) const {
    const int off = 2 * Settings().gridSize;
    // Places and transitions from the last to the first, then the arcs
    // between two of them, then labels and shapes from the first to the last.
    std::unordered_map<const TGraphItem*, TGraphItem*> copies;
    auto copy = [&](const TGraphItem* e) {
        std::unique_ptr<TGraphItem> c = e->Copy(off, off);
        copies[e] = c.get();
        target.push_back(std::move(c));
    };
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
        const char k = (*it)->Kind();
        if ((*it)->selected && (k == kind::Place || k == kind::Transition)) copy(*it);
    }
    auto copyOf = [&copies](const TGraphItem* e) -> TGraphItem* {
        auto it = copies.find(e);
        return it == copies.end() ? nullptr : it->second;
    };
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
        if (!(*it)->selected || (*it)->Kind() != kind::Arc) continue;
        const auto* a = static_cast<const TEdge*>(*it);
        TGraphItem* from = copyOf(a->source);
        TGraphItem* to = copyOf(a->target);
        if (!from || !to || a->connectionKind != ConnectionKind::Plain) continue;
        std::unique_ptr<TGraphItem> c = a->Copy(off, off);
        JoinArc(static_cast<TEdge&>(*c), from, to);
        target.push_back(std::move(c));
    }
    for (TGraphItem* e : elements_) {
        if (e->selected && (e->Kind() == kind::Shape || e->Kind() == kind::Label)) copy(e);
    }
}

namespace {

bool Immediate(const TTransition* t) { return t->functionText == "0" || t->timed == 0; }

// Reservation counts for timed discrete transitions only: an immediate or
// stepwise transition is listed once, and a continuous one never in the
// discrete lists, whatever its reservation byte says.
bool Reserves(const TTransition* t) { return !t->continuous && !Immediate(t) && t->reservation; }

} // namespace

void TNetList::CollectSimulationLists(SimulationLists& lists) const {
    for (TGraphItem* e : elements_) {
        if (e->Kind() == kind::Transition) {
            auto* t = static_cast<TTransition*>(e);
            if (t->continuous) {
                lists.continuous.push_back(t);
            } else if (Immediate(t)) {
                lists.discrete.push_back(t);
            } else if (!t->reservation) {
                lists.timed.push_back(t);
            }
        } else if (e->Kind() == kind::Arc && static_cast<TEdge*>(e)->isExpression) {
            lists.formulaArcs.push_back(static_cast<TEdge*>(e));
        }
    }
    for (TGraphItem* e : elements_) {
        if (e->Kind() == kind::Transition && Reserves(static_cast<TTransition*>(e))) {
            auto* t = static_cast<TTransition*>(e);
            lists.timed.push_back(t);
            lists.discrete.push_back(t);
        }
    }
    for (const auto& child : children_) child->CollectSimulationLists(lists);
}

void TNetList::ResetToInitialState() {
    for (TGraphItem* e : elements_) {
        switch (e->Kind()) {
        case kind::Place: {
            auto* p = static_cast<TPlatz*>(e);
            p->SetMarking(static_cast<double>(p->InitialMarking()));
            break;
        }
        case kind::Transition: {
            auto* t = static_cast<TTransition*>(e);
            t->remainingTime = t->firingTime;
            t->busy = 0;
            t->fireFlag = 0;
            t->started = 0;
            t->chosen = 0;
            t->flow = 0;
            break;
        }
        case kind::Arc:
            static_cast<TEdge*>(e)->flowing = 0;
            break;
        default:
            break;
        }
    }
    for (auto& child : children_) child->ResetToInitialState();
}

void TNetList::SetShowValues(bool on) {
    for (TGraphItem* e : elements_) {
        if (e->Kind() == kind::Place) static_cast<TPlatz*>(e)->showValues = on ? 1 : 0;
        if (e->Kind() == kind::Frame) static_cast<TObjectFrame*>(e)->SetShowValues(on ? 1 : 0);
    }
    for (auto& child : children_) child->SetShowValues(on);
}

void TNetList::RegisterPlaceVariables() {
    if (!owner_) return;
    TVariableTable& table = owner_->Variables();
    for (TGraphItem* e : elements_) {
        if (e->Kind() == kind::Place) {
            auto* p = static_cast<TPlatz*>(e);
            table.Add(p->variableName, p->MarkingRef());
        }
    }
}

void TNetList::ResolveFusion() {
    for (TGraphItem* e : elements_) {
        if (e->Kind() == kind::Place) static_cast<TPlatz*>(e)->ResolveFusion();
        if (e->Kind() == kind::Frame) {
            for (auto& ip : static_cast<TObjectFrame*>(e)->interfacePlaces) {
                if (ip->innerPlace) ip->innerPlace->ResolveFusion();
            }
        }
    }
    for (auto& child : children_) child->ResolveFusion();
}

void TNetList::SelectFiringTransitions() {
    for (TGraphItem* e : elements_) {
        if (e->Kind() != kind::Transition) continue;
        auto* t = static_cast<TTransition*>(e);
        if (!t->continuous && t->busy) {
            t->SetSelected(true);
            t->Draw();
        }
    }
    for (auto& child : children_) child->SelectFiringTransitions();
}

void TNetList::MarkInvalidArcs(int& counter, bool enhancedRule) {
    for (TGraphItem* e : elements_) {
        if (e->Kind() != kind::Arc) continue;
        auto* a = static_cast<TEdge*>(e);
        TPlatz* p = a->PlaceEnd();
        TTransition* t = a->TransitionEnd();
        if (!p || !t) continue;
        const bool fromTransition = a->source == t;
        bool invalid = false;
        if (a->arcKind == akNormal) {
            invalid = t->continuous && !p->continuous;
        } else if (fromTransition) {
            invalid = true; // inhibitor and test arcs only read places
        } else if (a->arcKind == akInhibitor) {
            invalid = p->continuous && t->continuous && !enhancedRule;
        }
        if (invalid) {
            a->SetSelected(true);
            a->Draw();
            ++counter;
        }
    }
    for (auto& child : children_) child->MarkInvalidArcs(counter, enhancedRule);
}

void TNetList::RecordOscilloscopeSample(double time) {
    for (TGraphItem* e : elements_) {
        if (e->Kind() != kind::Place) continue;
        auto* p = static_cast<TPlatz*>(e);
        Oscilloscope* o = p->Diagram();
        if (!o) continue;
        o->AddSample(time, p->Marking());
        o->SetCurveOn(true);
    }
    for (auto& child : children_) child->RecordSamples(time);
}

void TNetList::ClearOscilloscopeData() {
    for (TGraphItem* e : elements_) {
        if (e->Kind() != kind::Place) continue;
        if (Oscilloscope* o = static_cast<TPlatz*>(e)->Diagram()) o->ClearData();
    }
    for (auto& child : children_) child->ClearOscilloscopeData();
}

std::size_t TNetList::TotalElementCount() const {
    std::size_t n = elements_.size();
    for (const auto& child : children_) n += child->TotalElementCount();
    return n;
}

void TNetList::ForEachElement(const std::function<void(TGraphItem*)>& f) const {
    for (TGraphItem* e : elements_) f(e);
    for (const auto& child : children_) child->Net().ForEachElement(f);
}

} // namespace qz
