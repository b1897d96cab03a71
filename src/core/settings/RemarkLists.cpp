#include "settings/RemarkLists.h"

#include <cstdio>

#include "common/FileSystem.h"
#include "common/ProgramDirectories.h"

namespace qz {

RemarkLists LoadRemarkLists() {
    const std::string dir = fs::ProgramDirectory();
    RemarkLists lists;
    if (auto lines = fs::ReadTextLines(dir + kShortRemarksFile)) {
        lists.shortTerm = std::move(*lines);
        lists.shortLoaded = true;
    }
    if (auto lines = fs::ReadTextLines(dir + kLongRemarksFile)) {
        lists.longTerm = std::move(*lines);
        lists.longLoaded = true;
    }
    return lists;
}

namespace {

void KeepBackup(const std::string& file, const std::string& backup) {
    // rename() would replace an existing backup; the old backup stays instead.
    if (fs::FileExists(file) && !fs::FileExists(backup)) std::rename(file.c_str(), backup.c_str());
}

} // namespace

bool SaveRemarkLists(const std::vector<std::string>& shortTerm,
                     const std::vector<std::string>& longTerm) {
    // A session that only reads the installed directory keeps no remarks.
    if (!fs::ProgramDirectoryWritable()) return false;
    const std::string dir = fs::ProgramDirectory();
    KeepBackup(dir + kShortRemarksFile, dir + kShortRemarksBackup);
    KeepBackup(dir + kLongRemarksFile, dir + kLongRemarksBackup);
    const bool a = fs::WriteTextLines(dir + kShortRemarksFile, shortTerm);
    const bool b = fs::WriteTextLines(dir + kLongRemarksFile, longTerm);
    return a && b;
}

} // namespace qz
