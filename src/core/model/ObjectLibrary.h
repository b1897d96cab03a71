#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qz {

class TPNObjekt;

inline constexpr const char* kObjectNotFoundPrefix = "Object ";
inline constexpr const char* kObjectNotFoundSuffix = " not found...";
inline constexpr const char* kObjectNameFile = "ObjName.dat";
inline constexpr const char* kObjectFileFile = "ObjFile.dat";
inline constexpr const char* kObjectsDirectory = "Objects";
inline constexpr const char* kNameExistsCaption = "The object name alread exists.";
inline constexpr const char* kNewNamePrompt = "New Object Name:";
// The index files are read up to this size; a larger one is no index.
inline constexpr std::uint64_t kMaxIndexFileBytes = 16u << 20;
// "The library index file \"ObjName.dat\" cannot be used (<why>).\rRebuild the library."
std::string IndexFileFaultText(const std::string& fileName, const std::string& why);
inline constexpr const char* kIndexMismatchText =
    "The library index files \"ObjName.dat\" and \"ObjFile.dat\" do not agree.\rRebuild the library.";
// "\"<name>\" cannot be the name of a class: <why>."
std::string UnusableClassNameText(const std::string& name, const std::string& why);
// "The class file \"<file>\" is left out of the library: its name holds a line break."
std::string UnstorableClassNameText(const std::string& fileName);
// The class files whose header could not be read ("<file>: <reader's
// message>" each), at most kUnreadableClassesListed of them named.
std::string UnreadableClassesText(const std::vector<std::string>& fileAndReason);
inline constexpr std::size_t kUnreadableClassesListed = 10;
inline constexpr const char* kNoClassNameText = "the file names no class.";
// "The library index files ... could not be written (<why>). ..."
std::string IndexWriteFaultText(const std::string& why);
inline constexpr const char* kReadOnlyLibraryText =
    "The object library is read only in this session: no class can be stored.";
// A class tree holds at most this many nodes: classes that share their
// names would otherwise multiply the nodes below them level by level.
inline constexpr std::size_t kMaxClassTreeNodes = 20000;

// A node of the class tree: a class name and the classes derived from it.
struct ClassTreeNode {
    std::string text;
    std::vector<ClassTreeNode> children;
    friend bool operator==(const ClassTreeNode&, const ClassTreeNode&) = default;
};

// The index of the object classes in the "Objects" directory: class names
// and class files, line by line the same class.
struct TObjectLibrary {
    std::vector<std::string> names;
    std::vector<std::string> files;
    std::vector<std::string> hierarchy; // "name;base name"
    // The classes ordered by inheritance, below the node "Empty Object".
    ClassTreeNode tree{"Empty Object", {}};

    // Index of the first class with that name (exact), or -1.
    int IndexOf(const std::string& className) const;
    // The file of the first class with that name, or null when the name or
    // its file line is missing.
    const std::string* FileOf(const std::string& className) const;

    // Reads a class file into a fresh object; reports its own failures.
    // The net file reader installs itself here.
    std::function<bool(TPNObjekt& into, const std::string& file)> loadClass;

    // Start-up: the lists from "ObjName.dat" and "ObjFile.dat" in the program
    // directory, each when it exists; the user's own copy of the program
    // directory without them gets them rebuilt. An index file that cannot be read (too
    // large, no regular file) or two files of different lengths are reported
    // and leave the index empty: names and files would not pair up.
    void LoadIndex();
    // Scans "Objects/*.pn" (in file-name order), reading only the header of
    // each file; rewrites both index files and rebuilds the tree. A class
    // whose name holds a line break cannot be stored line by line: it is
    // reported and left out. Files whose header does not read or names no
    // class keep their place in the lists with an empty name (so no tree
    // node) and are reported together, by file name, in one message. False when an index
    // file could not be written; the lists in memory are complete then. A
    // session that only reads the installed directory writes no index.
    bool Rebuild(std::string* error = nullptr);
    // The file of a class for opening it; reports "Object <name> not
    // found..." when the class is not in the index.
    std::optional<std::string> FileOfClass(const std::string& className) const;
};

TObjectLibrary& ObjectLibrary();

// The "Objects" directory of the program directory, with a trailing "/".
std::string LibraryDirectory();

// The class tree of a hierarchy list ("name;base name" entries): each group
// of entries with the same base is hung under every node with that text that
// exists when the group is taken. Groups are taken in the order their bases
// first appear, and a group whose base has no node yet waits until one does,
// so that a class appears whatever the order of the files; classes whose
// base is not in the library (or that inherit from one another in a ring)
// are not shown, nor entries without a name (files that did not read).
// Every level is sorted alphabetically. At most kMaxClassTreeNodes nodes are
// made.
ClassTreeNode BuildClassTree(const std::vector<std::string>& hierarchy);

// "Abstract Current Object": stores the document's root object as a library
// class named after it, asking for another name (through the message boxes'
// text input) while a class file of that name exists or the name is "New
// Object". Renames the root, saves it, makes the class file its file name
// and rebuilds the library. The path stored, or nullopt when the user
// cancelled or the file could not be written.
std::optional<std::string> AbstractCurrentObject(TPNObjekt& root);

// Deletes a class (or net) file and rebuilds the library.
bool DeleteLibraryFile(const std::string& path);

} // namespace qz
