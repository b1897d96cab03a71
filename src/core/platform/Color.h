#pragma once
#include <cstdint>

namespace qz {

// A colour as 0x00BBGGRR, the layout net files store.
using TColor = std::uint32_t;

constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
constexpr std::uint8_t RedOf(TColor c) { return c & 0xFF; }
constexpr std::uint8_t GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr std::uint8_t BlueOf(TColor c) { return (c >> 16) & 0xFF; }

namespace colors {
inline constexpr TColor Black = RGB(0, 0, 0);
inline constexpr TColor White = RGB(255, 255, 255);
inline constexpr TColor Red = RGB(255, 0, 0);
inline constexpr TColor Blue = RGB(0, 0, 255);
inline constexpr TColor Yellow = RGB(255, 255, 0);
inline constexpr TColor Green = RGB(0, 128, 0);
inline constexpr TColor Gray = RGB(128, 128, 128);
inline constexpr TColor Silver = RGB(192, 192, 192);
} // namespace colors

} // namespace qz
