#include "library/FactoryLogic.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "common/FileSystem.h"
#include "editor/Document.h"
#include "model/ObjectLibrary.h"
#include "model/Pasting.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"

namespace qz::ui {

namespace stdfs = std::filesystem;

const char* DirectoryName(FactoryDirectory d) {
    switch (d) {
    case FactoryDirectory::Data: return "Data";
    case FactoryDirectory::Tutorial: return "Tutorial";
    case FactoryDirectory::Objects: return kObjectsDirectory;
    }
    return "";
}

std::string MissingDirectoryText(FactoryDirectory d, const std::string& programDirectory) {
    const char* which = d == FactoryDirectory::Tutorial ? "The tutorial directory\r" : "The default directory\r";
    return which + programDirectory + DirectoryName(d) + "/\rnot exists.";
}

namespace {

bool Listable(const std::string& directory) {
    std::error_code ec;
    stdfs::directory_iterator it(directory, ec);
    return !ec;
}

std::string Folded(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsNetFileName(const std::string& name) {
    return name.size() > 3 && Folded(name.substr(name.size() - 3)) == ".pn";
}

} // namespace

StartDirectoryChoice StartDirectory(const std::string& workingDirectory) {
    const std::string data = (stdfs::path(workingDirectory) / "Data").string();
    if (!fs::DirectoryExists(data)) return {workingDirectory, !Listable(workingDirectory)};
    if (Listable(data)) return {data, false};
    return {workingDirectory, true};
}

std::optional<std::vector<std::string>> NetFilesIn(const std::string& directory) {
    std::error_code ec;
    stdfs::directory_iterator it(directory, ec);
    if (ec) return std::nullopt;
    std::vector<std::string> names;
    for (const stdfs::directory_entry& entry : it) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError)) continue;
        std::string name = entry.path().filename().string();
        if (IsNetFileName(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string fa = Folded(a), fb = Folded(b);
        return fa != fb ? fa < fb : a < b;
    });
    return names;
}

std::string LibraryStamp() {
    std::string stamp;
    std::error_code ec;
    std::vector<std::string> lines;
    for (const stdfs::directory_entry& entry : stdfs::directory_iterator(LibraryDirectory(), ec)) {
        std::error_code e1, e2;
        const auto size = entry.file_size(e1);
        const auto time = entry.last_write_time(e2).time_since_epoch().count();
        lines.push_back(entry.path().filename().string() + '\t' + std::to_string(e1 ? 0 : size) + '\t' +
                        std::to_string(e2 ? 0 : time));
    }
    std::sort(lines.begin(), lines.end());
    for (const std::string& l : lines) stamp += l + '\n';
    return stamp;
}

std::vector<std::string> UsersOfClassFile(const std::string& path, const TObjectLibrary& library,
                                          const std::vector<OpenDocumentRef>& documents) {
    std::set<std::string> classes;
    for (std::size_t i = 0; i < library.files.size() && i < library.names.size(); ++i) {
        if (!library.names[i].empty() && (library.files[i] == path || fs::SameFile(library.files[i], path))) {
            classes.insert(library.names[i]);
        }
    }
    std::vector<std::string> users;
    if (classes.empty()) return users;
    for (const std::string& entry : library.hierarchy) {
        const std::size_t semi = entry.find(';');
        if (semi == std::string::npos) continue;
        const std::string name = entry.substr(0, semi), base = entry.substr(semi + 1);
        if (classes.count(base) && !classes.count(name)) users.push_back("class " + name);
    }
    for (const OpenDocumentRef& d : documents) {
        if (!d.root) continue;
        bool uses = false;
        std::string instances;
        for (const TPNObjekt* o : d.root->Registry()) {
            if (!o || !classes.count(o->baseName)) continue;
            uses = true;
            if (o->Parent()) instances += (instances.empty() ? ": " : ", ") + o->name;
        }
        if (uses) users.push_back("document " + d.caption + instances);
    }
    return users;
}

std::string DeleteFileQuestion(const std::string& path, const std::vector<std::string>& users) {
    std::string text;
    if (!users.empty()) {
        text = "The classes of this file are used by:";
        for (const std::string& u : users) text += "\r  " + u;
        text += "\r";
    }
    return text + "Delete File : \"" + path + "\" ?";
}

MergeOutcome MergeNetFile(TDocument& document, const std::string& path) {
    MergeOutcome outcome;
    if (!document.Net()) return outcome;
    TPNObjekt source;
    if (!LoadNetFile(source, path)) return outcome;
    outcome.read = true;
    document.BeginChange("Merge File");
    const std::vector<TGraphItem*> merged = MergeNet(*document.Net(), source.Net(), &outcome.leftOut);
    outcome.merged = merged.size();
    if (!merged.empty()) document.SetModified(true);
    document.EndChange();
    return outcome;
}

std::string LeftOutText(const std::string& path, std::size_t leftOut) {
    return "Placed objects and the arcs to them are not merged: " + std::to_string(leftOut) +
           " elements of \"" + FileNameOnly(path) + "\" were left out.";
}

} // namespace qz::ui
