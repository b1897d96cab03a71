#include "model/FusionRules.h"

#include <algorithm>
#include <memory>

#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "platform/Services.h"

namespace qz {

namespace {

bool IsPlace(const TGraphItem* e) { return e && e->Kind() == kind::Place; }
bool IsTransition(const TGraphItem* e) { return e && e->Kind() == kind::Transition; }
bool IsInterface(const TGraphItem* e) {
    return e && e->Kind() == kind::InterfacePlace && static_cast<const TInterfacePlace*>(e)->innerPlace;
}
TInterfacePlace* AsInterface(TGraphItem* e) { return static_cast<TInterfacePlace*>(e); }
const TInterfacePlace* AsInterface(const TGraphItem* e) { return static_cast<const TInterfacePlace*>(e); }

void Erase(std::vector<TEdge*>& list, const TEdge* e) {
    list.erase(std::remove(list.begin(), list.end(), e), list.end());
}

// An inner place takes the marking of one place only: a second incoming
// fusion (kind 1 or 5) on the same interface place would silently replace the
// first while both arcs stay.
bool HasIncomingFusion(const TInterfacePlace& ip) {
    return std::any_of(ip.InEdgeList.begin(), ip.InEdgeList.end(), [](const TEdge* a) {
        return a->connectionKind == 1 || a->connectionKind == 5;
    });
}

// Takes its marking from some other place already.
bool IsFused(const TPlatz& p) { return p.link != &p; }

void ReportInvalidFusion() { Platform().messages->Error(kFusionNotValid); }
void ReportFusionConflict() { Platform().messages->Error(kFusionConflict); }

// The element each end's arc list belongs to.
TGraphItem* ListedSource(const TEdge& a) {
    return (a.connectionKind == 4 && a.interfaceSource) ? a.interfaceSource : a.source;
}
TGraphItem* ListedTarget(const TEdge& a) {
    return (a.connectionKind == 3 && a.interfaceTarget) ? a.interfaceTarget : a.target;
}

void Unlist(TEdge& a) {
    if (TGraphItem* s = ListedSource(a)) Erase(s->OutEdgeList, &a);
    if (TGraphItem* t = ListedTarget(a)) Erase(t->InEdgeList, &a);
}

void List(TEdge& a) {
    if (TGraphItem* s = ListedSource(a)) s->OutEdgeList.push_back(&a);
    if (TGraphItem* t = ListedTarget(a)) t->InEdgeList.push_back(&a);
}

void Fuse(TEdge& a) {
    switch (a.connectionKind) {
    case 1:
        AsInterface(a.target)->innerPlace->FuseTo(static_cast<TPlatz*>(a.source));
        break;
    case 2:
        static_cast<TPlatz*>(a.target)->FuseTo(AsInterface(a.source)->innerPlace);
        break;
    case 5:
        AsInterface(a.target)->innerPlace->FuseTo(AsInterface(a.source)->innerPlace);
        break;
    default:
        break;
    }
}

// The place that follows through this fusion arc.
TPlatz* Follower(const TEdge& a) {
    switch (a.connectionKind) {
    case 1:
    case 5: return AsInterface(a.target)->innerPlace;
    case 2: return static_cast<TPlatz*>(a.target);
    default: return nullptr;
    }
}

// A new or reversed fusion changes the marking owner of every place down
// the chain, not only of the place fused now: resolve the document again so
// that values set before the next run reach the shared marking.
void ResolveDocument(const TEdge& a) {
    if (a.owner) a.owner->Root()->ResolveFusion();
}

} // namespace

int ConnectionKindOf(const TGraphItem* source, const TGraphItem* target) {
    if (!source || !target || source == target) return -1;
    if ((IsPlace(source) && IsTransition(target)) || (IsTransition(source) && IsPlace(target))) return 0;
    if (IsPlace(source) && IsInterface(target)) return 1;
    if (IsInterface(source) && IsPlace(target)) return 2;
    if (IsTransition(source) && IsInterface(target)) return 3;
    if (IsInterface(source) && IsTransition(target)) return 4;
    if (IsInterface(source) && IsInterface(target)) return 5;
    return -1;
}

bool FollowsInFusion(const TPlatz& place, const TPlatz& other) {
    // Chains are short; the bound only guards against a damaged ring.
    const TPlatz* p = &place;
    for (int steps = 0; steps < (1 << 20) && p->link != p; ++steps) {
        p = p->link;
        if (p == &other) return true;
        if (p == &place) return false;
    }
    return false;
}

bool CanFusePlaceToInterface(const TPlatz& place, const TInterfacePlace& target) {
    const TPlatz& inner = *target.innerPlace;
    if (place.continuous != inner.continuous || &place == &inner) return false;
    if (HasIncomingFusion(target)) return false;
    return !FollowsInFusion(place, inner);
}

bool CanFuseInterfaceToPlace(const TInterfacePlace& source, const TPlatz& place) {
    const TPlatz& inner = *source.innerPlace;
    if (place.continuous != inner.continuous || &place == &inner) return false;
    if (place.IncomingFusionArcs() > 0) return false;
    return !FollowsInFusion(inner, place);
}

bool CanFuseInterfaces(const TInterfacePlace& source, const TInterfacePlace& target) {
    const TPlatz& from = *source.innerPlace;
    const TPlatz& to = *target.innerPlace;
    if (source.frame == target.frame || &from == &to) return false;
    if (from.continuous != to.continuous) return false;
    if (HasIncomingFusion(target)) return false;
    return !FollowsInFusion(from, to);
}

bool CanConnect(const TGraphItem* source, const TGraphItem* target) {
    switch (ConnectionKindOf(source, target)) {
    case 0:
    case 3:
    case 4: return true;
    case 1: return CanFusePlaceToInterface(*static_cast<const TPlatz*>(source), *AsInterface(target));
    case 2: return CanFuseInterfaceToPlace(*AsInterface(source), *static_cast<const TPlatz*>(target));
    case 5: return CanFuseInterfaces(*AsInterface(source), *AsInterface(target));
    default: return false;
    }
}

void AttachArc(TEdge& arc) {
    List(arc);
    Fuse(arc);
    arc.geometryValid = 0;
}

TEdge* ConnectArc(TNetList& net, TGraphItem* source, TGraphItem* target) {
    const int k = ConnectionKindOf(source, target);
    if (k < 0) return nullptr;
    if (!CanConnect(source, target)) {
        ReportInvalidFusion();
        return nullptr;
    }
    auto arc = std::make_unique<TEdge>(net.Variables());
    arc->connectionKind = static_cast<std::uint8_t>(k);
    if (k == 3) {
        arc->interfaceTarget = AsInterface(target);
        target = AsInterface(target)->innerPlace;
    } else if (k == 4) {
        arc->interfaceSource = AsInterface(source);
        source = AsInterface(source)->innerPlace;
    }
    arc->SetSource(source);
    arc->SetTarget(target);
    TEdge* raw = static_cast<TEdge*>(net.Add(std::move(arc), true));
    AttachArc(*raw);
    if (k == 1 || k == 2 || k == 5) ResolveDocument(*raw);
    return raw;
}

bool ReverseArc(TEdge& a) {
    switch (a.connectionKind) {
    case 1: { // place -> interface place becomes interface place -> place
        auto* place = static_cast<TPlatz*>(a.source);
        if (place->IncomingFusionArcs() > 0 || IsFused(*place)) {
            ReportFusionConflict();
            return false;
        }
        break;
    }
    case 2: { // interface place -> place becomes place -> interface place
        TInterfacePlace* ip = AsInterface(a.source);
        if (HasIncomingFusion(*ip) || IsFused(*ip->innerPlace)) {
            ReportFusionConflict();
            return false;
        }
        break;
    }
    default:
        break;
    }
    TPlatz* oldFollower = Follower(a);
    Unlist(a);
    switch (a.connectionKind) {
    case 1: a.connectionKind = 2; break;
    case 2: a.connectionKind = 1; break;
    case 3: { // transition -> inner place becomes inner place -> transition
        TInterfacePlace* ip = a.interfaceTarget;
        a.target = a.source;
        a.source = ip ? static_cast<TGraphItem*>(ip->innerPlace) : a.target;
        a.interfaceSource = ip;
        a.interfaceTarget = nullptr;
        a.connectionKind = 4;
        List(a);
        a.geometryValid = 0;
        return true;
    }
    case 4: {
        TInterfacePlace* ip = a.interfaceSource;
        a.source = a.target;
        a.target = ip ? static_cast<TGraphItem*>(ip->innerPlace) : a.source;
        a.interfaceTarget = ip;
        a.interfaceSource = nullptr;
        a.connectionKind = 3;
        List(a);
        a.geometryValid = 0;
        return true;
    }
    default: break; // 0 and 5 keep their kind
    }
    std::swap(a.source, a.target);
    if (oldFollower) oldFollower->ResetFusion();
    AttachArc(a);
    if (oldFollower) ResolveDocument(a);
    return true;
}

} // namespace qz
