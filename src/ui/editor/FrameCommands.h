#pragma once
#include <optional>
#include <string>
#include <vector>

namespace qz {
class TObjectFrame;
class TPNObjekt;
} // namespace qz

namespace qz::ui {

inline constexpr char kInvalidObjectOpen[] = "ungültiges Objekt";
inline constexpr char kInvalidObjectView[] = "invalid Objekt";
inline constexpr char kInheritedFromEmpty[] = "This Object is inherited from Empty Object.";

// The modes of the documentation dialog: the class description of a
// document and the documentation of an instance are edited and written back;
// a view is read-only and writes nothing back.
enum class DocumentationMode { ClassDescription = 0, Instance = 1, View = 2 };

// What the documentation dialog shows: the class lines (none: the class
// tab stays empty) and the instance lines, which an editing mode writes
// back into `instance`.
struct DocumentationRequest {
    std::optional<std::vector<std::string>> classLines;
    std::vector<std::string>* instance = nullptr;
    DocumentationMode mode = DocumentationMode::View;
    bool Editable() const { return mode != DocumentationMode::View; }
};

// "Edit Documentation" of an instance's frame: the class lines are the
// description of its class's frame; in a window that may not change the
// net it is shown as a view.
DocumentationRequest EditDocumentationOf(TObjectFrame& frame, bool mayEdit);
// "View Class Documentation" of the frame of a class in a derived class.
DocumentationRequest ViewClassDocumentationOf(TObjectFrame& frame);
// "Edit Class Description" of a document: its object's frame, with the
// description of the class it inherits from.
DocumentationRequest ClassDescriptionOf(TPNObjekt& object, bool mayEdit);

// "Open Instanced Object" and "View Instanced Object": the frame's object;
// null, reported as "ungültiges Objekt", when the frame has none.
TPNObjekt* InstancedObjectOf(const TObjectFrame& frame);
// "View Parent Object": the class the frame's object inherits from; null,
// reported as "invalid Objekt" or "This Object is inherited from Empty
// Object.", when there is no object or no class.
TPNObjekt* ParentObjectOf(const TObjectFrame& frame);

// The text of the initial-marking dialog as typing keeps it: digits and one
// decimal comma; "." is taken as ",", anything else is dropped.
std::string InitialMarkingTyped(const std::string& text);

} // namespace qz::ui
