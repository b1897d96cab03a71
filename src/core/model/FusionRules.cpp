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
// The inner place of an interface place end, or null.
TPlatz* InnerOf(TGraphItem* e) {
    return e && e->Kind() == kind::InterfacePlace ? AsInterface(e)->innerPlace : nullptr;
}
TPlatz* PlaceOf(TGraphItem* e) { return IsPlace(e) ? static_cast<TPlatz*>(e) : nullptr; }

void Erase(std::vector<TEdge*>& list, const TEdge* e) {
    list.erase(std::remove(list.begin(), list.end(), e), list.end());
}

// An inner place takes the marking of one place only: a second incoming
// fusion on the same interface place would silently replace the first while
// both arcs stay.
bool HasIncomingFusion(const TInterfacePlace& ip) {
    return std::any_of(ip.InEdgeList.begin(), ip.InEdgeList.end(), [](const TEdge* a) {
        return a->connectionKind == ConnectionKind::PlaceToInterface ||
               a->connectionKind == ConnectionKind::InterfaceToInterface;
    });
}

// Takes its marking from some other place already.
bool IsFused(const TPlatz& p) { return p.link != &p; }

void ReportInvalidFusion() { Platform().messages->Error(kFusionNotValid); }
void ReportFusionConflict() { Platform().messages->Error(kFusionConflict); }

void Unlist(TEdge& a) {
    if (TGraphItem* s = a.DrawnSource()) Erase(s->OutEdgeList, &a);
    if (TGraphItem* t = a.DrawnTarget()) Erase(t->InEdgeList, &a);
}

void List(TEdge& a) {
    if (TGraphItem* s = a.DrawnSource()) s->OutEdgeList.push_back(&a);
    if (TGraphItem* t = a.DrawnTarget()) t->InEdgeList.push_back(&a);
}

// The place that follows through a fusion arc, and the one it follows.
TPlatz* Follower(const TEdge& a) {
    switch (a.connectionKind) {
    case ConnectionKind::PlaceToInterface:
    case ConnectionKind::InterfaceToInterface: return InnerOf(a.target);
    case ConnectionKind::InterfaceToPlace: return PlaceOf(a.target);
    default: return nullptr;
    }
}
TPlatz* Followed(const TEdge& a) {
    switch (a.connectionKind) {
    case ConnectionKind::PlaceToInterface: return PlaceOf(a.source);
    case ConnectionKind::InterfaceToPlace:
    case ConnectionKind::InterfaceToInterface: return InnerOf(a.source);
    default: return nullptr;
    }
}

void Fuse(TEdge& a) {
    TPlatz* follower = Follower(a);
    TPlatz* followed = Followed(a);
    if (follower && followed) follower->FuseTo(followed);
}

// A new or reversed fusion changes the marking owner of every place down
// the chain, not only of the place fused now: resolve the document again so
// that values set before the next run reach the shared marking.
void ResolveDocument(const TEdge& a) {
    if (a.owner) a.owner->Root()->ResolveFusion();
}

} // namespace

std::optional<ConnectionKind> ConnectionKindOf(const TGraphItem* source, const TGraphItem* target) {
    if (!source || !target || source == target) return std::nullopt;
    if ((IsPlace(source) && IsTransition(target)) || (IsTransition(source) && IsPlace(target))) {
        return ConnectionKind::Plain;
    }
    if (IsPlace(source) && IsInterface(target)) return ConnectionKind::PlaceToInterface;
    if (IsInterface(source) && IsPlace(target)) return ConnectionKind::InterfaceToPlace;
    if (IsTransition(source) && IsInterface(target)) return ConnectionKind::TransitionToInterface;
    if (IsInterface(source) && IsTransition(target)) return ConnectionKind::InterfaceToTransition;
    if (IsInterface(source) && IsInterface(target)) return ConnectionKind::InterfaceToInterface;
    return std::nullopt;
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
    const std::optional<ConnectionKind> k = ConnectionKindOf(source, target);
    if (!k) return false;
    switch (*k) {
    case ConnectionKind::PlaceToInterface:
        return CanFusePlaceToInterface(*static_cast<const TPlatz*>(source), *AsInterface(target));
    case ConnectionKind::InterfaceToPlace:
        return CanFuseInterfaceToPlace(*AsInterface(source), *static_cast<const TPlatz*>(target));
    case ConnectionKind::InterfaceToInterface: return CanFuseInterfaces(*AsInterface(source), *AsInterface(target));
    default: return true;
    }
}

void AttachArc(TEdge& arc) {
    List(arc);
    Fuse(arc);
    arc.geometryValid = 0;
}

void DetachArc(TEdge& arc) {
    Unlist(arc);
    if (TPlatz* follower = Follower(arc)) follower->ResetFusion();
}

bool JoinArc(TEdge& arc, TGraphItem* source, TGraphItem* target) {
    const std::optional<ConnectionKind> k = ConnectionKindOf(source, target);
    if (!k) return false;
    arc.connectionKind = *k;
    arc.interfaceSource = nullptr;
    arc.interfaceTarget = nullptr;
    if (*k == ConnectionKind::TransitionToInterface) {
        arc.interfaceTarget = AsInterface(target);
        target = AsInterface(target)->innerPlace;
    } else if (*k == ConnectionKind::InterfaceToTransition) {
        arc.interfaceSource = AsInterface(source);
        source = AsInterface(source)->innerPlace;
    }
    arc.SetSource(source);
    arc.SetTarget(target);
    AttachArc(arc);
    return true;
}

TEdge* ConnectArc(TNetList& net, TGraphItem* source, TGraphItem* target) {
    if (!ConnectionKindOf(source, target)) return nullptr;
    if (!CanConnect(source, target)) {
        ReportInvalidFusion();
        return nullptr;
    }
    auto arc = std::make_unique<TEdge>(net.Variables());
    JoinArc(*arc, source, target);
    auto* raw = static_cast<TEdge*>(net.Add(std::move(arc), true));
    if (IsFusion(raw->connectionKind)) ResolveDocument(*raw);
    return raw;
}

bool ReverseArc(TEdge& a) {
    switch (a.connectionKind) {
    case ConnectionKind::PlaceToInterface: {
        auto* place = static_cast<TPlatz*>(a.source);
        if (place->IncomingFusionArcs() > 0 || IsFused(*place)) {
            ReportFusionConflict();
            return false;
        }
        break;
    }
    case ConnectionKind::InterfaceToPlace: {
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
    case ConnectionKind::PlaceToInterface: a.connectionKind = ConnectionKind::InterfaceToPlace; break;
    case ConnectionKind::InterfaceToPlace: a.connectionKind = ConnectionKind::PlaceToInterface; break;
    case ConnectionKind::TransitionToInterface: { // transition -> inner place becomes inner place -> transition
        TInterfacePlace* ip = a.interfaceTarget;
        a.target = a.source;
        a.source = ip ? static_cast<TGraphItem*>(ip->innerPlace) : a.target;
        a.interfaceSource = ip;
        a.interfaceTarget = nullptr;
        a.connectionKind = ConnectionKind::InterfaceToTransition;
        List(a);
        a.geometryValid = 0;
        return true;
    }
    case ConnectionKind::InterfaceToTransition: {
        TInterfacePlace* ip = a.interfaceSource;
        a.source = a.target;
        a.target = ip ? static_cast<TGraphItem*>(ip->innerPlace) : a.source;
        a.interfaceTarget = ip;
        a.interfaceSource = nullptr;
        a.connectionKind = ConnectionKind::TransitionToInterface;
        List(a);
        a.geometryValid = 0;
        return true;
    }
    default: break; // Plain and InterfaceToInterface keep their kind
    }
    std::swap(a.source, a.target);
    if (oldFollower) oldFollower->ResetFusion();
    AttachArc(a);
    if (oldFollower) ResolveDocument(a);
    return true;
}

} // namespace qz
