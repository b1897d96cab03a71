#pragma once
#include <memory>
#include <string>

#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

namespace qz::test {

// Builds nets in memory for the engine tests.
class NetBuilder {
public:
    explicit NetBuilder(TPNObjekt& object) : object_(object) {}

    TPlatz* Place(const std::string& name, double marking, bool continuous = false,
                  long double capacity = -1) {
        auto p = std::make_unique<TPlatz>();
        p->name = name;
        p->variableName = name;
        p->continuous = continuous ? 1 : 0;
        p->capacity = capacity;
        p->SetInitialMarking(marking);
        p->SetMarking(marking);
        return static_cast<TPlatz*>(object_.Net().Add(std::move(p)));
    }

    TTransition* Trans(const std::string& name, const std::string& function, bool continuous = false,
                       int priority = 1) {
        auto t = std::make_unique<TTransition>(&object_.Variables());
        t->name = name;
        t->continuous = continuous ? 1 : 0;
        t->priority = priority;
        t->SetFunctionText(function);
        return static_cast<TTransition*>(object_.Net().Add(std::move(t)));
    }

    TEdge* Arc(TGraphItem* from, TGraphItem* to, const std::string& weight = "1",
               std::uint8_t arcKind = akNormal, std::uint8_t connectionKind = 0) {
        auto e = std::make_unique<TEdge>(&object_.Variables());
        e->SetWeightText(weight);
        e->arcKind = arcKind;
        e->connectionKind = connectionKind;
        e->SetSource(from);
        e->SetTarget(to);
        from->OutEdgeList.push_back(e.get());
        to->InEdgeList.push_back(e.get());
        return static_cast<TEdge*>(object_.Net().Add(std::move(e)));
    }

private:
    TPNObjekt& object_;
};

} // namespace qz::test
