#include "model/ObjectLibrary.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "common/FileSystem.h"
#include "common/ProgramDirectories.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"
#include "platform/Services.h"

namespace qz {

int TObjectLibrary::IndexOf(const std::string& className) const {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == className) return static_cast<int>(i);
    }
    return -1;
}

const std::string* TObjectLibrary::FileOf(const std::string& className) const {
    const int i = IndexOf(className);
    if (i < 0 || static_cast<std::size_t>(i) >= files.size()) return nullptr;
    return &files[static_cast<std::size_t>(i)];
}

std::string IndexFileFaultText(const std::string& fileName, const std::string& why) {
    return "The library index file \"" + fileName + "\" cannot be used (" + why + ").\rRebuild the library.";
}

std::string UnusableClassNameText(const std::string& name, const std::string& why) {
    return "\"" + name + "\" cannot be the name of a class: " + why + ".";
}

std::string UnstorableClassNameText(const std::string& fileName) {
    return "The class file \"" + fileName + "\" is left out of the library: its name holds a line break.";
}

std::string UnreadableClassesText(const std::vector<std::string>& fileAndReason) {
    std::string text = "These class files cannot be read and are left out of the class tree:";
    const std::size_t listed = std::min(fileAndReason.size(), kUnreadableClassesListed);
    for (std::size_t i = 0; i < listed; ++i) text += "\r" + fileAndReason[i];
    if (fileAndReason.size() > listed) {
        text += "\r... and " + std::to_string(fileAndReason.size() - listed) + " more.";
    }
    return text;
}

std::string IndexWriteFaultText(const std::string& why) {
    return "The library index files \"ObjName.dat\" and \"ObjFile.dat\" could not be written (" + why +
           ").\rThe classes are listed for this session; the index files keep their previous state.";
}

static_assert(std::string_view(kObjectNameFile) == fs::kLibraryIndexFiles[0] &&
              std::string_view(kObjectFileFile) == fs::kLibraryIndexFiles[1]);

TObjectLibrary& ObjectLibrary() {
    static TObjectLibrary library;
    return library;
}

std::string LibraryDirectory() { return fs::ProgramDirectory() + kObjectsDirectory + "/"; }

void TObjectLibrary::LoadIndex() {
    const fs::ProgramDirectories dirs = fs::CurrentDirectories();
    const std::string& dir = dirs.program;
    // The user's copy of the library gets its own index, with paths into the
    // copy, whenever it has none (first start, or classes copied back).
    if (dirs.kind == fs::DirectoryKind::PerUser &&
        (!fs::FileExists(dir + kObjectNameFile) || !fs::FileExists(dir + kObjectFileFile))) {
        std::string why;
        if (!Rebuild(&why)) Platform().messages->Error(IndexWriteFaultText(why));
        return;
    }
    bool usable = true;
    const auto read = [&](const char* fileName, std::vector<std::string>& into) {
        const std::string path = dir + fileName;
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) return;
        std::string why;
        if (auto lines = fs::ReadTextLines(path, kMaxIndexFileBytes, &why)) {
            into = std::move(*lines);
            return;
        }
        Platform().messages->Error(IndexFileFaultText(fileName, why));
        usable = false;
    };
    read(kObjectNameFile, names);
    read(kObjectFileFile, files);
    if (usable && names.size() != files.size()) {
        Platform().messages->Error(kIndexMismatchText);
        usable = false;
    }
    if (!usable) {
        names.clear();
        files.clear();
    }
}

namespace {

bool HasNetExtension(const std::string& fileName) {
    if (fileName.size() < 3) return false;
    std::string ext = fileName.substr(fileName.size() - 3);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".pn";
}

// The class files of the library directory, sorted by file name so that the
// index does not depend on the order the file system lists them in.
std::vector<std::string> ClassFileNames() {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(LibraryDirectory(), ec)) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError)) continue;
        const std::string name = entry.path().filename().string();
        if (HasNetExtension(name)) out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string Trim(const std::string& s) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    std::size_t b = 0, e = s.size();
    while (b < e && blank(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && blank(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

struct Entry {
    std::string name, base;
};

Entry Split(const std::string& line) {
    const std::size_t semi = line.find(';');
    if (semi == std::string::npos) return {Trim(line), std::string()};
    return {Trim(line.substr(0, semi)), Trim(line.substr(semi + 1))};
}

struct WorkNode {
    std::string text;
    std::vector<std::unique_ptr<WorkNode>> children;
};

std::string Folded(const std::string& s) {
    std::string f = s;
    for (char& c : f) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return f;
}

ClassTreeNode Sorted(const WorkNode& n) {
    ClassTreeNode out{n.text, {}};
    for (const auto& c : n.children) out.children.push_back(Sorted(*c));
    std::stable_sort(out.children.begin(), out.children.end(),
                     [](const ClassTreeNode& a, const ClassTreeNode& b) {
                         const std::string fa = Folded(a.text), fb = Folded(b.text);
                         return fa != fb ? fa < fb : a.text < b.text;
                     });
    return out;
}

// Collects what the header reader reports instead of showing it.
class HeardMessages final : public MessageBoxes {
public:
    std::vector<std::string> texts;
    MsgAnswer Show(std::string_view text, MsgKind, MsgButtons b) override {
        texts.emplace_back(text);
        return DefaultAnswer(b);
    }
    std::optional<std::string> InputQuery(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
};

} // namespace

ClassTreeNode BuildClassTree(const std::vector<std::string>& hierarchy) {
    WorkNode top{"Empty Object", {}};
    std::size_t made = 1;
    // The groups of entries with the same base, in the order their bases
    // first appear; each group from the last entry to the first.
    std::vector<std::pair<std::string, std::vector<std::string>>> groups;
    std::map<std::string, std::size_t> groupOf;
    for (const std::string& line : hierarchy) {
        Entry e = Split(line);
        if (e.name.empty()) continue;
        auto [at, added] = groupOf.emplace(e.base, groups.size());
        if (added) groups.push_back({e.base, {}});
        groups[at->second].second.push_back(std::move(e.name));
    }
    for (auto& group : groups) std::reverse(group.second.begin(), group.second.end());
    // The nodes of each text.
    std::map<std::string, std::vector<WorkNode*>> nodesOf{{top.text, {&top}}};
    // A group is hung under the nodes of its base as soon as there are any;
    // passes go on while one more group found its base.
    std::vector<bool> placed(groups.size(), false);
    for (bool progress = true; progress;) {
        progress = false;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            if (placed[g]) continue;
            const auto bases = nodesOf.find(groups[g].first);
            if (bases == nodesOf.end()) continue;
            placed[g] = progress = true;
            const std::vector<WorkNode*> under = bases->second; // the nodes as they are now
            for (const std::string& name : groups[g].second) {
                for (WorkNode* n : under) {
                    if (made >= kMaxClassTreeNodes) break;
                    n->children.push_back(std::make_unique<WorkNode>(WorkNode{name, {}}));
                    nodesOf[name].push_back(n->children.back().get());
                    ++made;
                }
            }
        }
    }
    return Sorted(top);
}

bool TObjectLibrary::Rebuild(std::string* error) {
    hierarchy.clear();
    names.clear();
    files.clear();
    const std::string dir = LibraryDirectory();
    std::vector<std::string> unreadable;
    for (const std::string& fileName : ClassFileNames()) {
        const std::string path = dir + fileName;
        HeardMessages heard;
        NetFileHeader header;
        {
            PlatformServices quiet{};
            quiet.messages = &heard;
            const PlatformScope scope(quiet);
            header = ReadNetFileHeader(path);
        }
        if (!header.ok) {
            unreadable.push_back(fileName + ": " + (heard.texts.empty() ? std::string("unreadable") : heard.texts.front()));
            header.name.clear();
        } else if (header.name.empty()) {
            // Files before version 1.48 (and empty ones) name no class.
            unreadable.push_back(fileName + ": " + kNoClassNameText);
        }
        if (header.name.find_first_of("\r\n") != std::string::npos) {
            Platform().messages->Error(UnstorableClassNameText(fileName));
            continue;
        }
        hierarchy.push_back(header.name + ";" + header.baseName);
        names.push_back(header.name);
        files.push_back(path);
    }
    if (!unreadable.empty()) Platform().messages->Error(UnreadableClassesText(unreadable));
    tree = BuildClassTree(hierarchy);
    // A session that only reads the installed directory lists the classes
    // for itself and writes no index.
    if (!fs::ProgramDirectoryWritable()) return true;
    const std::string home = fs::ProgramDirectory();
    return fs::WriteTextLines(home + kObjectNameFile, names, error) &&
           fs::WriteTextLines(home + kObjectFileFile, files, error);
}

std::optional<std::string> TObjectLibrary::FileOfClass(const std::string& className) const {
    const std::string* file = FileOf(className);
    if (!file) {
        Platform().messages->Error(std::string(kObjectNotFoundPrefix) + className + kObjectNotFoundSuffix);
        return std::nullopt;
    }
    return *file;
}

namespace {

// Why a name cannot name a class file in the library directory (and a line
// of the index), or empty when it can.
std::string ClassNameFault(const std::string& name) {
    if (name.empty()) return "it is empty";
    if (name == "." || name == "..") return "it names a directory";
    if (name.find_first_of("/\\") != std::string::npos) return "it holds \"/\" or \"\\\"";
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) return "it holds a control character";
    }
    return {};
}

} // namespace

std::optional<std::string> AbstractCurrentObject(TPNObjekt& root) {
    if (!fs::ProgramDirectoryWritable()) {
        Platform().messages->Error(kReadOnlyLibraryText);
        return std::nullopt;
    }
    const std::string dir = LibraryDirectory();
    std::string name = root.name;
    for (;;) {
        // "New Object" is asked for without a word, as a taken name is; a
        // name that cannot be a file's is refused with the reason.
        const std::string fault = name == kNewObject ? std::string() : ClassNameFault(name);
        if (!fault.empty()) Platform().messages->Error(UnusableClassNameText(name, fault));
        if (fault.empty() && name != kNewObject && !fs::FileExists(dir + name + ".pn")) break;
        std::optional<std::string> answer =
            Platform().messages->InputQuery(kNameExistsCaption, kNewNamePrompt, name);
        if (!answer) return std::nullopt;
        name = *answer;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string path = dir + name + ".pn";
    const std::string oldName = root.name;
    root.SetObjectName(name);
    std::string error;
    if (!SaveNetFile(root, path, &error)) {
        root.SetObjectName(oldName);
        Platform().messages->Error("The class " + name + " could not be stored in " + path + ":\r" + error);
        return std::nullopt;
    }
    root.fileName = path;
    ObjectLibrary().Rebuild();
    return path;
}

bool DeleteLibraryFile(const std::string& path) {
    const bool removed = std::remove(path.c_str()) == 0;
    ObjectLibrary().Rebuild();
    return removed;
}

} // namespace qz
