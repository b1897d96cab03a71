#include "model/TutorialNets.h"

#include <initializer_list>
#include <memory>
#include <string>

#include "model/ExampleNets.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "platform/Canvas.h"
#include "settings/SampleTime.h"

namespace qz::tutorial {

using examples::AddPlace;
using examples::AddTransition;
using examples::Connect;

namespace {

// Transitions drawn as upright bars, for arcs that run from left to right.
constexpr bool kUpright = false;

// Every lesson starts as a new document: sample time 100 ms.
void NewLesson(TPNObjekt& root, const char* name) {
    root.name = name;
    UseNewDocumentSampleTime(root);
}

TSchriftObjekt* AddText(TNetList& net, int x, int y, std::initializer_list<const char*> lines, int size = 9,
                        std::uint8_t style = 0) {
    std::string text;
    for (const char* line : lines) {
        if (!text.empty()) text += '|';
        text += line;
    }
    auto l = std::make_unique<TSchriftObjekt>();
    l->bounds = {x, y, x, y};
    TFont font;
    font.size = size;
    font.style = style;
    l->SetFont(font);
    l->SetText(text);
    l->visible = 1;
    return static_cast<TSchriftObjekt*>(net.Add(std::move(l)));
}

void Title(TNetList& net, const char* text) { AddText(net, 20, 12, {text}, 12, fsBold); }

// A dashed box behind a part of the net.
void Box(TNetList& net, const TRect& r) {
    auto s = std::make_unique<TObjekt>();
    s->SetBounds(r);
    s->penStyle = 1;
    s->SetShapeKind(0);
    TGraphItem* raw = net.Add(std::move(s));
    net.SendToBack(raw);
}

TEdge* Bent(TNetList& net, TGraphItem* from, TGraphItem* to, std::initializer_list<TPoint> points,
            int arcKind = akNormal, const std::string& weight = "1") {
    TEdge* arc = Connect(net, from, to, arcKind, weight);
    arc->bendPoints.assign(points.begin(), points.end());
    arc->geometryValid = 0;
    return arc;
}

// Places an instance and gives its frame a readable size.
TPNObjekt* Place(TPNObjekt& root, const char* name, const char* cls, const TRect& r) {
    TPNObjekt* o = root.AddChildObject(name, cls, r.left, r.top);
    if (!o) return nullptr;
    o->Frame().SetBounds(r);
    o->Frame().SetCaption(o->name);
    return o;
}

// Puts interface places of a frame on its right strip.
void ToRight(TObjectFrame& frame, std::initializer_list<const char*> variables) {
    for (const char* v : variables) {
        if (TInterfacePlace* ip = frame.FindInterfacePlace(v)) ip->side = 1;
    }
    frame.LayoutInterface();
}

// Draws a lamp's switches around its frame: `up` above it takes the token
// from "off" on the left strip to "on" on the right strip, `down` below it
// brings it back. The arcs run round the frame without crossing.
void SwitchAround(TNetList& net, TObjectFrame& frame, TTransition* up, TTransition* down) {
    TGraphItem* off = frame.FindInterfacePlace("off");
    TGraphItem* on = frame.FindInterfacePlace("on");
    if (!off || !on) return;
    const TRect b = frame.bounds;
    const int offY = off->GetCenter().y, onY = on->GetCenter().y;
    const int upY = up->GetCenter().y, downY = down->GetCenter().y;
    Bent(net, off, up, {{b.left - 30, offY - 10}, {b.left - 30, upY}});
    Bent(net, up, on, {{b.right + 50, upY}, {b.right + 50, onY}});
    Bent(net, on, down, {{b.right + 30, onY + 10}, {b.right + 30, downY}});
    Bent(net, down, off, {{b.left - 50, downY}, {b.left - 50, offY}});
}

// The two-state switch of a controller, drawn below `level`: `onPlace` on
// the left, `offPlace` on the right, `stop` (at `top`) moves the token off
// while `level` holds `high` (test arc), `start` moves it back while `level`
// holds less than `low` (inhibitor arc, drawn round the right of the switch).
// Both fire at once; their firing time 0 is not shown.
void Controller(TNetList& net, TPlatz* level, TPlatz* onPlace, TPlatz* offPlace, TTransition* stop,
                TTransition* start, const char* high, const char* low) {
    const TPoint l = level->GetCenter(), on = onPlace->GetCenter(), off = offPlace->GetCenter();
    const int stopY = stop->GetCenter().y, startY = start->GetCenter().y;
    Bent(net, onPlace, stop, {{on.x, stopY}});
    Bent(net, stop, offPlace, {{off.x, stopY}});
    Bent(net, offPlace, start, {{off.x, startY}});
    Bent(net, start, onPlace, {{on.x, startY}});
    Connect(net, level, stop, akTest, high);
    Bent(net, level, start, {{l.x + 50, stopY - 30}, {off.x + 60, stopY - 30}, {off.x + 60, startY + 40}, {l.x, startY + 40}}, akInhibitor,
         low);
    for (TTransition* t : {stop, start}) t->valueLabel->visible = 0;
}

void ShowValues(TPNObjekt& root) {
    root.Net().SetShowValues(true);
    for (auto& child : root.Net().Children()) child->Frame().SetShowValues(1);
}

// --- Lesson 1 ---------------------------------------------------------------

void BuildDiscreteFiring(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewLesson(root, "T01_DiscreteFiring");
    Title(net, "Lesson 1: discrete firing and conflicts");
    AddText(net, 20, 44,
            {"A transition is enabled when each input place holds at least as many tokens as its arc weight.",
             "Firing takes those tokens and puts new ones into the output places.",
             "1. Press Start (F5) for simulation mode, then > Step in the Simulation window, a few times.",
             "2. Arrive fires every second and puts a token into Queue.",
             "3. ToA and ToB both want that one token: they are in conflict, and a random draw picks one.",
             "    Press >> Run: over a long run DoneA and DoneB each get about half.",
             "4. Below, Urgent has priority 2 (the number in its bar) and Normal priority 1.",
             "    The higher priority always wins the draw: NormalDone stays 0.",
             "5. Stop ends a run, Init Net puts the first markings back."});

    Box(net, {30, 190, 560, 362});
    AddText(net, 40, 196, {"Random draw"}, 9, fsBold);
    TTransition* arrive = AddTransition(net, 90, 275, "Arrive", "1", false, kUpright);
    TPlatz* queue = AddPlace(net, 200, 275, "Queue", "queue");
    TTransition* toA = AddTransition(net, 310, 232, "ToA", "0", false, kUpright);
    TTransition* toB = AddTransition(net, 310, 318, "ToB", "0", false, kUpright);
    TPlatz* doneA = AddPlace(net, 420, 232, "DoneA", "doneA");
    TPlatz* doneB = AddPlace(net, 420, 318, "DoneB", "doneB");
    Connect(net, arrive, queue);
    Connect(net, queue, toA);
    Connect(net, queue, toB);
    Connect(net, toA, doneA);
    Connect(net, toB, doneB);

    Box(net, {30, 382, 560, 552});
    AddText(net, 40, 388, {"Priority"}, 9, fsBold);
    TTransition* arrive2 = AddTransition(net, 90, 467, "Arrive2", "1", false, kUpright);
    TPlatz* job = AddPlace(net, 200, 467, "Job", "job");
    TTransition* urgent = AddTransition(net, 310, 424, "Urgent", "0", false, kUpright);
    urgent->priority = 2;
    TTransition* normal = AddTransition(net, 310, 510, "Normal", "0", false, kUpright);
    TPlatz* urgentDone = AddPlace(net, 420, 424, "UrgentDone", "urgentDone");
    TPlatz* normalDone = AddPlace(net, 420, 510, "NormalDone", "normalDone");
    Connect(net, arrive2, job);
    Connect(net, job, urgent);
    Connect(net, job, normal);
    Connect(net, urgent, urgentDone);
    Connect(net, normal, normalDone);
    net.SetShowValues(true);
}

// --- Lesson 2 ---------------------------------------------------------------

void BuildTimedTransitions(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewLesson(root, "T02_TimedTransitions");
    Title(net, "Lesson 2: timed and reserving transitions");
    AddText(net, 20, 44,
            {"A timed transition fires once it has been enabled for its firing time, in seconds of model time.",
             "With Reservation (the R in its bar) it takes its input tokens when the delay starts",
             "and delivers its output tokens when the delay ends.",
             "1. Press Start (F5), then > Step, and watch Time in the status bar: each step is 0,1 s.",
             "2. Timed leaves the token in WaitingT for 2 s, then moves it in one go at Time 2.",
             "3. Reserving takes a token from WaitingR at once; it shows up in DoneR 2 s later.",
             "    While it holds a token it is busy and starts again only after delivering it.",
             "4. Both finish their three parts at Time 6. Change a firing time in the Property window",
             "    and run again."});

    TPlatz* waitingT = AddPlace(net, 90, 230, "WaitingT", "waitingT", 3);
    TTransition* timed = AddTransition(net, 230, 230, "Timed", "2", false, kUpright);
    TPlatz* doneT = AddPlace(net, 370, 230, "DoneT", "doneT");
    TPlatz* waitingR = AddPlace(net, 90, 330, "WaitingR", "waitingR", 3);
    TTransition* reserving = AddTransition(net, 230, 330, "Reserving", "2", false, kUpright);
    reserving->reservation = 1;
    TPlatz* doneR = AddPlace(net, 370, 330, "DoneR", "doneR");
    Connect(net, waitingT, timed);
    Connect(net, timed, doneT);
    Connect(net, waitingR, reserving);
    Connect(net, reserving, doneR);
    net.SetShowValues(true);
}

// --- Lesson 3 ---------------------------------------------------------------

void BuildContinuousFlow(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewLesson(root, "T03_ContinuousFlow");
    Title(net, "Lesson 3: continuous flow and the enhanced firing rule");
    AddText(net, 20, 44,
            {"Continuous places (double circles) hold real numbers. A continuous transition (white bar)",
             "moves marking at its speed: units per second of model time.",
             "1. Press Start (F5), then >> Run. Pump moves 1 unit a second from Supply into Tank:",
             "    Tank rises in a straight line.",
             "2. This net uses the enhanced firing rule: Pump stops when Supply holds less than",
             "    the weight of its arc, 1. Tank stops at about 9.",
             "3. Open Options (F9), clear \"Enhanced firing rule of continuous transitions\", press Init Net",
             "    and run again: now nothing stops Pump, Supply falls below zero and Tank keeps rising."});

    TPlatz* supply = AddPlace(net, 90, 230, "Supply", "supply", 10, true);
    supply->SetSizeClass(3);
    TTransition* pump = AddTransition(net, 230, 230, "Pump", "1", true, kUpright);
    TPlatz* tank = AddPlace(net, 370, 230, "Tank", "tank", 0, true);
    tank->SetSizeClass(3);
    Connect(net, supply, pump);
    Connect(net, pump, tank);
    root.enhancedFiringRule = 1;
    net.SetShowValues(true);
}

// --- Lesson 4 ---------------------------------------------------------------

void BuildInhibitorAndTestArcs(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewLesson(root, "T04_InhibitorAndTestArcs");
    Title(net, "Lesson 4: inhibitor arcs and test arcs");
    AddText(net, 20, 44,
            {"A test arc reads a place: its transition needs the tokens but does not take them.",
             "An inhibitor arc (with a circle at its end) stops its transition while the place holds",
             "as many tokens as its weight.",
             "1. Press Start (F5), then >> Run. The gate opens for 5 s and closes for 5 s:",
             "    the token moves between Closed and Open.",
             "2. Pass reads Open through a test arc. While the gate is closed, Queue fills;",
             "    when it opens, the whole queue passes at once and Open keeps its token.",
             "3. Count has an inhibitor arc from Open: it runs only while Open is empty,",
             "    so ClosedTime grows only while the gate is closed."});

    TPlatz* closed = AddPlace(net, 90, 340, "Closed", "closed", 1);
    TTransition* opening = AddTransition(net, 180, 280, "Opening", "5");
    TPlatz* open = AddPlace(net, 270, 340, "Open", "open");
    TTransition* closing = AddTransition(net, 180, 400, "Closing", "5");
    Bent(net, closed, opening, {{90, 280}});
    Bent(net, opening, open, {{270, 280}});
    Bent(net, open, closing, {{270, 400}});
    Bent(net, closing, closed, {{90, 400}});

    TTransition* arrive = AddTransition(net, 380, 250, "Arrive", "1", false, kUpright);
    TPlatz* queue = AddPlace(net, 470, 250, "Queue", "queue");
    TTransition* pass = AddTransition(net, 560, 250, "Pass", "0", false, kUpright);
    TPlatz* passed = AddPlace(net, 650, 250, "Passed", "passed");
    Connect(net, arrive, queue);
    Connect(net, queue, pass);
    Connect(net, pass, passed);
    Bent(net, open, pass, {{560, 340}}, akTest);

    TTransition* count = AddTransition(net, 560, 430, "Count", "1", true, kUpright);
    TPlatz* closedTime = AddPlace(net, 650, 430, "ClosedTime", "closedTime", 0, true);
    Connect(net, count, closedTime);
    Bent(net, open, count, {{380, 430}}, akInhibitor);
    net.SetShowValues(true);
}

// --- Lesson 5 ---------------------------------------------------------------

void BuildFormulas(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewLesson(root, "T05_Formulas");
    Title(net, "Lesson 5: formulas");
    AddText(net, 20, 44,
            {"Speeds, firing times and arc weights may be formulas. A formula reads places by their",
             "variable names, the model time as Time and the sample time as STime.",
             "1. Press Show Variables or Values to see the variable names level, drained and wave.",
             "2. Select Outflow: its speed in the Property window is 0.5*level. The fuller Level,",
             "    the faster it drains: press Start (F5), then >> Run, and Level halves about every 1,4 s.",
             "3. Swing has the speed COS(Time): Wave follows SIN(Time) between -1 and 1.",
             "    Open a diagram on Wave (right-click it, Show Diagram Window) to see the curve.",
             "4. A formula that does not compile is named when you press Start; try 0.5*levle."});

    TPlatz* level = AddPlace(net, 90, 230, "Level", "level", 8, true);
    level->SetSizeClass(3);
    TTransition* outflow = AddTransition(net, 230, 230, "Outflow", "0.5*level", true, kUpright);
    TPlatz* drained = AddPlace(net, 370, 230, "Drained", "drained", 0, true);
    Connect(net, level, outflow);
    Connect(net, outflow, drained);

    TTransition* swing = AddTransition(net, 230, 330, "Swing", "COS(Time)", true, kUpright);
    TPlatz* wave = AddPlace(net, 370, 330, "Wave", "wave", 0, true);
    Connect(net, swing, wave);
    net.SetShowValues(true);
}

// --- Lesson 6 ---------------------------------------------------------------

void BuildObjectsAndInheritance(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewLesson(root, "T06_ObjectsAndInheritance");
    Title(net, "Lesson 6: objects and inheritance");
    AddText(net, 20, 44,
            {"An object is a net of its own, shown by a frame. Its published places sit on the frame's sides.",
             "Lamp is an instance of the class Light from the object library (Objects/Light.pn).",
             "Blinker is an instance of BlinkingLight, a class derived from Light: it inherits Off, On and",
             "Hours and adds two timed transitions that switch it.",
             "1. Press Start (F5), then >> Run. SwitchOn and SwitchOff, drawn out here, switch Lamp every 3 s.",
             "    Blinker switches itself every second. Both lamps count the time they burn in Hours.",
             "2. Leave simulation mode (F5). Right-click Blinker's frame and choose View Parent Object:",
             "    you see BlinkingLight, with the grey frame of Light it inherits from.",
             "3. Right-click a frame and choose Edit Documentation: its Class Description tells what the class does."});

    if (TPNObjekt* lamp = Place(root, "Lamp", kLightClass, {130, 270, 290, 370})) {
        ToRight(lamp->Frame(), {"on", "hours"});
        TTransition* switchOn = AddTransition(net, 210, 225, "SwitchOn", "3");
        TTransition* switchOff = AddTransition(net, 210, 420, "SwitchOff", "3");
        SwitchAround(net, lamp->Frame(), switchOn, switchOff);
    }
    if (TPNObjekt* blinker = Place(root, "Blinker", kBlinkingLightClass, {460, 270, 620, 370})) {
        ToRight(blinker->Frame(), {"on", "hours"});
    }
    ShowValues(root);
}

// --- Lesson 7 ---------------------------------------------------------------

void BuildFusion(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewLesson(root, "T07_Fusion");
    Title(net, "Lesson 7: fusion through interface places");
    AddText(net, 20, 44,
            {"An arc from a place to an interface place fuses the two: they share one marking.",
             "Shared is fused with the level of Tank_1 and with the level of Tank_2 (class Tank).",
             "1. Press Start (F5), then >> Run. Fill pours 1 unit a second from Supply into Shared.",
             "2. The level on both frames is the same number as Shared, all the time.",
             "3. At level 10 each tank raises its alarm: inside the class, Overflow reads the level",
             "    through a test arc of weight 10.",
             "4. Fill stops when Supply holds less than 1 (enhanced firing rule); Shared ends at about 14."});

    TPlatz* supply = AddPlace(net, 70, 300, "Supply", "supply", 15, true);
    TTransition* fill = AddTransition(net, 150, 300, "Fill", "1", true, kUpright);
    TPlatz* shared = AddPlace(net, 240, 300, "Shared", "shared", 0, true);
    shared->SetSizeClass(3);
    Connect(net, supply, fill);
    Connect(net, fill, shared);
    int top = 200;
    for (const char* name : {"Tank_1", "Tank_2"}) {
        TPNObjekt* tank = Place(root, name, examples::kTankClass, {380, top, 540, top + 90});
        top += 130;
        if (!tank) continue;
        ToRight(tank->Frame(), {"alarm"});
        if (TInterfacePlace* level = tank->Frame().FindInterfacePlace("level")) {
            const TPoint at = static_cast<TGraphItem*>(level)->GetCenter();
            Bent(net, shared, level, {{320, at.y}});
        }
    }
    root.enhancedFiringRule = 1;
    ShowValues(root);
}

// --- Lesson 8 ---------------------------------------------------------------

void BuildOscilloscopes(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewLesson(root, "T08_Oscilloscopes");
    Title(net, "Lesson 8: oscilloscopes");
    AddText(net, 20, 44,
            {"An oscilloscope window plots the marking of one place over model time.",
             "1. Right-click Temp and choose Show Diagram Window; do the same for HeaterOn.",
             "2. Press Start (F5), then >> Run. Temp rises while the heater is on and falls while it is off,",
             "    between 18 and 22: a smooth curve. HeaterOn is a discrete place and is drawn as steps.",
             "3. Drag a diagram by its title bar. Right-click it for Automatic Scale, Show > Grids and Values,",
             "    Tool Bar (zoom and move) and Show Parent (a line to its place).",
             "4. Export Graphic (ASCII) writes the values as text; Erase Data clears the curve."});

    TPlatz* temp = AddPlace(net, 270, 230, "Temp", "temp", 15, true);
    temp->SetSizeClass(3);
    TTransition* heat = AddTransition(net, 150, 230, "Heat", "2", true, kUpright);
    TTransition* cool = AddTransition(net, 390, 230, "Cool", "0.1*(temp-10)", true, kUpright);
    TPlatz* lost = AddPlace(net, 510, 230, "Lost", "lost", 0, true);
    Connect(net, heat, temp);
    Connect(net, temp, cool);
    Connect(net, cool, lost);

    TPlatz* on = AddPlace(net, 150, 380, "HeaterOn", "heaterOn", 1);
    TPlatz* off = AddPlace(net, 390, 380, "HeaterOff", "heaterOff");
    TTransition* switchOff = AddTransition(net, 270, 330, "SwitchOff", "0");
    TTransition* switchOn = AddTransition(net, 270, 430, "SwitchOn", "0");
    Connect(net, on, heat, akTest);
    Controller(net, temp, on, off, switchOff, switchOn, "22", "18");
    net.SetShowValues(true);
}

// --- Lesson 9 ---------------------------------------------------------------

void BuildEnsembles(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewLesson(root, "T09_Ensembles");
    Title(net, "Lesson 9: ensembles from the command line");
    AddText(net, 20, 44,
            {"Toss puts a coin into Coin every second, and Heads and Tails draw for it at random:",
             "every run differs. Run many and look at the statistics. In a terminal, in this directory:"});
    AddText(net, 40, 86,
            {"quenzor-cli simulate T09_Ensembles.pn --until 100 --trace heads,tails --runs 200 --csv coins.csv"},
            9, fsBold);
    AddText(net, 20, 106,
            {"    200 runs. coins.csv holds, for every time and place, the count of runs, the mean, the",
             "    standard deviation, the minimum, the 5 %, 50 % and 95 % quantiles and the maximum.",
             "    At time 100 the mean of heads is about 50 and its standard deviation about 5."});
    AddText(net, 40, 156,
            {"quenzor-cli sweep T09_Ensembles.pn --vary Toss=0.5:2:0.5 --until 100 --trace heads --runs 50 --csv sweep.csv"},
            9, fsBold);
    AddText(net, 20, 176,
            {"    The same for each firing time of Toss from 0,5 s to 2 s: the fewer tosses, the fewer heads.",
             "Add --jobs 2 to use two cores, and --seed N to repeat exactly the run of seed N.",
             "quenzor-cli simulate --help lists every option."});

    TTransition* toss = AddTransition(net, 90, 300, "Toss", "1", false, kUpright);
    TPlatz* coin = AddPlace(net, 200, 300, "Coin", "coin");
    TTransition* headsUp = AddTransition(net, 310, 260, "HeadsUp", "0", false, kUpright);
    TTransition* tailsUp = AddTransition(net, 310, 340, "TailsUp", "0", false, kUpright);
    TPlatz* heads = AddPlace(net, 420, 260, "Heads", "heads");
    TPlatz* tails = AddPlace(net, 420, 340, "Tails", "tails");
    Connect(net, toss, coin);
    Connect(net, coin, headsUp);
    Connect(net, coin, tailsUp);
    Connect(net, headsUp, heads);
    Connect(net, tailsUp, tails);
    net.SetShowValues(true);
}

// --- Lesson 10 --------------------------------------------------------------

void BuildHybridPlant(TPNObjekt& root) {
    TNetList& net = root.Net();
    NewLesson(root, "T10_HybridPlant");
    Title(net, "Lesson 10: a small hybrid plant");
    AddText(net, 20, 44,
            {"Fill pumps 2 units a second into Level; Bottle takes 1 unit a second into whole bottles.",
             "The controller switches the pump off at level 8 (test arc) and on again below 4 (inhibitor arc).",
             "Level is fused with the level of Tank_1 (class Tank), whose alarm rises at 10.",
             "1. Open diagrams on Level and Bottles, press Start (F5), then >> Run.",
             "2. Level swings between about 3 and 8; the pump goes on and off; the alarm never rises.",
             "3. Set Fill's speed to 0,5 and run again: Level sinks until Bottle has to wait for it.",
             "4. From a terminal: quenzor-cli simulate T10_HybridPlant.pn --until 60 --trace level,bottles --csv -"});

    TTransition* fill = AddTransition(net, 90, 240, "Fill", "2", true, kUpright);
    TPlatz* level = AddPlace(net, 210, 240, "Level", "level", 0, true);
    level->SetSizeClass(3);
    TTransition* bottle = AddTransition(net, 330, 240, "Bottle", "1", false, kUpright);
    TPlatz* bottles = AddPlace(net, 430, 240, "Bottles", "bottles");
    Connect(net, fill, level);
    Connect(net, level, bottle);
    Connect(net, bottle, bottles);

    TPlatz* pumpOn = AddPlace(net, 90, 390, "PumpOn", "pumpOn", 1);
    TPlatz* pumpOff = AddPlace(net, 330, 390, "PumpOff", "pumpOff");
    TTransition* stop = AddTransition(net, 210, 340, "PumpStop", "0");
    TTransition* start = AddTransition(net, 210, 440, "PumpStart", "0");
    Connect(net, pumpOn, fill, akTest);
    Controller(net, level, pumpOn, pumpOff, stop, start, "8", "4");

    if (TPNObjekt* tank = Place(root, "Tank_1", examples::kTankClass, {540, 190, 700, 290})) {
        ToRight(tank->Frame(), {"alarm"});
        if (TInterfacePlace* inner = tank->Frame().FindInterfacePlace("level")) {
            const TPoint at = static_cast<TGraphItem*>(inner)->GetCenter();
            Bent(net, level, inner, {{210, 170}, {500, 170}, {500, at.y}});
        }
    }
    ShowValues(root);
}

} // namespace

// --- Classes ----------------------------------------------------------------

void BuildLightClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    cls.name = kLightClass;
    TPlatz* off = AddPlace(net, 80, 80, "Off", "off", 1);
    TPlatz* on = AddPlace(net, 80, 170, "On", "on");
    TTransition* burn = AddTransition(net, 190, 170, "Burn", "1", true, kUpright);
    TPlatz* hours = AddPlace(net, 300, 170, "Hours", "hours", 0, true);
    Connect(net, on, burn, akTest);
    Connect(net, burn, hours);
    for (TPlatz* p : {off, on, hours}) p->SetInterfaceFlag(1);
    AddText(net, 40, 230, {"A lamp: one token in On or in Off.", "Hours counts the seconds it is on."});
    cls.Frame().SetCaption(kLightClass);
    cls.Frame().description = {"Light: a lamp that is on or off.",
                               "Off, On: one token in one of them; switch the lamp by moving it.",
                               "Hours: the model time the lamp has been on (continuous)."};
}

void BuildBlinkingLightClass(TPNObjekt& cls) {
    TNetList& net = cls.Net();
    cls.name = kBlinkingLightClass;
    cls.Frame().SetCaption(kBlinkingLightClass);
    cls.Frame().description = {"BlinkingLight: a Light that switches itself.",
                               "TurnOn and TurnOff move its token every second: one second on, one off.",
                               "Off, On and Hours are inherited from Light."};
    if (!cls.SetInherited(kLightClass) || !cls.Base()) return;
    TObjectFrame& base = cls.Base()->Frame();
    base.SetBounds({100, 90, 260, 190});
    ToRight(base, {"on", "hours"});
    TTransition* turnOn = AddTransition(net, 180, 45, "TurnOn", "1");
    TTransition* turnOff = AddTransition(net, 180, 240, "TurnOff", "1");
    SwitchAround(net, base, turnOn, turnOff);
    AddText(net, 40, 280, {"Inherited from Light: the grey frame.", "Added here: TurnOn and TurnOff, one second each."});
}

const std::vector<Lesson>& Lessons() {
    static const std::vector<Lesson> lessons = {
        {"T01_DiscreteFiring.pn", BuildDiscreteFiring},
        {"T02_TimedTransitions.pn", BuildTimedTransitions},
        {"T03_ContinuousFlow.pn", BuildContinuousFlow},
        {"T04_InhibitorAndTestArcs.pn", BuildInhibitorAndTestArcs},
        {"T05_Formulas.pn", BuildFormulas},
        {"T06_ObjectsAndInheritance.pn", BuildObjectsAndInheritance},
        {"T07_Fusion.pn", BuildFusion},
        {"T08_Oscilloscopes.pn", BuildOscilloscopes},
        {"T09_Ensembles.pn", BuildEnsembles},
        {"T10_HybridPlant.pn", BuildHybridPlant},
    };
    return lessons;
}

} // namespace qz::tutorial
