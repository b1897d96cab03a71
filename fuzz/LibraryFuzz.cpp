// Builds an object library from arbitrary bytes: the two index files, class
// files in "Objects" and a document that uses them, in a program directory
// of its own (on /dev/shm when there is one). The document is read with the
// real loader, saved over its file (keeping the damaged original), read and
// saved again; the library is rebuilt from the class headers. Every input
// must end in messages and a consistent net: a crash, a hang, a leak or a
// sanitizer report is a finding, and so is a saved net that does not read
// back to the same bytes.
//
// Input: parts separated by "\x1e\x1e\x1e": "ObjName.dat", "ObjFile.dat",
// class files, the document (the last part). The lines of "ObjFile.dat" name
// files in "Objects" (reduced to letters, digits, '.', '-' and '_'); the
// class parts are written there as "0.pn", "1.pn", ... (at most 16).
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "model/description/NetDescription.h"
#include "model/storage/NetFile.h"
#include "platform/Services.h"

namespace {

namespace stdfs = std::filesystem;

constexpr std::string_view kSeparator = "\x1e\x1e\x1e";
constexpr std::size_t kMaxClasses = 16;

std::vector<std::string_view> Split(std::string_view input) {
    std::vector<std::string_view> parts;
    for (std::size_t at; (at = input.find(kSeparator)) != std::string_view::npos;) {
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + kSeparator.size());
    }
    parts.push_back(input);
    return parts;
}

void Write(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// "ObjFile.dat" from the input's lines: file names inside Objects/.
std::string FileIndex(std::string_view lines, const std::string& objects) {
    std::string out, name;
    const auto flush = [&] {
        while (!name.empty() && name.front() == '.') name.erase(0, 1);
        out += objects + name.substr(0, 32) + "\r\n";
        name.clear();
    };
    for (char c : lines) {
        if (c == '\n') {
            flush();
        } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_') {
            name += c;
        }
    }
    if (!name.empty()) flush();
    return out;
}

const std::string& Home() {
    static const std::string home = [] {
        const std::string base = stdfs::is_directory("/dev/shm") ? "/dev/shm" : stdfs::temp_directory_path().string();
        std::string dir = base + "/qz-library-fuzz-" + std::to_string(::getpid()) + "/";
        stdfs::create_directories(dir + "Objects");
        ::setenv("QUENZOR_HOME", dir.c_str(), 1);
        return dir;
    }();
    return home;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static qz::SilentMessageBoxes boxes;
    static qz::PlatformScope scope(
        qz::PlatformServices{&boxes, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr});
    // Small bounds keep every input quick; the bounds themselves are what is tested.
    qz::LoadLimits().objects = 3000;
    qz::LoadLimits().classDepth = 12;

    const std::string& home = Home();
    const std::string objects = home + "Objects/";
    std::error_code ec;
    stdfs::remove_all(objects, ec);
    stdfs::create_directories(objects, ec);
    for (const char* f : {"ObjName.dat", "ObjFile.dat"}) stdfs::remove(home + f, ec);

    const std::vector<std::string_view> parts =
        Split(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parts.size() >= 2) Write(home + "ObjName.dat", parts[0]);
    if (parts.size() >= 3) Write(home + "ObjFile.dat", FileIndex(parts[1], objects));
    for (std::size_t i = 2; i + 1 < parts.size() && i - 2 < kMaxClasses; ++i) {
        Write(objects + std::to_string(i - 2) + ".pn", parts[i]);
    }
    const std::string document = home + "document.pn";
    stdfs::remove(document + ".damaged", ec);
    Write(document, parts.back());

    qz::TObjectLibrary& library = qz::ObjectLibrary();
    library = qz::TObjectLibrary{};
    qz::InstallNetFileLoader();
    library.LoadIndex();

    qz::TPNObjekt root;
    if (qz::LoadNetFile(root, document)) {
        std::vector<std::string> lines = qz::DescribeDocument(root);
        qz::StructureListing(root, lines);
        qz::SaveNetFileKeepingOriginal(root, document);
        // Once saved, a net reads back to the same bytes.
        qz::TPNObjekt again;
        qz::LoadNetFile(again, document);
        const std::vector<std::uint8_t> once = qz::SaveNet(again);
        qz::TPNObjekt third;
        qz::LoadNet(third, once);
        if (qz::SaveNet(third) != once) __builtin_trap();
    }
    library.Rebuild();
    library.LoadIndex();
    return 0;
}
