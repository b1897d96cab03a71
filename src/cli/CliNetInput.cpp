#include "CliNetInput.h"

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

bool LoadCommandNet(TPNObjekt& root, const std::string& input, const std::string& command,
                    std::ostream& err) {
    if (!fs::FileExists(input)) {
        err << "quenzor-cli " << command << ": cannot read \"" << input << "\"\n";
        return false;
    }
    MessagesToStream messages(err);
    ObjectLibrary().LoadIndex();
#ifdef QZ_HAVE_INTERCHANGE
    const bool loaded = LoadAnyNet(root, input, err);
#else
    const bool loaded = LoadNetFile(root, input);
#endif
    if (!loaded) {
        err << "quenzor-cli " << command << ": \"" << input << "\" is no readable net file\n";
    }
    return loaded;
}

} // namespace qz::cli
