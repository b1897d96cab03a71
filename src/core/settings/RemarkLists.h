#pragma once
#include <string>
#include <vector>

namespace qz {

// The two free-text remark lists of the options window, kept as text files
// in the program directory (one line per memo line, CR LF).
inline constexpr const char* kShortRemarksFile = "Short-ToDo-Liste.Txt";
inline constexpr const char* kLongRemarksFile = "Long-ToDo-Liste.Txt";
inline constexpr const char* kShortRemarksBackup = "Short-ToDo-Liste.bak";
inline constexpr const char* kLongRemarksBackup = "Long-ToDo-Liste.bak";

struct RemarkLists {
    std::vector<std::string> shortTerm;
    std::vector<std::string> longTerm;
    bool shortLoaded = false; // the file existed and was read
    bool longLoaded = false;
};

// Reads the list files that exist.
RemarkLists LoadRemarkLists();

// Keeps each existing list file as its ".bak" file (an existing backup is
// not replaced: the old backup then stays and the list file is overwritten),
// then writes both lists. False when a list file could not be written.
bool SaveRemarkLists(const std::vector<std::string>& shortTerm,
                     const std::vector<std::string>& longTerm);

} // namespace qz
