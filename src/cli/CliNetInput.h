#pragma once
#include <iosfwd>
#include <string>

namespace qz {
class TPNObjekt;
}

namespace qz::cli {

// Reads the net a command works on: a .pn file, or a .pnml file of another
// tool when the interchange library is built in (transitions then fire
// stepwise). Base classes and placed objects come from the library in the
// program directory. Prints "quenzor-cli COMMAND: ..." and returns false when
// nothing usable was read; the reader's own messages go to `err` as well.
bool LoadCommandNet(TPNObjekt& root, const std::string& input, const std::string& command,
                    std::ostream& err);

} // namespace qz::cli
