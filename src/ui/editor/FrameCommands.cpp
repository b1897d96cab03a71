#include "editor/FrameCommands.h"

#include "model/TObjectFrame.h"
#include "model/TPNObjekt.h"
#include "platform/Services.h"

namespace qz::ui {

namespace {

std::optional<std::vector<std::string>> ClassLinesOf(const TPNObjekt* object) {
    if (!object || !object->Base()) return std::nullopt;
    return object->Base()->Frame().description;
}

} // namespace

DocumentationRequest EditDocumentationOf(TObjectFrame& frame, bool mayEdit) {
    return {ClassLinesOf(frame.object), &frame.description,
            mayEdit ? DocumentationMode::Instance : DocumentationMode::View};
}

DocumentationRequest ViewClassDocumentationOf(TObjectFrame& frame) {
    return {frame.description, &frame.description, DocumentationMode::View};
}

DocumentationRequest ClassDescriptionOf(TPNObjekt& object, bool mayEdit) {
    return {ClassLinesOf(&object), &object.Frame().description,
            mayEdit ? DocumentationMode::ClassDescription : DocumentationMode::View};
}

TPNObjekt* InstancedObjectOf(const TObjectFrame& frame) {
    if (!frame.object) Platform().messages->Error(kInvalidObjectOpen);
    return frame.object;
}

TPNObjekt* ParentObjectOf(const TObjectFrame& frame) {
    if (!frame.object) {
        Platform().messages->Error(kInvalidObjectView);
        return nullptr;
    }
    if (!frame.object->Base()) {
        Platform().messages->Info(kInheritedFromEmpty);
        return nullptr;
    }
    return frame.object->Base();
}

std::string InitialMarkingTyped(const std::string& text) {
    std::string kept;
    bool comma = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            kept += c;
        } else if ((c == ',' || c == '.') && !comma) {
            kept += ',';
            comma = true;
        }
    }
    return kept;
}

} // namespace qz::ui
