#pragma once
// The largest background picture a face decodes, shared by every face so that a picture is
// refused or taken alike everywhere. The rule is the Qt image reader's allocation limit: the
// decoded pixels, at least 32 bits each, rows padded to whole 32-bit words, must not exceed
// kMaxDecodedPictureBytes. A picture above it is refused from its header's size alone, before
// anything is decoded.
#include <cstdint>

namespace zrm58::picturelimit {

inline constexpr std::uint64_t kMaxDecodedPictureBytes = std::uint64_t{128} << 20;

// Bytes of a decoded width x height picture at `bitsPerPixel` (raised to 32, at most 128), or
// the largest number for a size past it.
inline std::uint64_t decodedBytes(std::uint32_t width, std::uint32_t height, int bitsPerPixel) {
    const std::uint64_t bits = bitsPerPixel < 32    ? 32
                               : bitsPerPixel > 128 ? 128
                                                    : static_cast<std::uint64_t>(bitsPerPixel);
    const std::uint64_t row = (width * bits + 31) / 32 * 4; // below 2^40
    if (height != 0 && row > UINT64_MAX / height) return UINT64_MAX;
    return row * height;
}

// Whether a picture of that size may be decoded: not empty and within the limit.
inline bool fits(std::uint32_t width, std::uint32_t height, int bitsPerPixel) {
    return width > 0 && height > 0 &&
           decodedBytes(width, height, bitsPerPixel) <= kMaxDecodedPictureBytes;
}

} // namespace zrm58::picturelimit
