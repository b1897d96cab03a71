#include "settings/ConfigFile.h"

#include "common/BinaryStream.h"
#include "common/FileSystem.h"
#include "common/ProgramDirectories.h"
#include "platform/Services.h"

namespace qz {

std::string ConfigFilePath() { return fs::ConfigDirectory() + kConfigFileName; }

int ClampGridSize(long long size) {
    if (size < kGridSizeMin) return kGridSizeMin;
    if (size > kGridSizeMax) return kGridSizeMax;
    return static_cast<int>(size);
}

std::vector<std::uint8_t> ConfigBytes(const ProgramSettings& s) {
    BinaryWriter out;
    out.TBool(s.animateContinuous);
    out.TBool(s.alignToGrid);
    out.TBool(s.gridVisible);
    out.TBool(s.movingDetail == MovingDetail::Automatic);
    out.TBool(s.movingDetail == MovingDetail::Quick);
    out.TBool(s.movingDetail == MovingDetail::Detail);
    out.TInt(s.gridSize);
    out.TBool(s.errorMessagesDuringCompiling);
    out.TBool(s.startWindow);
    return std::move(out.Bytes());
}

int ApplyConfigBytes(const std::vector<std::uint8_t>& bytes, ProgramSettings& s) {
    BinaryReader in(bytes);
    int applied = 0;
    // A checked radio button selects its mode; an unchecked one leaves the
    // mode to the others.
    auto mode = [&s](bool checked, MovingDetail m) {
        if (checked) s.movingDetail = m;
    };
    try {
        s.animateContinuous = in.TBool(), ++applied;
        s.alignToGrid = in.TBool(), ++applied;
        s.gridVisible = in.TBool(), ++applied;
        mode(in.TBool(), MovingDetail::Automatic), ++applied;
        mode(in.TBool(), MovingDetail::Quick), ++applied;
        mode(in.TBool(), MovingDetail::Detail), ++applied;
        s.gridSize = ClampGridSize(in.TInt()), ++applied;
        s.errorMessagesDuringCompiling = in.TBool(), ++applied;
        s.startWindow = in.TBool(), ++applied;
    } catch (const StreamReadError&) {
    }
    return applied;
}

void RestoreStoredSettings(ProgramSettings& s) {
    const ProgramSettings start;
    s.animateContinuous = start.animateContinuous;
    s.alignToGrid = start.alignToGrid;
    s.gridVisible = start.gridVisible;
    s.movingDetail = start.movingDetail;
    s.gridSize = start.gridSize;
    s.errorMessagesDuringCompiling = start.errorMessagesDuringCompiling;
    s.startWindow = start.startWindow;
}

bool LoadConfig() {
    const fs::ProgramDirectories dirs = fs::CurrentDirectories();
    const std::string& dir = dirs.config;
    const std::string path = dir + kConfigFileName;
    if (!fs::FileExists(path)) {
        if (!dirs.Writable()) return false;
        std::string text = kConfigMissingText;
        text.append(dir).push_back('\r');
        Platform().messages->Warn(text);
        return false;
    }
    const std::optional<std::vector<std::uint8_t>> bytes = fs::ReadFile(path, 1 << 20);
    // Read into a copy: a file that breaks off restores the start values of
    // all nine settings, as its message says, instead of keeping a mixture.
    ProgramSettings read = Settings();
    if (!bytes || ApplyConfigBytes(*bytes, read) < 9) {
        RestoreStoredSettings(Settings());
        Platform().messages->Warn(kConfigInvalidText);
        return false;
    }
    Settings() = read;
    return true;
}

bool SaveConfig(std::string* error) {
    if (!fs::ProgramDirectoryWritable()) return true;
    const std::vector<std::uint8_t> bytes = ConfigBytes(Settings());
    return fs::WriteFileAtomically(ConfigFilePath(), bytes.data(), bytes.size(), error);
}

} // namespace qz
