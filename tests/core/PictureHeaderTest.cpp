// A picture's size from its header, and the shared limit on what a face decodes.
#include "drawing/PictureHeader.h"
#include "strip/PictureLimit.h"
#include <gtest/gtest.h>

namespace zrm58 {
namespace {

std::string be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}
std::string le16(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}
std::string le32(std::uint32_t v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}

std::string png(std::uint32_t w, std::uint32_t h, int depth) {
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(w) + be32(h) +
           static_cast<char>(depth) + std::string("\x06\0\0\0", 4);
}

std::string jpeg(std::uint32_t w, std::uint32_t h) {
    const std::string app0 =
        std::string("\xFF\xE0\x00\x10", 4) + std::string("JFIF\0", 5) + std::string(9, '\0');
    const std::string sof = std::string("\xFF\xC2\x00\x11\x08", 5) +
                            std::string{static_cast<char>(h >> 8), static_cast<char>(h),
                                        static_cast<char>(w >> 8), static_cast<char>(w)} +
                            std::string(10, '\0');
    return std::string("\xFF\xD8", 2) + app0 + std::string("\xFF\xFF", 2) + sof;
}

TEST(PictureHeader, ReadsTheSizeOfEachFormat) {
    struct Case {
        const char* name;
        std::string bytes;
        std::uint32_t w, h;
        int bits;
    } cases[] = {
        {"png", png(30000, 30000, 8), 30000, 30000, 32},
        {"png 16-bit", png(300, 200, 16), 300, 200, 64},
        {"jpeg (progressive, after fill bytes)", jpeg(4000, 3000), 4000, 3000, 32},
        {"gif", "GIF89a" + le16(640) + le16(480) + std::string(3, '\0'), 640, 480, 32},
        {"bmp",
         "BM" + std::string(12, '\0') + le32(40) + le32(800) + le32(0xFFFFFF38) + le16(1) +
             le16(24),
         800, 200, 24},
        {"bmp core",
         "BM" + std::string(12, '\0') + le32(12) + le16(64) + le16(32) + le16(1) + le16(8), 64, 32,
         8},
    };
    for (const Case& c : cases) {
        const std::optional<PictureHeader> h = readPictureHeader(c.bytes);
        ASSERT_TRUE(h) << c.name;
        EXPECT_EQ(c.w, h->width) << c.name;
        EXPECT_EQ(c.h, h->height) << c.name;
        EXPECT_EQ(c.bits, h->bitsPerPixel) << c.name;
    }
}

TEST(PictureHeader, NothingForOtherOrCutBytes) {
    for (const std::string& bytes :
         {std::string(), std::string("not a picture"), png(10, 10, 8).substr(0, 20),
          jpeg(10, 10).substr(0, 30), std::string("GIF89a\x01", 7), std::string("BM")})
        EXPECT_FALSE(readPictureHeader(bytes)) << bytes.size();
}

TEST(PictureLimit, TheQtReaderRuleAtThirtyTwoBitsOrMore) {
    using namespace picturelimit;
    EXPECT_TRUE(fits(5600, 5600, 32));  // 119.6 MiB
    EXPECT_FALSE(fits(8000, 8000, 32)); // 244 MiB
    EXPECT_FALSE(fits(30000, 30000, 32));
    EXPECT_TRUE(fits(8192, 4096, 32)); // exactly 128 MiB
    EXPECT_FALSE(fits(8192, 4097, 32));
    EXPECT_FALSE(fits(8192, 4096, 64)); // 16-bit channels take twice the bytes
    EXPECT_EQ(decodedBytes(8000, 8000, 1), decodedBytes(8000, 8000, 32)); // raised to 32 bits
    EXPECT_FALSE(fits(0, 10, 32));
    EXPECT_FALSE(fits(0xFFFFFFFF, 0xFFFFFFFF, 64)); // no overflow into a small number
}

} // namespace
} // namespace zrm58
