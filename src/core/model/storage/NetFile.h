#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qz {

class BinaryReader;
class TGraphItem;
class TPNObjekt;

// Reading and writing whole nets in the binary .pn format (written as
// version "2,7"; versions 1, 1.44, 1.46 and 1.48 are read too).

// Texts of the reader's messages.
inline constexpr const char* kReadErrorText = "Error while reading file. The file will be closed now...";
inline constexpr const char* kWrongDataText = "Wrong file version. Wrong data elements become discarded.";
inline constexpr const char* kUnsupportedFormatText =
    "This file format is not supported by this version of Quenzor";
// "This file (Version " + label + ") is created by a newer version of Quenzor (" + label + ")."
std::string NewerVersionText(const std::string& label);
// The reading stopped at LoadLimits().objects objects.
std::string TooManyObjectsText();
// "The file was read with errors. Its original is kept as \"<copy>\"."
std::string KeptOriginalText(const std::string& copy);
// A class file's header lies within this many bytes at its start.
inline constexpr std::size_t kMaxHeaderBytes = 1 << 16;

// Reads the file into `root`, an empty root object, with the document's
// settings (sample time, time unit, enhanced firing rule) and the version
// label read (`root.fileVersion`). Failures are reported
// through the message boxes; false when nothing usable was read (file
// missing, unreadable or no regular file, newer version, read error before
// the net). After any fault `root.readWithErrors` is set, also when what
// was read is kept and true is returned: damaged records, data after the
// end, arcs with keys of no element, classes that could not be loaded
// (their objects keep stand-ins, TPNObjekt::UseStandInClass), too many
// objects. `statusText` receives the version label read, or is cleared when
// the file is refused.
bool LoadNetFile(TPNObjekt& root, const std::string& path, std::string* statusText = nullptr);
bool LoadNet(TPNObjekt& root, const std::vector<std::uint8_t>& bytes, std::string* statusText = nullptr);

// Writes the root object as version "2,7" (and sets `root.fileVersion` to
// it). The previous file survives any failure (written to a temporary file,
// then renamed).
bool SaveNetFile(TPNObjekt& root, const std::string& path, std::string* error = nullptr);

// Saving a document: as SaveNetFile, but a document read with errors that
// is saved over the file it was read from (`root.fileName`, also through a
// link) first keeps that file beside it as PATH.damaged (PATH.damaged1, ...
// when taken) and says so (information, KeptOriginalText); after that save
// the document counts as read cleanly. Saving elsewhere (a backup, "Save
// As") keeps the mark. `keptCopy` receives the copy's path (empty when none
// was made). False, with the reason in *error, when the copy or the save
// failed; the file is untouched then.
bool SaveNetFileKeepingOriginal(TPNObjekt& root, const std::string& path, std::string* error = nullptr,
                                std::string* keptCopy = nullptr);
std::vector<std::uint8_t> SaveNet(TPNObjekt& root);

// The header of a net file as the object library reads it: the root
// object's name and base name. Files older than 1.48 have no names (empty
// name, base "Empty Object"); a newer version is reported and gives empty
// names; `ok` is false when the file could not be read or was refused.
struct NetFileHeader {
    std::string name;
    std::string baseName = "Empty Object";
    bool ok = false;
};
NetFileHeader ReadNetFileHeader(const std::string& path);
NetFileHeader ReadNetHeader(const std::vector<std::uint8_t>& bytes);

// Reads one net record of a file with version label `version` from `in`
// into `elements` (new elements are appended; with `select` each is
// selected), choosing the reader by the label's numeric value. Arcs of the
// layouts before 1.48 are connected at once; later ones keep their stored
// ends for the object reader. Reports "Wrong file version. ..." for a fault
// inside the record (and for old-layout arcs whose keys name no element,
// which are dropped), sets *damaged then, and keeps what was read; false when
// no reader handles the label (reported as unsupported).
bool ReadNetRecord(TPNObjekt& object, BinaryReader& in, const std::string& version, bool select,
                   std::vector<std::unique_ptr<TGraphItem>>& elements, bool* damaged = nullptr);

// Lets the object library read class files (`ObjectLibrary().loadClass`),
// which is how TPNObjekt::SetInherited loads base classes. Every program
// calls it once at start-up (tests and benchmarks too); idempotent.
void InstallNetFileLoader();

} // namespace qz
