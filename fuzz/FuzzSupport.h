#pragma once
// Helpers shared by the fuzz targets: a failed property aborts with a message (libFuzzer then
// keeps the input as a crash artifact), and a reader that turns the input bytes into values.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) ::zrm58::fuzz::fail(#condition, __FILE__, __LINE__);                     \
    } while (false)

namespace zrm58::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz property failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

inline std::string_view asBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Takes values from the front of the input; past its end every value is zero or empty, so every
// input, however short, gives a full set of values.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    template <typename T> T take() {
        T value{};
        const std::size_t n = std::min(sizeof value, bytes_.size());
        std::memcpy(&value, bytes_.data(), n);
        bytes_.remove_prefix(n);
        return value;
    }
    bool takeBool() { return (take<std::uint8_t>() & 1) != 0; }
    // A length byte (units), then that many UTF-16 little-endian units.
    std::u16string takeText() {
        const std::size_t units = take<std::uint8_t>();
        std::u16string text;
        for (std::size_t i = 0; i < units && !bytes_.empty(); ++i)
            text.push_back(take<char16_t>());
        return text;
    }
    std::string_view rest() const { return bytes_; }

private:
    std::string_view bytes_;
};

} // namespace zrm58::fuzz
