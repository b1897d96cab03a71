#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/Geometry.h"
#include "model/SimulationLists.h"

namespace qz {

class TGraphItem;
class TInterfacePlace;
class TNetList;
class TObjectFrame;
class TPlatz;
class TVariableTable;
class Window;

inline constexpr const char* kEmptyObject = "Empty Object";
inline constexpr const char* kNewObject = "New Object";
inline constexpr const char* kNameExists = "This name already exists.";

// What reading one document may build from its file and its classes: a
// hostile library would otherwise overflow the stack with classes loaded
// within one another, or create millions of objects from a few small files
// that each place two instances of the one before.
struct ObjectLoadLimits {
    std::size_t classDepth = 32;   // classes being loaded within one another
    std::size_t objects = 250000;  // objects in the document's registry
};
ObjectLoadLimits& LoadLimits();
// "The object class <name> lies more than <n> classes deep and is not loaded."
std::string ClassTooDeepText(const std::string& className);

// An object (sub-net): the root of a document, an instance placed in a net,
// or a base class loaded from the library. Owns its own net, its frame, its
// variable table and its base object.
class TPNObjekt {
public:
    // With no root the object is its own root.
    explicit TPNObjekt(TPNObjekt* root = nullptr, Window* objectWindow = nullptr,
                       Window* editWindow = nullptr);
    ~TPNObjekt();
    TPNObjekt(const TPNObjekt&) = delete;
    TPNObjekt& operator=(const TPNObjekt&) = delete;

    // Takes the base class `className` from the object library. False when
    // the class is unknown ("Object <name> not found..."), lies too deep
    // within other classes being loaded, or its file could not be read
    // completely (the base then holds what was read).
    bool SetInherited(const std::string& className);
    // For a class that could not be loaded (or not far enough to publish
    // the interface places stored with the object): a stand-in base object
    // named after the class, holding one published place per name in
    // `interfaceNames`, so that the object keeps its class name, its frame,
    // the arcs at its interface places and their start values, and is saved
    // as it was read until the class can be loaded again.
    void UseStandInClass(const std::string& className, const std::vector<std::string>& interfaceNames);
    // The base object stands in for a class that could not be loaded.
    bool ClassMissing() const { return base_ && base_->standIn_; }
    // False (with "This name already exists.") when a sibling or the parent
    // has that name, compared without regard to case.
    bool SetObjectName(const std::string& newName);
    void Clear();
    void SetEditWindow(Window* w);
    void SetObjectWindow(Window* w);
    void RefreshFrame();

    // Places an instance of class `className` named `instanceName` in the
    // own net at (x, y).
    TPNObjekt* AddChildObject(const std::string& instanceName, const std::string& className,
                              int x, int y);
    // className + "_1", or the next free number, among this object's name and
    // its children's names (case-blind).
    std::string UniqueChildName(const std::string& className) const;

    // Combined element list: own elements, then the base object's.
    std::size_t ElementCount() const; // own elements only
    TGraphItem* ElementAt(std::size_t i) const;
    std::size_t CombinedCount() const;

    TPNObjekt* FindChildByName(const std::string& name) const;
    // The element of a document's view at a world point: the own net's
    // (TNetList::ElementAt), else this object's own frame where it is shown
    // (the frame of a class opened in a window of its own).
    TGraphItem* FindElementAt(TPoint p) const;
    // "Object.variable": the interface place of that child's (or base's)
    // frame whose inner place has that variable name.
    TInterfacePlace* FindInterfacePlaceByPath(const std::string& path) const;
    void SetInterfacePlace(TPlatz* place, bool on);

    // Apply-to-all operations over the hierarchy (own net, child objects,
    // base object).
    void RegisterVariables();
    void DeselectAll();
    void SelectFiringTransitions();
    void RecordSamples(double time);
    void ClearOscilloscopeData();
    void ResetToInitialState();
    void SetShowValues(bool on);
    void ResolveFusion();
    void CollectSimulationLists(SimulationLists& lists) const;
    void MarkInvalidArcs(int& counter, bool enhancedRule);
    std::size_t TotalElementCount() const;

    // Visits the nets of the hierarchy in order: own net, each child object
    // (whole), then the base object.
    void ForEachNet(const std::function<void(TNetList&)>& f) const;
    void ForEachObject(const std::function<void(TPNObjekt&)>& f);

    TPNObjekt* Root() const { return root_; }
    TNetList& Net() const { return *net_; }
    TObjectFrame& Frame() const { return *frame_; }
    TVariableTable& Variables() const { return *variables_; }
    TPNObjekt* Base() const { return base_.get(); }
    // The object in whose net this object's frame lies (null for a root or a
    // base object); set by the net that takes the object.
    TPNObjekt* Parent() const { return parent_; }
    void SetParent(TPNObjekt* p) { parent_ = p; }
    int Number() const { return number_; }
    // Every object of the hierarchy (kept in the root), in no particular order.
    const std::vector<TPNObjekt*>& Registry() const { return registry_; }
    Window* EditWindow() const { return editWindow_; }
    Window* ObjectWindow() const { return objectWindow_; }

    std::string baseName = kEmptyObject;
    std::string name = kNewObject;
    std::string parentName;
    std::int32_t timeUnit = 0; // 0 seconds, 1 milliseconds (root only)
    double sampleTimeSeconds = 0.1;
    double modelTime = 0;
    std::string sampleTimeText = "100";
    // Enhanced firing rule of continuous transitions (root only): travels in
    // the document's file; a session takes it when it starts.
    std::int32_t enhancedFiringRule = 0;
    // The version label of the file the document was last read from ("2,7"
    // after a save; empty for a new document). The main window copies it.
    std::string fileVersion;
    std::string fileName;
    // The class file this object was loaded from (base objects).
    std::string classFile;
    // Set by the net file reader on the object it read into when anything
    // went wrong: damaged or missing records, data after the end, an arc
    // whose ends cannot be told, a class that could not be loaded. What was
    // read is kept; saving over the file read from must keep the original
    // (SaveNetFileKeepingOriginal).
    bool readWithErrors = false;
    // Called first when the object is destroyed: a window that shows the
    // object without owning it lets go of it.
    std::function<void()> destroying;

private:
    void Register();
    void Unregister();
    void DropBase();

    TPNObjekt* root_;
    Window* editWindow_ = nullptr;
    Window* objectWindow_ = nullptr;
    std::vector<TPNObjekt*> registry_;
    // Root only: numbers given back by unregistered objects (a min-heap) and
    // the next number never given out.
    std::vector<int> freeNumbers_;
    int nextNumber_ = 1;
    std::size_t registryIndex_ = 0;
    int number_ = 0;
    bool standIn_ = false;
    std::unique_ptr<TObjectFrame> frame_;
    std::unique_ptr<TVariableTable> variables_;
    std::unique_ptr<TNetList> net_;
    std::unique_ptr<TPNObjekt> base_;
    TPNObjekt* parent_ = nullptr;
};

} // namespace qz
