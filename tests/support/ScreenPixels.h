#pragma once

// What GUI tests read back from the screen, and the colours of the viewer's picture they look for.

#include <algorithm>
#include <cstdint>
#include <vector>

using Pixels = std::vector<std::uint32_t>;  // 0xRRGGBB, rows top first

constexpr std::uint32_t FLOOR = 0x404040;
constexpr std::uint32_t ROOT_COLOUR = 0x800000;  // palette entry 0
constexpr std::uint32_t NEXT_COLOUR = 0xFF0000;  // palette entry 1

inline std::size_t countOf(const Pixels& pixels, std::uint32_t colour)
{
    return static_cast<std::size_t>(std::count(pixels.begin(), pixels.end(), colour));
}
