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
// nothing usable was read or the net was read with errors (a command never
// works on a fragment of the user's net); the reader's own messages go to
// `err` as well.
bool LoadCommandNet(TPNObjekt& root, const std::string& input, const std::string& command,
                    std::ostream& err);

// The steps of LoadCommandNet for commands that read the net themselves:
// the input must be a regular file (a FIFO or a device would block or never
// end) ...
bool CheckCommandInput(const std::string& input, const std::string& command, std::ostream& err);
// ... and must have been read without errors.
bool CheckReadCleanly(const TPNObjekt& root, const std::string& input, const std::string& command,
                      std::ostream& err);

// False, with a message, when `output` names the input file (also through
// a link): a command never writes over the net it read.
bool CheckOutputIsNotInput(const std::string& output, const std::string& input,
                           const std::string& command, std::ostream& err);

} // namespace qz::cli
