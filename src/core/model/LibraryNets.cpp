#include "model/LibraryNets.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>

#include "model/ExampleNets.h"
#include "model/ObjectLibrary.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "model/storage/NetFile.h"
#include "settings/SampleTime.h"

namespace qz::examples {

namespace {

// Transitions drawn as upright bars: parts and quantities flow across them
// from left to right.
constexpr bool kUpright = false;
constexpr std::uint8_t kRight = 1;

// Gives an arc (if it was made) its bend points.
TEdge* Bend(TEdge* arc, std::vector<TPunkt> points) {
    if (!arc) return nullptr;
    arc->bendPoints = std::move(points);
    arc->geometryValid = 0;
    return arc;
}

TPlatz* Published(TPlatz* p) {
    p->SetInterfaceFlag(1);
    return p;
}

TPlatz* Bounded(TPlatz* p, long double capacity) {
    p->capacity = capacity;
    return p;
}

// Names the class and gives it its class description.
void Describe(TPNObjekt& cls, const char* name, std::vector<std::string> lines) {
    cls.SetObjectName(name);
    cls.Frame().SetCaption(name);
    cls.Frame().description = std::move(lines);
}

// Puts the interface places named on the right strip of `frame`.
void ToRight(TObjectFrame& frame, std::initializer_list<const char*> variables) {
    for (const char* v : variables) {
        if (TInterfacePlace* ip = frame.FindInterfacePlace(v)) ip->side = kRight;
    }
    frame.LayoutInterface();
}

// An instance of `cls` named `name` in the rectangle `r` of the root's net,
// its interface places named in `right` on the right strip.
TPNObjekt* PlaceInstance(TPNObjekt& root, const char* name, const char* cls, const TRect& r,
                         std::initializer_list<const char*> right) {
    TPNObjekt* o = root.AddChildObject(name, cls, r.left, r.top);
    if (!o) return nullptr;
    o->Frame().SetBounds(r);
    o->Frame().SetCaption(o->name);
    ToRight(o->Frame(), right);
    return o;
}

TInterfacePlace* Pin(TPNObjekt* o, const char* variable) {
    return o ? o->Frame().FindInterfacePlace(variable) : nullptr;
}

// An arc drawn between two ends, when both exist (a class missing from the
// library leaves its instance without interface places).
TEdge* Link(TNetList& net, TGraphItem* from, TGraphItem* to, int arcKind = akNormal,
            const std::string& weight = "1") {
    return from && to ? Connect(net, from, to, arcKind, weight) : nullptr;
}

// A project as a new document window starts it.
void NewProject(TPNObjekt& root, const char* name) {
    root.name = name;
    UseNewDocumentSampleTime(root);
}

} // namespace

// ---------------------------------------------------------------- process

void BuildPumpClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    AddLabel(net, 40, 20, "Pump: 2 units per time unit from Inlet to Outlet while On holds a token");
    TPlatz* inlet = Published(AddPlace(net, 80, 100, "Inlet", "inlet", 0, true));
    TTransition* pump = AddTransition(net, 180, 100, "Pumping", "2*HEAV(inlet-2*STime)", true, kUpright);
    TPlatz* outlet = Published(AddPlace(net, 280, 100, "Outlet", "outlet", 0, true));
    TPlatz* on = Published(AddPlace(net, 180, 190, "On", "on", 1));
    Connect(net, inlet, pump);
    Connect(net, pump, outlet);
    Connect(net, on, pump, akTest);
    Describe(cls, "Pump",
             {"Pump",
             "Moves a continuous quantity from Inlet to Outlet at 2 units per time "
             "unit while the discrete place On holds a token. It stops while Inlet "
             "holds less than one step's delivery, so the place it draws from does "
             "not go below zero.",
             "Interface: inlet (fuse the place to draw from), outlet (fuse the "
             "place to fill), on (1 = running, 0 = stopped; switch it from outside "
             "through transition arcs, or set its start value).",
             "Change the rate in the speed of Pumping: rate*HEAV(inlet-rate*STime)."});
    ToRight(cls.Frame(), {"outlet"});
}

void BuildControlledPumpClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    if (!cls.SetInherited("Pump")) return;
    TObjectFrame& base = cls.Base()->Frame();
    base.SetBounds({40, 70, 260, 200});
    ToRight(base, {"outlet", "on"});
    AddLabel(net, 40, 10, "ControlledPump: a Pump with a two-point level control|"
                          "off when Level reaches 8, on again when it falls below 3");
    TTransition* stop = AddTransition(net, 360, 100, "Stop", "0", false, kUpright);
    TPlatz* level = Published(AddPlace(net, 360, 190, "Level", "level", 0, true));
    TTransition* start = AddTransition(net, 360, 280, "Start", "0", false, kUpright);
    TPlatz* off = AddPlace(net, 480, 190, "Off", "off");
    Link(net, Pin(cls.Base(), "on"), stop);
    Bend(Connect(net, stop, off), {{480, 100}});
    Bend(Connect(net, off, start), {{480, 280}});
    Bend(Link(net, start, Pin(cls.Base(), "on")), {{290, 280}});
    Connect(net, level, stop, akTest, "8");
    Connect(net, level, start, akInhibitor, "3");
    Describe(cls, "ControlledPump",
             {"ControlledPump (inherits Pump)",
             "A Pump switched by a two-point controller that watches Level: Stop "
             "takes the On token when Level reaches 8, Start gives it back when "
             "Level falls below 3. Between the two the pump keeps its state, so it "
             "does not chatter around one threshold.",
             "Interface: level (fuse it from the level to control, e.g. a Tank's "
             "level) and those of Pump: inlet, outlet, on. "
             "The thresholds are the weights of the test arc (8) and of the "
             "inhibitor arc (3) from Level."});
    ToRight(cls.Frame(), {"outlet"});
}

void BuildValveClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    AddLabel(net, 40, 20, "Valve: outflow 0.2 * Inlet per time unit while Open holds a token");
    TPlatz* inlet = Published(AddPlace(net, 80, 100, "Inlet", "inlet", 0, true));
    TTransition* flow = AddTransition(net, 180, 100, "Flow", "0.2*inlet", true, kUpright);
    TPlatz* outlet = Published(AddPlace(net, 280, 100, "Outlet", "outlet", 0, true));
    TPlatz* open = Published(AddPlace(net, 180, 190, "Open", "open", 1));
    Connect(net, inlet, flow);
    Connect(net, flow, outlet);
    Connect(net, open, flow, akTest);
    Describe(cls, "Valve",
             {"Valve",
             "Lets a continuous quantity run from Inlet to Outlet while the "
             "discrete place Open holds a token. The flow is 0.2 times the inlet "
             "per time unit, as the outflow of a tank through an open pipe: it "
             "falls with the level and never empties the inlet below zero.",
             "Interface: inlet (fuse the level to drain), outlet (fuse the place "
             "to fill), open (1 = open, 0 = closed).",
             "Change the opening in the speed of Flow."});
    ToRight(cls.Frame(), {"outlet"});
}

// ------------------------------------------------------------- production

void BuildSourceClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    AddLabel(net, 40, 20, "Source: a new part every 1 to 3 time units, while Out is free");
    TTransition* create = AddTransition(net, 100, 100, "Create", "1+RND(2)", false, kUpright);
    TPlatz* out = Published(Bounded(AddPlace(net, 200, 100, "Out", "out"), 1));
    TPlatz* created = Published(AddPlace(net, 200, 190, "Created", "created"));
    Connect(net, create, out);
    Bend(Connect(net, create, created), {{100, 190}});
    Describe(cls, "Source",
             {"Source",
             "Creates parts: Create puts a part into Out every 1 to 3 time units "
             "(drawn anew for each part). Out holds one part; while it is not "
             "taken the source is blocked and creates nothing.",
             "Interface: out (fuse it to the in place of the next object), "
             "created (the number of parts made so far).",
             "Change the time between parts in the firing time of Create."});
    ToRight(cls.Frame(), {"out", "created"});
}

void BuildSinkClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    AddLabel(net, 40, 20, "Sink: takes every part that arrives and counts it");
    TPlatz* in = Published(AddPlace(net, 80, 100, "In", "in"));
    TTransition* consume = AddTransition(net, 180, 100, "Consume", "0", false, kUpright);
    TPlatz* consumed = Published(AddPlace(net, 280, 100, "Consumed", "consumed"));
    Connect(net, in, consume);
    Connect(net, consume, consumed);
    Describe(cls, "Sink",
             {"Sink",
             "The end of a line: every part that arrives in In is taken at once "
             "and counted in Consumed.",
             "Interface: in (fuse the out place of the object before it to it), "
             "consumed (the parts taken so far)."});
    ToRight(cls.Frame(), {"consumed"});
}

void BuildCounterClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    AddLabel(net, 40, 20, "Counter: passes parts on from In to Out and counts them");
    TPlatz* in = Published(AddPlace(net, 80, 100, "In", "in"));
    TTransition* count = AddTransition(net, 180, 100, "Count", "0", false, kUpright);
    TPlatz* out = Published(Bounded(AddPlace(net, 280, 100, "Out", "out"), 1));
    TPlatz* total = Published(AddPlace(net, 280, 190, "Total", "total"));
    Connect(net, in, count);
    Connect(net, count, out);
    Bend(Connect(net, count, total), {{180, 190}});
    Describe(cls, "Counter",
             {"Counter",
             "Put between two objects of a line: passes each part from In to Out "
             "at once and adds one to Total. Out holds one part; while it is not "
             "taken, parts wait in In.",
             "Interface: in, out, total (the parts counted so far)."});
    ToRight(cls.Frame(), {"out", "total"});
}

void BuildBufferClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    AddLabel(net, 40, 20, "Buffer: stores at most 5 parts (the capacity of Store)");
    TPlatz* in = Published(AddPlace(net, 80, 100, "In", "in"));
    TTransition* accept = AddTransition(net, 160, 100, "Accept", "0", false, kUpright);
    TPlatz* store = Published(Bounded(AddPlace(net, 240, 100, "Store", "stock"), 5));
    TTransition* release = AddTransition(net, 320, 100, "Release", "0", false, kUpright);
    TPlatz* out = Published(Bounded(AddPlace(net, 400, 100, "Out", "out"), 1));
    Connect(net, in, accept);
    Connect(net, accept, store);
    Connect(net, store, release);
    Connect(net, release, out);
    Describe(cls, "Buffer",
             {"Buffer",
             "A bounded store between two objects of a line. Accept moves arriving "
             "parts from In into Store while Store holds fewer than 5 (its "
             "capacity); when it is full, the part waits in In and blocks the "
             "object before the buffer. Release hands the oldest waiting part on "
             "to Out as soon as Out is free.",
             "Interface: in, out, stock (the parts in Store).",
             "Change the size in the capacity of Store."});
    ToRight(cls.Frame(), {"out"});
}

void BuildMachineClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    AddLabel(net, 40, 10, "Machine: takes a part when idle, processes it for 1,2 time units|"
                          "and puts it into Out; works only while Ready holds a token");
    TPlatz* in = Published(AddPlace(net, 80, 130, "In", "in"));
    TPlatz* idle = AddPlace(net, 180, 70, "Idle", "idle", 1);
    TTransition* start = AddTransition(net, 180, 130, "Start", "0", false, kUpright);
    TPlatz* out = Published(Bounded(AddPlace(net, 480, 130, "Out", "out"), 1));
    TPlatz* busy = Published(AddPlace(net, 280, 130, "Busy", "busy"));
    TTransition* finish = AddTransition(net, 380, 130, "Finish", "1,2", false, kUpright);
    TPlatz* ready = Published(AddPlace(net, 280, 230, "Ready", "ready", 1));
    Connect(net, in, start);
    Connect(net, idle, start);
    Connect(net, start, busy);
    Connect(net, busy, finish);
    Connect(net, finish, out);
    Bend(Connect(net, finish, idle), {{380, 70}});
    Bend(Connect(net, ready, start, akTest), {{180, 230}});
    Bend(Connect(net, ready, finish, akTest), {{380, 230}});
    Describe(cls, "Machine",
             {"Machine",
             "Processes one part at a time. When Idle, Start takes a part from In "
             "and the machine is Busy; after the processing time of 1,2 time units "
             "Finish puts the part into Out and the machine is idle again. Out "
             "holds one part: while it is not taken the machine is blocked with "
             "the finished part.",
             "Start and Finish read Ready: a machine whose Ready token is taken "
             "stops (a part in process starts over when it comes back). Classes "
             "derived from Machine use it for breakdowns, shifts or set-ups.",
             "Interface: in, out, busy (1 while a part is processed), ready.",
             "Change the processing time in the firing time of Finish."});
    ToRight(cls.Frame(), {"out", "busy"});
}

void BuildMachineWithBreakdownsClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    if (!cls.SetInherited("Machine")) return;
    TObjectFrame& base = cls.Base()->Frame();
    base.SetBounds({40, 70, 220, 210});
    ToRight(base, {"out", "busy", "ready"});
    AddLabel(net, 40, 10, "MachineWithBreakdowns: a Machine that fails after 30 to 70 time|"
                          "units of being ready and is repaired in 10 to 20 time units");
    TInterfacePlace* ready = Pin(cls.Base(), "ready");
    const int y = ready ? ready->bounds.top + ready->sideLength / 2 : 150;
    TTransition* fail = AddTransition(net, 320, y, "Fail", "30+RND(40)", false, kUpright);
    TPlatz* down = Published(AddPlace(net, 440, y, "Down", "down"));
    TPlatz* failures = Published(AddPlace(net, 440, 80, "Failures", "failures"));
    TTransition* repair = AddTransition(net, 320, 250, "Repair", "10+RND(10)", false, kUpright);
    Link(net, ready, fail);
    Connect(net, fail, down);
    Bend(Connect(net, fail, failures), {{320, 80}});
    Bend(Connect(net, down, repair), {{440, 250}});
    Bend(Link(net, repair, ready), {{260, 250}});
    Describe(cls, "MachineWithBreakdowns",
             {"MachineWithBreakdowns (inherits Machine)",
             "A Machine that breaks down. Fail takes the machine's Ready token "
             "after 30 to 70 time units (drawn anew each time) and marks it Down; "
             "Repair gives the token back after 10 to 20 time units. While it is "
             "down the machine starts no part, and the part in process is "
             "processed again from the start after the repair.",
             "Interface: down (1 while broken), failures (the breakdowns so far) "
             "and those of Machine: in, out, busy, ready.",
             "Change the times in the firing times of Fail and Repair."});
    ToRight(cls.Frame(), {"out", "busy"});
}

void BuildConveyorClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    AddLabel(net, 40, 20, "Conveyor: parts travel over three places of belt, one time unit each;|"
                          "they queue up on the belt when Out is not taken");
    TPlatz* in = Published(AddPlace(net, 60, 110, "In", "in"));
    TTransition* load = AddTransition(net, 130, 110, "Load", "0", false, kUpright);
    Connect(net, in, load);
    TGraphItem* previous = load;
    const char* names[] = {"Belt1", "Belt2", "Belt3"};
    const char* variables[] = {"belt1", "belt2", "belt3"};
    const char* moves[] = {"Move1", "Move2", "Move3"};
    for (int i = 0; i < 3; ++i) {
        TPlatz* belt = Bounded(AddPlace(net, 200 + 140 * i, 110, names[i], variables[i]), 1);
        Connect(net, previous, belt);
        TTransition* move = AddTransition(net, 270 + 140 * i, 110, moves[i], "1", false, kUpright);
        Connect(net, belt, move);
        previous = move;
    }
    TPlatz* out = Published(Bounded(AddPlace(net, 620, 110, "Out", "out"), 1));
    Connect(net, previous, out);
    Describe(cls, "Conveyor",
             {"Conveyor",
             "Transports parts from In to Out in 3 time units: Load puts a part on "
             "the first place of belt as soon as it is free, and each Move carries "
             "it one place on after one time unit. Every place of belt holds one "
             "part, so parts keep their distance, and when Out is not taken they "
             "queue up on the belt until the belt is full and In waits.",
             "Interface: in, out.",
             "Change the speed in the firing times of Move1 to Move3."});
    ToRight(cls.Frame(), {"out"});
}

// ---------------------------------------------------------------- projects

void BuildProductionLine(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewProject(root, "ProductionLine");
    AddLabel(net, 20, 10, "Production line: Source -> Buffer -> Machine with breakdowns -> Conveyor -> Counter -> Sink");
    AddLabel(net, 20, 30, "Each object hands its parts on through a fusion of its out place with the in place of the next.");
    const int top = 70, bottom = 240;
    TPNObjekt* source = PlaceInstance(root, "Source_1", "Source", {20, top, 150, bottom}, {"out", "created"});
    TPNObjekt* buffer = PlaceInstance(root, "Buffer_1", "Buffer", {190, top, 360, bottom}, {"out"});
    TPNObjekt* machine = PlaceInstance(root, "Machine_1", "MachineWithBreakdowns", {400, top, 620, bottom},
                                       {"out", "busy"});
    TPNObjekt* conveyor = PlaceInstance(root, "Conveyor_1", "Conveyor", {660, top, 850, bottom}, {"out"});
    TPNObjekt* counter = PlaceInstance(root, "Counter_1", "Counter", {890, top, 1070, bottom}, {"out", "total"});
    TPNObjekt* sink = PlaceInstance(root, "Sink_1", "Sink", {1110, top, 1280, bottom}, {"consumed"});
    Link(net, Pin(source, "out"), Pin(buffer, "in"));
    Link(net, Pin(buffer, "out"), Pin(machine, "in"));
    Link(net, Pin(machine, "out"), Pin(conveyor, "in"));
    Link(net, Pin(conveyor, "out"), Pin(counter, "in"));
    Link(net, Pin(counter, "out"), Pin(sink, "in"));
    AddLabel(net, 20, 270, "Watch stock: while Machine_1 is down the buffer fills up to its capacity of 5,|"
                           "then Source_1 is blocked; after the repair the machine works the buffer off.");
    AddLabel(net, 20, 310, "Counter_1.total counts what reaches Sink_1; compare it with Source_1.created.|"
                           "Open a diagram of Buffer_1.stock or Machine_1.down from the frame's popup menu.");
    net.SetShowValues(true);
}

void BuildProcessPlant(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewProject(root, "ProcessPlant");
    AddLabel(net, 20, 10, "Process plant: a controlled pump fills Tank_1, which drains through Valve_1 into Tank_2;");
    AddLabel(net, 20, 28, "Valve_2 drains Tank_2, and what is drained flows back to the reservoir.");
    const int top = 90, bottom = 210;
    TPlatz* reservoir = AddPlace(net, 95, 135, "Reservoir", "reservoir", 30, true);
    reservoir->SetSizeClass(3);
    TPNObjekt* pump = PlaceInstance(root, "Pump_1", "ControlledPump", {135, top, 345, bottom}, {"outlet", "level"});
    TPNObjekt* tank1 = PlaceInstance(root, "Tank_1", "Tank", {395, top, 565, bottom}, {"alarm"});
    TPNObjekt* valve1 = PlaceInstance(root, "Valve_1", "Valve", {615, top, 815, bottom}, {"outlet"});
    TPNObjekt* tank2 = PlaceInstance(root, "Tank_2", "Tank", {865, top, 1035, bottom}, {"alarm"});
    TPNObjekt* valve2 = PlaceInstance(root, "Valve_2", "Valve", {1085, top, 1285, bottom}, {"outlet"});
    TPlatz* drain = AddPlace(net, 1335, 135, "Drain", "drained", 0, true);
    drain->SetSizeClass(3);
    TTransition* back = AddTransition(net, 715, 280, "Return", "0.5*drained", true);

    Link(net, reservoir, Pin(pump, "inlet"));
    Link(net, Pin(pump, "outlet"), Pin(tank1, "level"));
    // A tank's level leaves over the top of its frame for the valve after it.
    Bend(Link(net, Pin(tank1, "level"), Pin(valve1, "inlet")), {{380, 70}, {600, 70}});
    Link(net, Pin(valve1, "outlet"), Pin(tank2, "level"));
    Bend(Link(net, Pin(tank2, "level"), Pin(valve2, "inlet")), {{850, 70}, {1070, 70}});
    Link(net, Pin(valve2, "outlet"), drain);
    // The pump watches the level of the tank it fills.
    if (TInterfacePlace* sensor = Pin(pump, "level")) {
        Bend(Link(net, Pin(tank1, "level"), sensor), {{370, sensor->bounds.top + sensor->sideLength / 2}});
    }
    Bend(Connect(net, drain, back), {{1335, 280}});
    Bend(Connect(net, back, reservoir), {{95, 280}});
    AddLabel(net, 20, 320, "Watch Tank_1.level swing between 3 and 8 as Pump_1 switches off and on;|"
                           "Tank_2 follows more smoothly. No tank reaches 10, so no alarm is raised.");
    AddLabel(net, 20, 360, "Close a valve: choose its open place on the frame, \"Set Initial Value\" 0, and see the tank before it rise.");
    net.SetShowValues(true);
}

void BuildBottling(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewProject(root, "Bottling");
    AddLabel(net, 20, 10, "Bottling: empty bottles come from Bottles through Buffer_1 to the Filler (a Machine);");
    AddLabel(net, 20, 30, "Fill takes each bottle with 0,5 units of drink from Tank_1, which a controlled pump refills.");
    TPNObjekt* bottles = PlaceInstance(root, "Bottles", "Source", {20, 70, 150, 190}, {"out", "created"});
    TPNObjekt* buffer = PlaceInstance(root, "Buffer_1", "Buffer", {190, 70, 360, 190}, {"out"});
    TPNObjekt* filler = PlaceInstance(root, "Filler", "Machine", {400, 70, 590, 190}, {"out", "busy"});
    TPNObjekt* counter = PlaceInstance(root, "Filled", "Counter", {720, 70, 900, 190}, {"out", "total"});
    TPNObjekt* sink = PlaceInstance(root, "Store", "Sink", {940, 70, 1110, 190}, {"consumed"});
    TPlatz* reservoir = AddPlace(net, 270, 315, "Reservoir", "reservoir", 40, true);
    reservoir->SetSizeClass(3);
    TPNObjekt* pump = PlaceInstance(root, "Pump_1", "ControlledPump", {320, 270, 530, 390}, {"outlet", "level"});
    TPNObjekt* tank = PlaceInstance(root, "Tank_1", "Tank", {590, 270, 760, 390}, {"alarm"});
    TInterfacePlace* out = Pin(filler, "out");
    TTransition* fill = AddTransition(net, 650, out ? out->bounds.top + out->sideLength / 2 : 130, "Fill", "0",
                                      false, kUpright);

    Link(net, Pin(bottles, "out"), Pin(buffer, "in"));
    Link(net, Pin(buffer, "out"), Pin(filler, "in"));
    Link(net, out, fill);
    Bend(Link(net, Pin(tank, "level"), fill, akNormal, "0,5"), {{575, 250}});
    Link(net, fill, Pin(counter, "in"));
    Link(net, Pin(counter, "out"), Pin(sink, "in"));
    Link(net, reservoir, Pin(pump, "inlet"));
    Link(net, Pin(pump, "outlet"), Pin(tank, "level"));
    if (TInterfacePlace* sensor = Pin(pump, "level")) {
        Bend(Link(net, Pin(tank, "level"), sensor), {{560, sensor->bounds.top + sensor->sideLength / 2}});
    }
    AddLabel(net, 20, 420, "A discrete transition takes a continuous quantity: Fill waits until Tank_1 holds 0,5,|"
                           "and meanwhile the Filler is blocked with its bottle. Filled.total counts the bottles.");
    AddLabel(net, 20, 460, "The reservoir holds drink for 80 bottles. When it runs dry the line stops from its end back:|"
                           "Tank_1 empties, the Filler waits, Buffer_1 fills up to 5 and then the Bottles are blocked.");
    net.SetShowValues(true);
}

// ----------------------------------------------------------------- library

const std::vector<LibraryClass>& LibraryClasses() {
    static const std::vector<LibraryClass> classes = {
        {kTankClass, kEmptyObject, BuildTankClass},
        {"Pump", kEmptyObject, BuildPumpClass},
        {"ControlledPump", "Pump", BuildControlledPumpClass},
        {"Valve", kEmptyObject, BuildValveClass},
        {"Source", kEmptyObject, BuildSourceClass},
        {"Sink", kEmptyObject, BuildSinkClass},
        {"Counter", kEmptyObject, BuildCounterClass},
        {"Buffer", kEmptyObject, BuildBufferClass},
        {"Machine", kEmptyObject, BuildMachineClass},
        {"MachineWithBreakdowns", "Machine", BuildMachineWithBreakdownsClass},
        {"Conveyor", kEmptyObject, BuildConveyorClass},
    };
    return classes;
}

const std::vector<LibraryProject>& LibraryProjects() {
    static const std::vector<LibraryProject> projects = {
        {"ProductionLine", BuildProductionLine},
        {"ProcessPlant", BuildProcessPlant},
        {"Bottling", BuildBottling},
    };
    return projects;
}

bool WriteLibrary(const std::string& dir, std::vector<std::string>& written, std::string& error) {
    namespace stdfs = std::filesystem;
    const stdfs::path root = dir;
    std::error_code ec;
    for (const char* sub : {kObjectsDirectory, "Data"}) {
        stdfs::create_directories(root / sub, ec);
        if (ec) {
            error = "cannot create \"" + (root / sub).string() + "\": " + ec.message();
            return false;
        }
    }
    auto save = [&](TPNObjekt& net, const std::string& path) {
        if (!SaveNetFile(net, path, &error)) {
            error = "cannot write \"" + path + "\": " + error;
            return false;
        }
        written.push_back(path);
        return true;
    };
    TObjectLibrary& library = ObjectLibrary();
    for (const LibraryClass& c : LibraryClasses()) {
        const std::string path = (root / kObjectsDirectory / (std::string(c.name) + ".pn")).string();
        TPNObjekt cls;
        c.build(cls);
        if (!save(cls, path)) return false;
        const int at = library.IndexOf(c.name);
        if (at >= 0 && static_cast<std::size_t>(at) < library.files.size()) {
            library.files[static_cast<std::size_t>(at)] = path;
        } else {
            library.names.push_back(c.name);
            library.files.push_back(path);
            library.hierarchy.push_back(std::string(c.name) + ";" + c.base);
        }
    }
    for (const LibraryProject& p : LibraryProjects()) {
        TPNObjekt project;
        p.build(project);
        if (!save(project, (root / "Data" / (std::string(p.name) + ".pn")).string())) return false;
    }
    return true;
}

} // namespace qz::examples
