#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qz {
class TPNObjekt;
struct TObjectLibrary;
} // namespace qz

namespace qz::ui {

class TDocument;

// What the factory window decides without a window: its texts, the
// directories its buttons switch to, the start directory, the file list,
// the question before a file is deleted, and the merge of a net file into a
// document.

inline constexpr char kFactoryCaption[] = "Factory";
inline constexpr char kNoFileLoadedStatus[] = "No File Loaded";
inline constexpr char kProjectsTab[] = "Projects";
inline constexpr char kHierarchyTab[] = "Hierarchy";
inline constexpr char kFileListHint[] = "Double Click on Item to Load File";
inline constexpr char kDataButtonHint[] = "Open Default Data Directory";
inline constexpr char kTutorialCaption[] = "Tutorial";
inline constexpr char kTutorialHint[] = "Open Tutorial and Sample Directory";
inline constexpr char kDeleteFileHint[] = "Delete File";
inline constexpr char kObjectsButtonHint[] = "Open Object Library Directory";
inline constexpr char kNoNetworkText[] =
    "The Factory Window supports no network...\rRun this software local.\rOtherwise you will get more "
    "errormessages.";
inline constexpr char kMergeInSimulation[] =
    "You want to merge a file in simulation modus.\rNow the simulation modus becomes disabled.";
inline constexpr char kNoDocumentToMerge[] = "There is no document to merge the file into.\rOpen or create one first.";

// The subdirectories of the program directory the buttons switch to.
enum class FactoryDirectory { Data, Tutorial, Objects };
// "Data", "Tutorial", "Objects".
const char* DirectoryName(FactoryDirectory d);
// "The default directory\r<program directory>Data/\rnot exists." (Objects
// alike); "The tutorial directory\r...Tutorial/\rnot exists.".
std::string MissingDirectoryText(FactoryDirectory d, const std::string& programDirectory);

// The directory the file list starts in: the working directory, or its
// subdirectory "Data" when there is one. `failed` when the chosen directory
// cannot be listed (the list then falls back to the working directory).
struct StartDirectoryChoice {
    std::string directory;
    bool failed = false;
};
StartDirectoryChoice StartDirectory(const std::string& workingDirectory);

// The net files of a directory ("*.pn", any letter case, regular files),
// sorted by name without regard to case; nullopt when it cannot be listed.
std::optional<std::vector<std::string>> NetFilesIn(const std::string& directory);

// A fingerprint of the library directory (names, sizes and times of its
// files): it changes when a class file is saved, added or removed.
std::string LibraryStamp();

// An open document as the delete question sees it.
struct OpenDocumentRef {
    std::string caption;
    const TPNObjekt* root = nullptr;
};
// Who uses the classes a file defines, when it is a file of the library:
// "class <name>" for each library class derived from one of them, and
// "document <caption>" (with ": " and the instance names placed there) for
// each open document whose hierarchy holds an object of such a class.
std::vector<std::string> UsersOfClassFile(const std::string& path, const TObjectLibrary& library,
                                          const std::vector<OpenDocumentRef>& documents);
// "Delete File : \"<path>\" ?", after the list of users when there are any.
std::string DeleteFileQuestion(const std::string& path, const std::vector<std::string>& users);

// Merges the net of a net file into the document's net as its new selection
// (variables renamed as a paste renames them), as one undo step. The file's
// reader reports a file that cannot be read; the document is unchanged then.
struct MergeOutcome {
    bool read = false;
    std::size_t merged = 0;
    // Elements of the file that a merge does not carry (placed objects and
    // the arcs to their interface places).
    std::size_t leftOut = 0;
};
MergeOutcome MergeNetFile(TDocument& document, const std::string& path);
// "Placed objects and the arcs to them are not merged: <n> elements of
// \"<file>\" were left out."
std::string LeftOutText(const std::string& path, std::size_t leftOut);

} // namespace qz::ui
