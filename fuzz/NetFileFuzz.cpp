// Reads arbitrary bytes as a net file, then saves and describes whatever was
// read. The reader must turn every input into messages and a consistent net:
// a crash, a hang, a leak or a sanitizer report is a finding. One library
// class ("Tank", with a published place "level") is available in memory, so
// that inheritance and placed objects are reached too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/ObjectLibrary.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/description/NetDescription.h"
#include "model/storage/NetFile.h"
#include "platform/Services.h"

namespace {

std::vector<std::uint8_t> TankClass() {
    qz::TPNObjekt tank;
    tank.SetObjectName("Tank");
    auto place = std::make_unique<qz::TPlatz>();
    place->variableName = "level";
    qz::TPlatz* raw = place.get();
    tank.Net().Add(std::move(place));
    raw->SetInterfaceFlag(1);
    return qz::SaveNet(tank);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static qz::SilentMessageBoxes boxes;
    static qz::PlatformScope scope(
        qz::PlatformServices{&boxes, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr});
    static const std::vector<std::uint8_t> tank = [] {
        qz::TObjectLibrary& library = qz::ObjectLibrary();
        library.names = {"Tank"};
        library.files = {"Tank.pn"};
        library.loadClass = [](qz::TPNObjekt& into, const std::string&) {
            static const std::vector<std::uint8_t> bytes = TankClass();
            return qz::LoadNet(into, bytes);
        };
        return TankClass();
    }();
    (void)tank;

    const std::vector<std::uint8_t> bytes(data, data + size);
    qz::TPNObjekt root;
    root.timeUnit = 1;
    std::string status;
    qz::LoadNet(root, bytes, &status);
    const std::vector<std::uint8_t> saved = qz::SaveNet(root);
    std::vector<std::string> lines = qz::DescribeDocument(root);
    qz::StructureListing(root, lines);
    // What was saved must read back.
    qz::TPNObjekt again;
    qz::LoadNet(again, saved);
    return 0;
}
