#include "CliNetInput.h"

#include <filesystem>
#include <ostream>

#include "CliMessageBoxes.h"
#include "common/FileSystem.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"
#ifdef QZ_HAVE_INTERCHANGE
#include "LoadAnyNet.h"
#endif

namespace qz::cli {

bool CheckCommandInput(const std::string& input, const std::string& command, std::ostream& err) {
    if (fs::FileExists(input)) return true;
    // Told apart without opening: opening a FIFO would wait for a writer.
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(input, ec);
    const bool special = !ec && std::filesystem::exists(st);
    err << "quenzor-cli " << command << ": cannot read \"" << input << "\""
        << (special ? ": it is no regular file" : "") << '\n';
    return false;
}

bool CheckReadCleanly(const TPNObjekt& root, const std::string& input, const std::string& command,
                      std::ostream& err) {
    if (!root.readWithErrors) return true;
    err << "quenzor-cli " << command << ": \"" << input
        << "\" was read with errors (see above); nothing was done\n";
    return false;
}

bool CheckOutputIsNotInput(const std::string& output, const std::string& input,
                           const std::string& command, std::ostream& err) {
    if (!fs::SameFile(output, input)) return true;
    err << "quenzor-cli " << command << ": the output \"" << output
        << "\" is the net file read; give another file\n";
    return false;
}

bool LoadCommandNet(TPNObjekt& root, const std::string& input, const std::string& command,
                    std::ostream& err) {
    if (!CheckCommandInput(input, command, err)) return false;
    MessagesToStream messages(err);
    ObjectLibrary().LoadIndex();
#ifdef QZ_HAVE_INTERCHANGE
    const bool loaded = LoadAnyNet(root, input, err);
#else
    const bool loaded = LoadNetFile(root, input);
#endif
    if (!loaded) {
        err << "quenzor-cli " << command << ": \"" << input << "\" is no readable net file\n";
        return false;
    }
    return CheckReadCleanly(root, input, command, err);
}

} // namespace qz::cli
