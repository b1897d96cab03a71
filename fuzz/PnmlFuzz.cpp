// Imports arbitrary bytes as PNML, and exports and re-imports what was
// accepted. The importer must answer every input with a result (never a
// crash, a sanitizer report or an exception), and a net it accepted must
// survive its own export.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "PnmlExporter.h"
#include "PnmlImporter.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qz::InstallNetFileLoader();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static qz::SilentMessageBoxes boxes;
    static qz::PlatformScope scope([] {
        qz::PlatformServices s{};
        s.messages = &boxes;
        return s;
    }());
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qz::TPNObjekt root;
    const auto r = qz::pnml::PnmlImporter::ImportText(root, text);
    if (!r.ok) return 0;
    const std::string written = qz::pnml::PnmlExporter::ExportText(root);
    qz::TPNObjekt again;
    const auto r2 = qz::pnml::PnmlImporter::ImportText(again, written);
    if (!r2.ok) __builtin_trap();
    if (qz::pnml::PnmlExporter::ExportText(again) != written) __builtin_trap();
    return 0;
}
