#include "drawing/PictureHeader.h"

namespace zrm58 {
namespace {

std::uint32_t byteAt(std::string_view b, std::size_t i) {
    return static_cast<std::uint8_t>(b[i]);
}
std::uint32_t be16(std::string_view b, std::size_t i) {
    return byteAt(b, i) << 8 | byteAt(b, i + 1);
}
std::uint32_t be32(std::string_view b, std::size_t i) {
    return be16(b, i) << 16 | be16(b, i + 2);
}
std::uint32_t le16(std::string_view b, std::size_t i) {
    return byteAt(b, i) | byteAt(b, i + 1) << 8;
}
std::uint32_t le32(std::string_view b, std::size_t i) {
    return le16(b, i) | le16(b, i + 2) << 16;
}

std::optional<PictureHeader> png(std::string_view b) {
    // Signature, then IHDR first: length, type, width, height, bit depth.
    if (b.size() < 25 || b.substr(12, 4) != "IHDR") return std::nullopt;
    return PictureHeader{be32(b, 16), be32(b, 20), byteAt(b, 24) == 16 ? 64 : 32};
}

std::optional<PictureHeader> gif(std::string_view b) {
    // The logical screen, which the decoder allocates whatever its frames cover.
    if (b.size() < 10) return std::nullopt;
    return PictureHeader{le16(b, 6), le16(b, 8), 32};
}

std::optional<PictureHeader> bmp(std::string_view b) {
    if (b.size() < 18) return std::nullopt;
    const std::uint32_t infoSize = le32(b, 14);
    if (infoSize == 12) { // the OS/2 core header: 16-bit sizes
        if (b.size() < 26) return std::nullopt;
        return PictureHeader{le16(b, 18), le16(b, 20), static_cast<int>(le16(b, 24))};
    }
    if (b.size() < 30) return std::nullopt;
    const auto width = static_cast<std::int32_t>(le32(b, 18));
    const auto height = static_cast<std::int32_t>(le32(b, 22)); // negative: rows top-down
    const auto magnitude = [](std::int32_t v) {
        return v < 0 ? std::uint32_t{0} - static_cast<std::uint32_t>(v)
                     : static_cast<std::uint32_t>(v);
    };
    return PictureHeader{width < 0 ? 0 : magnitude(width), magnitude(height),
                         static_cast<int>(le16(b, 28))};
}

std::optional<PictureHeader> jpeg(std::string_view b) {
    // Marker segments up to the first start of frame; every other marker's segment is skipped.
    std::size_t i = 2;
    while (i + 1 < b.size()) {
        if (byteAt(b, i) != 0xFF) return std::nullopt;
        const std::uint32_t marker = byteAt(b, i + 1);
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no segment
            i += 2;
            continue;
        }
        if (i + 4 > b.size()) return std::nullopt;
        const std::uint32_t length = be16(b, i + 2);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (i + 9 > b.size()) return std::nullopt;
            const std::uint32_t height = be16(b, i + 5), width = be16(b, i + 7);
            if (height == 0) return std::nullopt; // the height comes later, after the scan
            return PictureHeader{width, height, 32};
        }
        if (marker == 0xD9 || marker == 0xDA || length < 2) return std::nullopt;
        i += 2 + length;
    }
    return std::nullopt;
}

} // namespace

std::optional<PictureHeader> readPictureHeader(std::string_view b) {
    if (b.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) return png(b);
    if (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a") return gif(b);
    if (b.substr(0, 2) == "BM") return bmp(b);
    if (b.substr(0, 3) == "\xFF\xD8\xFF") return jpeg(b);
    return std::nullopt;
}

} // namespace zrm58
