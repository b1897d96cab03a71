#include "model/ExampleNets.h"

#include <memory>

#include "model/FusionRules.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "settings/SampleTime.h"

namespace qz::examples {

TPlatz* AddPlace(TNetList& net, int cx, int cy, const std::string& name, const std::string& variable,
                 double marking, bool continuous) {
    auto p = std::make_unique<TPlatz>();
    p->continuous = continuous ? 1 : 0;
    p->SetBounds({cx - 15, cy - 15, cx + 15, cy + 15});
    p->SetName(name);
    p->SetVariableName(variable);
    p->SetInitialMarking(marking);
    p->SetMarking(marking);
    return static_cast<TPlatz*>(net.Add(std::move(p)));
}

TTransition* AddTransition(TNetList& net, int cx, int cy, const std::string& name,
                           const std::string& function, bool continuous, bool horizontal) {
    auto t = std::make_unique<TTransition>(net.Variables());
    t->continuous = continuous ? 1 : 0;
    t->SetBounds({cx - 15, cy - 6, cx + 15, cy + 6});
    t->SetOrientation(horizontal ? 1 : 0);
    t->SetName(name);
    t->SetFunctionText(function);
    return static_cast<TTransition*>(net.Add(std::move(t)));
}

TEdge* Connect(TNetList& net, TGraphItem* from, TGraphItem* to, int arcKind, const std::string& weight) {
    auto a = std::make_unique<TEdge>(net.Variables());
    a->arcKind = static_cast<std::uint8_t>(arcKind);
    if (weight != "1") a->SetWeightText(weight);
    TEdge* raw = static_cast<TEdge*>(net.Add(std::move(a)));
    JoinArc(*raw, from, to);
    raw->ComputeGeometry();
    return raw;
}

namespace {

// A document as a new window makes it, with the name given: its sample time
// is "100" milliseconds, as every net of a user starts with.
void NewDocument(TPNObjekt& root, const char* name) {
    root.name = name;
    UseNewDocumentSampleTime(root);
}

// prefix + number, built by appending (GCC 12 misreports "P" + to_string).
std::string Numbered(const char* prefix, int n) {
    std::string s = prefix;
    s += std::to_string(n);
    return s;
}

void AddShape(TNetList& net, const TRect& r, std::uint8_t kind, std::uint8_t style = 0) {
    auto s = std::make_unique<TObjekt>();
    s->SetBounds(r);
    s->penStyle = style;
    s->SetShapeKind(kind);
    TGraphItem* raw = net.Add(std::move(s));
    net.SendToBack(raw);
}

} // namespace

void BuildElementKinds(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewDocument(root, "ElementKinds");
    AddLabel(net, 40, 10, "Every kind of element|tokens, markings, arcs and shapes");
    AddShape(net, {20, 60, 700, 200}, 1);
    AddShape(net, {20, 220, 700, 420}, 0, 1);
    AddShape(net, {360, 430, 363, 520}, 2);
    AddShape(net, {20, 530, 700, 533}, 3);

    const double tokens[] = {0, 1, 2, 3, 4, 7};
    TPlatz* places[6];
    for (int i = 0; i < 6; ++i) {
        places[i] = AddPlace(net, 80 + 110 * i, 110, Numbered("P", i + 1),
                             Numbered("m", i + 1), tokens[i]);
    }
    TPlatz* bounded = AddPlace(net, 80, 300, "Bounded", "b", 2);
    bounded->capacity = 10;
    bounded->showValues = 0;
    TPlatz* level = AddPlace(net, 300, 300, "Level", "x", 2.5, true);
    level->SetSizeClass(3);

    TTransition* immediate = AddTransition(net, 80, 170, "Immediate");
    TTransition* timed = AddTransition(net, 190, 170, "Timed", "2,5");
    TTransition* stepwise = AddTransition(net, 300, 170, "Stepwise", "-1");
    // Prio only reads its place: with a firing time it fires once a time
    // unit instead of for ever at one instant.
    TTransition* prio = AddTransition(net, 410, 170, "Prio", "1");
    prio->priority = 3;
    TTransition* reserve = AddTransition(net, 520, 170, "Reserve", "2");
    reserve->reservation = 1;
    TTransition* vertical = AddTransition(net, 190, 300, "Vertical", "0", false, false);
    TTransition* flow = AddTransition(net, 450, 300, "Flow", "0.5*x", true);
    flow->SetSizeClass(3);

    Connect(net, places[0], immediate);
    Connect(net, places[1], timed);
    Connect(net, places[2], stepwise, akInhibitor);
    Connect(net, places[3], prio, akTest);
    Connect(net, places[4], reserve, akNormal, "2");
    Connect(net, bounded, vertical);
    Connect(net, vertical, level, akNormal, "1,5");
    Connect(net, level, flow);
    // A continuous transition puts only into continuous places.
    TPlatz* collected = AddPlace(net, 640, 360, "Collected", "y", 0, true);
    TEdge* bent = Connect(net, flow, collected, akNormal, "3");
    bent->bendPoints = {{540, 250}, {640, 250}};
    bent->geometryValid = 0;
    TEdge* back = Connect(net, immediate, bounded);
    back->bendPoints = {{80, 240}};
    back->geometryValid = 0;

    net.SetShowValues(true);
    bounded->showValues = 0;
}

void BuildHybrid(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewDocument(root, "Hybrid");
    AddLabel(net, 20, 10, "Tank with a switched pump");
    TPlatz* tank = AddPlace(net, 260, 160, "Tank", "level", 4, true);
    tank->SetSizeClass(4);
    TPlatz* supply = AddPlace(net, 80, 160, "Supply", "supply", 100, true);
    TPlatz* drain = AddPlace(net, 440, 160, "Drain", "drained", 0, true);
    TPlatz* pumpOn = AddPlace(net, 170, 300, "PumpOn", "on", 1);
    TPlatz* pumpOff = AddPlace(net, 350, 300, "PumpOff", "off", 0);

    TTransition* fill = AddTransition(net, 170, 160, "Fill", "2", true, false);
    TTransition* empty = AddTransition(net, 350, 160, "Empty", "0.1*level", true, false);
    TTransition* stop = AddTransition(net, 260, 250, "Stop", "0");
    TTransition* start = AddTransition(net, 260, 380, "Start", "5");

    Connect(net, supply, fill);
    Connect(net, fill, tank);
    Connect(net, tank, empty);
    Connect(net, empty, drain);
    Connect(net, pumpOn, fill, akTest);
    Connect(net, pumpOn, stop);
    Connect(net, stop, pumpOff);
    Connect(net, pumpOff, start);
    Connect(net, start, pumpOn);
    // What drains flows back to the supply: the plant runs for ever.
    TTransition* back = AddTransition(net, 260, 60, "Return", "0.05*drained", true);
    TEdge* up = Connect(net, drain, back);
    up->bendPoints = {{440, 60}};
    up->geometryValid = 0;
    TEdge* down = Connect(net, back, supply);
    down->bendPoints = {{80, 60}};
    down->geometryValid = 0;
    Connect(net, tank, stop, akTest, "8");
    TEdge* low = Connect(net, tank, start, akInhibitor, "2");
    low->bendPoints = {{520, 220}, {520, 380}};
    low->geometryValid = 0;
    net.SetShowValues(true);
}

void BuildProducerConsumer(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewDocument(root, "ProducerConsumer");
    TPlatz* ready = AddPlace(net, 60, 80, "Ready", "ready", 1);
    TPlatz* produced = AddPlace(net, 60, 220, "Produced", "produced");
    TPlatz* buffer = AddPlace(net, 240, 150, "Buffer", "buffer", 2);
    buffer->capacity = 5;
    TPlatz* free = AddPlace(net, 240, 300, "Free", "free", 3);
    TPlatz* waiting = AddPlace(net, 420, 80, "Waiting", "waiting", 1);
    TPlatz* consumed = AddPlace(net, 420, 220, "Consumed", "consumed");

    TTransition* produce = AddTransition(net, 10, 150, "Produce", "1", false, false);
    TTransition* deliver = AddTransition(net, 130, 150, "Deliver", "0", false, false);
    TTransition* take = AddTransition(net, 350, 150, "Take", "0", false, false);
    TTransition* consume = AddTransition(net, 470, 150, "Consume", "2", false, false);
    take->priority = 2;

    Connect(net, ready, produce);
    Connect(net, produce, produced);
    Connect(net, produced, deliver);
    Connect(net, deliver, ready);
    Connect(net, deliver, buffer);
    Connect(net, free, deliver);
    Connect(net, buffer, take);
    Connect(net, take, free);
    Connect(net, waiting, take);
    Connect(net, take, consumed);
    Connect(net, consumed, consume);
    Connect(net, consume, waiting);
}

void BuildTankClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    cls.name = kTankClass;
    TPlatz* level = AddPlace(net, 100, 100, "Level", "level", 0, true);
    TPlatz* alarm = AddPlace(net, 260, 100, "Alarm", "alarm");
    TTransition* overflow = AddTransition(net, 180, 100, "Overflow", "0");
    Connect(net, level, overflow, akTest, "10");
    Connect(net, overflow, alarm);
    Connect(net, alarm, overflow, akInhibitor);
    level->SetInterfaceFlag(1);
    alarm->SetInterfaceFlag(1);
    cls.Frame().SetCaption(kTankClass);
    cls.Frame().description = {
        "Tank",
        "Holds a continuous Level. When the level reaches 10, Overflow raises "
        "the discrete Alarm once; the alarm stays until the net is initialised.",
        "Interface: level (fill and drain it by fusing it with the outlet of a "
        "pump or valve and the inlet of the next, or by transition arcs), "
        "alarm (1 after an overflow).",
        "Change the alarm level in the weight of the test arc to Overflow."};
}

void BuildPlant(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewDocument(root, "Plant");
    TPlatz* source = AddPlace(net, 60, 120, "Source", "source", 50, true);
    TTransition* feed = AddTransition(net, 150, 120, "Feed", "1", true);
    TPNObjekt* first = root.AddChildObject("Tank_1", kTankClass, 220, 60);
    TPNObjekt* second = root.AddChildObject("Tank_2", kTankClass, 480, 60);
    if (!first || !second) return;
    for (TPNObjekt* o : {first, second}) {
        const TRect b = o->Frame().bounds;
        o->Frame().SetBounds({b.left, b.top, b.left + 160, b.top + 110});
        o->Frame().SetCaption(o->name);
    }
    Connect(net, source, feed);
    // Tank_1 is filled by Feed and reports its alarm on the right; Tank_2
    // shares its level with the outer place Reserve.
    TInterfacePlace* level1 = first->Frame().FindInterfacePlace("level");
    TInterfacePlace* alarm1 = first->Frame().FindInterfacePlace("alarm");
    TInterfacePlace* level2 = second->Frame().FindInterfacePlace("level");
    if (level1) Connect(net, feed, level1);
    if (alarm1) {
        alarm1->side = 1;
        first->Frame().LayoutInterface();
        // The alarm is reported once: Report reads it and is held by its
        // own report.
        TTransition* report = AddTransition(net, 430, 240, "Report", "0");
        Connect(net, alarm1, report, akTest);
        TPlatz* reported = AddPlace(net, 430, 330, "Reported", "reported");
        Connect(net, report, reported);
        TEdge* once = Connect(net, reported, report, akInhibitor);
        once->bendPoints = {{480, 330}, {480, 240}};
        once->geometryValid = 0;
    }
    if (level2) {
        TPlatz* reserve = AddPlace(net, 600, 260, "Reserve", "reserve", 20, true);
        Connect(net, reserve, level2);
    }
    // The source stops the feed when it runs dry instead of going negative.
    root.enhancedFiringRule = 1;
    net.SetShowValues(true);
}

void BuildLargeNet(TPNObjekt& root, int elements) {
    TNetList& net = root.Net();
    NewDocument(root, "Large");
    // Rows of place -> transition -> place ..., each node followed by its arc.
    const int perRow = 40;
    int count = 0, column = 0, row = 0, serial = 0;
    TGraphItem* previous = nullptr;
    while (count < elements) {
        const int x = 40 + column * 60, y = 40 + row * 70;
        TGraphItem* node;
        if (column % 2 == 0) {
            node = AddPlace(net, x, y, Numbered("P", serial), Numbered("m", serial), serial % 5);
        } else {
            node = AddTransition(net, x, y, Numbered("T", serial));
        }
        ++serial;
        ++count;
        if (previous && count < elements) {
            Connect(net, previous, node);
            ++count;
        }
        previous = node;
        if (++column == perRow) {
            column = 0;
            ++row;
            previous = nullptr;
        }
    }
    net.SetShowValues(true);
}

void AddLabel(TNetList& net, int x, int y, const std::string& text) {
    auto l = std::make_unique<TSchriftObjekt>();
    l->bounds = {x, y, x, y};
    l->SetText(text);
    l->visible = 1;
    net.Add(std::move(l));
}

} // namespace qz::examples
