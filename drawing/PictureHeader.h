#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// The size of a picture read from its header alone, without decoding any pixel: for PNG, JPEG,
// GIF and BMP, the formats whose decoders would otherwise take the whole picture into memory
// before anyone can ask how large it is.
namespace zrm58 {

struct PictureHeader {
    std::uint32_t width = 0, height = 0;
    // Bits per pixel of the decoder's output: 64 for 16-bit PNG channels and 64-bit BMPs, 32
    // otherwise (everything is decoded to at least 32 bits).
    int bitsPerPixel = 32;
};

// Nothing for another format or a header cut short.
std::optional<PictureHeader> readPictureHeader(std::string_view bytes);

} // namespace zrm58
