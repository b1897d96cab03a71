#pragma once
#include <string>
#include <vector>

namespace qz {
class TPNObjekt;
} // namespace qz

// The object library that ships with Quenzor: classes for hybrid production
// and process models, each documented in its class description, and the
// example projects built from them. Classes publish their connections as
// interface places: a part or a quantity leaves one object through a place
// on the right strip of its frame and enters the next through a place on the
// left strip, the two fused by an arc between the frames.
namespace qz::examples {

// A class of the library: its name, the class it inherits from ("Empty
// Object" for none) and its builder, which fills an empty root object. A
// builder of a derived class takes its base from the object library.
struct LibraryClass {
    const char* name;
    const char* base;
    void (*build)(TPNObjekt&);
};

// An example project: its file name (without ".pn") and its builder. The
// classes it places must be known to the object library.
struct LibraryProject {
    const char* name;
    void (*build)(TPNObjekt&);
};

// Every class, each listed after its base.
const std::vector<LibraryClass>& LibraryClasses();
const std::vector<LibraryProject>& LibraryProjects();

// Process classes.
// Pump: delivers 2 units per time unit from inlet to outlet while on.
void BuildPumpClass(TPNObjekt& cls);
// ControlledPump (a Pump): switched off above 8 and on below 3 by the level
// it watches.
void BuildControlledPumpClass(TPNObjekt& cls);
// Valve: an outflow proportional to the inlet while open.
void BuildValveClass(TPNObjekt& cls);

// Production classes (discrete parts).
void BuildSourceClass(TPNObjekt& cls);
void BuildSinkClass(TPNObjekt& cls);
void BuildCounterClass(TPNObjekt& cls);
// Buffer: a store of at most 5 parts.
void BuildBufferClass(TPNObjekt& cls);
// Machine: idle or busy, one part at a time, processing time 1,2.
void BuildMachineClass(TPNObjekt& cls);
// MachineWithBreakdowns (a Machine): fails and is repaired.
void BuildMachineWithBreakdownsClass(TPNObjekt& cls);
// Conveyor: three places of belt, one time unit per place.
void BuildConveyorClass(TPNObjekt& cls);

// Projects.
// Source -> Buffer -> MachineWithBreakdowns -> Conveyor -> Counter -> Sink.
void BuildProductionLine(TPNObjekt& root);
// Reservoir -> ControlledPump -> Tank -> Valve -> Tank -> Valve -> Drain,
// with the drain returned to the reservoir.
void BuildProcessPlant(TPNObjekt& root);
// Bottles from a production line take their filling from a pumped tank.
void BuildBottling(TPNObjekt& root);

// Writes every class into DIR/Objects (base classes first) and every
// project into DIR/Data. Each class written is entered into the object
// library (replacing the file of a class of that name), so that the classes
// derived from it and the projects placing it load it from DIR; the caller
// keeps or restores the library. The paths written are appended to
// `written`; false with `error` set at the first file that cannot be written.
bool WriteLibrary(const std::string& dir, std::vector<std::string>& written, std::string& error);

} // namespace qz::examples
