// Fuzz target: whatever the settings writer writes, the reader reads back unchanged.
//
// Input: the strip's values taken from the front of the input (see takeSettings), a byte that
// picks the decimal separator, and the rest as the file that stood there before the save (any
// bytes: the save keeps what it does not own). The save goes through the in-memory file store.
//
// Expected on reading back, as the file format defines: a negative Top or Left saved as 0; the
// shadow colour (written, never read) at its default; CR and LF in texts as spaces; floats at
// 15 significant digits (Opacity in single precision, limited to 0..1), a float that is not
// finite, or whose 15-digit form lies beyond the double range, at the key's default. A second
// save of the same values leaves the file byte for byte as it was.
#include "FuzzSupport.h"
#include "fakes/FakeFileStore.h"
#include "settings/SettingsFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace zrm58;
using fakes::FakeFileStore;

constexpr const char* kPath = "/home/user/.config/zrm58/ZRM58.ini";

StripSettings takeSettings(fuzz::ByteReader& in) {
    StripSettings s;
    s.top = in.take<std::int32_t>();
    s.left = in.take<std::int32_t>();
    s.height = in.take<std::int32_t>();
    s.width = in.take<std::int32_t>();
    s.original = in.take<double>();
    s.topLevel = in.takeBool();
    s.opacity = in.take<float>();
    s.taskBar = in.takeBool();
    s.bold = in.takeBool();
    s.fontColor = in.take<std::uint32_t>();
    s.family = in.takeText();
    s.shadow = in.takeBool();
    s.shadowColor = in.take<std::uint32_t>();
    s.color1 = in.take<std::uint32_t>();
    s.color2 = in.take<std::uint32_t>();
    s.gradient = in.takeBool();
    s.direction = in.take<std::int32_t>();
    s.gazou = in.takeBool();
    s.gazouFile = in.takeText();
    s.interval = in.take<std::int32_t>();
    s.format = in.takeText();
    s.sep = in.takeText();
    return s;
}

// A double as 15 significant digits make it; `fallback` when that is not a finite double.
// Worked out with the C library, apart from the formatter under test.
double at15Digits(double value, double fallback) {
    if (!std::isfinite(value)) return fallback;
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    const double rounded = std::strtod(text, nullptr);
    return std::isfinite(rounded) ? rounded : fallback;
}

std::u16string withoutLineBreaks(std::u16string text) {
    std::replace_if(
        text.begin(), text.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
    return text;
}

StripSettings expectedOnReading(StripSettings s) {
    const StripSettings defaults;
    clampPosition(s);
    s.original = at15Digits(s.original, defaults.original);
    s.opacity = limitOpacity(at15Digits(double{s.opacity}, defaults.opacity));
    s.shadowColor = defaults.shadowColor;
    for (std::u16string* text : {&s.family, &s.gazouFile, &s.format, &s.sep})
        *text = withoutLineBreaks(std::move(*text));
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteReader in(fuzz::asBytes(data, size));
    const StripSettings saved = takeSettings(in);
    static constexpr char16_t kSeparators[] = {u'.', u',', u'\u066B'};
    const char16_t decimalSep = kSeparators[in.take<std::uint8_t>() % 3];
    FakeFileStore store;
    if (!in.rest().empty()) store.files[kPath] = std::string(in.rest());

    WriteIniFile(store, kPath, decimalSep, [&] { return saved; });
    const std::string first = store.files.at(kPath);
    const StripSettings read = readStripSettings(store, kPath, decimalSep);
    FUZZ_CHECK(read == expectedOnReading(saved));

    WriteIniFile(store, kPath, decimalSep, [&] { return saved; });
    FUZZ_CHECK(store.files.at(kPath) == first);
    return 0;
}
