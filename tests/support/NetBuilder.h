#pragma once
#include <memory>
#include <string>
#include <vector>

#include "model/FusionRules.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

namespace qz::test {

// Builds nets in an object's own net.
class NetBuilder {
public:
    explicit NetBuilder(TPNObjekt& object) : object_(object) {}

    TNetList& net() { return object_.Net(); }

    // A place whose name is also its variable name, holding `marking` as
    // its initial and current marking.
    TPlatz* Place(const std::string& name = "m1", double marking = 0, bool continuous = false,
                  long double capacity = -1) {
        auto p = std::make_unique<TPlatz>();
        p->continuous = continuous ? 1 : 0;
        p->capacity = capacity;
        p->SetVariableName(name);
        p->SetName(name);
        p->SetInitialMarking(marking);
        p->SetMarking(marking);
        return static_cast<TPlatz*>(net().Add(std::move(p)));
    }

    TTransition* Trans(const std::string& name = "T", const std::string& function = "0", bool continuous = false,
                       int priority = 1) {
        auto t = std::make_unique<TTransition>(&object_.Variables());
        t->continuous = continuous ? 1 : 0;
        t->priority = priority;
        t->SetName(name);
        t->SetFunctionText(function);
        return static_cast<TTransition*>(net().Add(std::move(t)));
    }

    // An arc joined as drawn from `from` to `to` (an interface place for the
    // kinds through interface places); no fusion check.
    TEdge* Arc(TGraphItem* from, TGraphItem* to, const std::string& weight = "1",
               std::uint8_t arcKind = akNormal) {
        auto e = std::make_unique<TEdge>(&object_.Variables());
        e->SetWeightText(weight);
        e->arcKind = arcKind;
        auto* raw = static_cast<TEdge*>(net().Add(std::move(e)));
        JoinArc(*raw, from, to);
        return raw;
    }

private:
    TPNObjekt& object_;
};

// The elements of one kind (kind::Place, ...) of a net, in their order.
template <class T = TGraphItem>
std::vector<T*> ElementsOf(const TNetList& net, char k) {
    std::vector<T*> out;
    for (TGraphItem* e : net.Elements()) {
        if (e->Kind() == k) out.push_back(static_cast<T*>(e));
    }
    return out;
}

// The interface place of an object for its published place `variable`.
inline TInterfacePlace* Interface(TPNObjekt& object, const std::string& variable) {
    return object.Frame().FindInterfacePlace(variable);
}

} // namespace qz::test
