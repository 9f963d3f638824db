#pragma once
// Constants of the Windows bitmap file format shared by the BMP reader and writer.
#include <array>
#include <cstdint>

namespace velquora::bmp {

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;

constexpr int FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t InfoHeaderSize = 40;
constexpr std::uint32_t V4HeaderSize = 108;
constexpr std::uint32_t V5HeaderSize = 124;
// Core, info, info with RGB masks, info with RGBA masks, V4 and V5.
constexpr std::array<std::uint32_t, 6> AcceptedHeaderSizes = {CoreHeaderSize, InfoHeaderSize, 52, 56,
                                                              V4HeaderSize, V5HeaderSize};

// Red, green and blue masks.
constexpr std::uint32_t Masks555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr std::uint32_t Masks565[3] = {0xF800, 0x07E0, 0x001F};
constexpr std::uint32_t Masks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

}  // namespace velquora::bmp
