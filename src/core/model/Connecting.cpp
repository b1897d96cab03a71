#include "model/Connecting.h"

#include <algorithm>
#include <optional>

#include "model/FusionRules.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "platform/Services.h"

namespace qz {

namespace {

// A frame is connected through its selected interface place.
TGraphItem* ConnectableEnd(TGraphItem* e) {
    if (e && e->Kind() == kind::Frame) return static_cast<TObjectFrame*>(e)->FirstSelectedInterfacePlace();
    return e;
}

// The kinds between a place and a transition: an arc drawn the same way
// already joins them.
bool AlreadyJoined(ConnectionKind k, const TGraphItem& source, const TGraphItem& target) {
    if (k != ConnectionKind::Plain && k != ConnectionKind::TransitionToInterface &&
        k != ConnectionKind::InterfaceToTransition) {
        return false;
    }
    return std::any_of(source.OutEdgeList.begin(), source.OutEdgeList.end(),
                       [&target](const TEdge* a) { return a->DrawnTarget() == &target; });
}

} // namespace

TEdge* ConnectElements(TNetList& net, TGraphItem* source, TGraphItem* target, bool enhancedRule) {
    source = ConnectableEnd(source);
    target = ConnectableEnd(target);
    const std::optional<ConnectionKind> k = ConnectionKindOf(source, target);
    if (!k) return nullptr;
    if (AlreadyJoined(*k, *source, *target)) {
        Platform().messages->Info(kConnectionExists);
        return nullptr;
    }
    TEdge* arc = ConnectArc(net, source, target);
    if (!arc) return nullptr;
    if (enhancedRule && source->Kind() == kind::Place && static_cast<TPlatz*>(source)->continuous) {
        arc->SetWeightText("1E-6");
        arc->valueLabel->visible = 1;
    }
    net.DeselectAll();
    return arc;
}

} // namespace qz
