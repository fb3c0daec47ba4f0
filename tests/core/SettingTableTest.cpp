// The settings declaration walked row by row: every row's default, round trip and limits, so
// that a new row is tested by adding it.
#include "SettingRows.h"
#include "fakes/FakeFileStore.h"
#include "settings/IniDocument.h"
#include "settings/Utf.h"
#include <gtest/gtest.h>

namespace zrm58 {
namespace {

using testing::beyond;
using testing::numeric;
using testing::otherValue;

const std::string kPath = "/opt/zrm58/ZRM58.ini";

std::string rowName(const SettingDef& def) {
    return "[" + toUtf8(def.section) + "] " + toUtf8(def.name);
}

void store(fakes::FakeFileStore& files, const std::u16string& text) {
    files.files[kPath] = "\xFF\xFE" + toUtf16Le(text);
}

TEST(SettingTable, EachDefaultTextReadsAsTheRecordsDefault) {
    for (const SettingDef& def : kSettingDefs) {
        EXPECT_EQ(limitedOnReading(def, convertSetting(def, def.defaultText, u'.')),
                  settingValue(StripSettings{}, def.key))
            << rowName(def);
        // The record's field holds the row's type.
        EXPECT_EQ(convertSetting(def, def.defaultText, u'.').index(),
                  settingValue(StripSettings{}, def.key).index())
            << rowName(def);
    }
}

// What the settings window offers, the strip and every reader take as it is.
TEST(SettingTable, TheWindowsRangeLiesWithinWhatIsReadAndHeld) {
    for (const SettingDef& def : kSettingDefs) {
        if (def.range.open()) continue; // no control with a range
        for (const Bounds& outer : {def.read, def.held}) {
            EXPECT_LE(outer.min, def.range.min) << rowName(def);
            EXPECT_GE(outer.max, def.range.max) << rowName(def);
        }
    }
}

TEST(SettingTable, EveryRowRoundTripsAndOnlyLoadedRowsAreRead) {
    for (const SettingDef& def : kSettingDefs) {
        for (const char16_t sep : {u'.', u','}) {
            const SettingValue value = otherValue(def);
            ASSERT_NE(value, settingValue(StripSettings{}, def.key)) << rowName(def);
            StripSettings written;
            applySetting(written, def.key, value);
            fakes::FakeFileStore files;
            WriteIniFile(files, kPath, sep, [&] { return written; });
            const std::u16string line =
                std::u16string(def.name) + u"=" + formatSettingText(value, sep) + u"\r\n";
            EXPECT_NE(IniDocument::decode(files.files[kPath]).find(line), std::u16string::npos)
                << rowName(def);
            const StripSettings read = readStripSettings(files, kPath, sep);
            EXPECT_EQ(settingValue(read, def.key),
                      def.loaded ? value : settingValue(StripSettings{}, def.key))
                << rowName(def);
            StripSettings others = read;
            applySetting(others, def.key, settingValue(StripSettings{}, def.key));
            EXPECT_EQ(others, StripSettings{}) << rowName(def) << ": other rows untouched";
        }
    }
}

// A stored value beyond a row's `read` limits reads at the limit; one beyond its `saved` limits
// is saved at the limit.
TEST(SettingTable, LimitsClamp) {
    for (const SettingDef& def : kSettingDefs) {
        for (const auto& side : beyond(def.read)) {
            fakes::FakeFileStore files;
            store(files, testing::iniWith(def, numeric(def, side.value)));
            EXPECT_EQ(settingValue(readStripSettings(files, kPath, u'.'), def.key),
                      numeric(def, side.limit))
                << rowName(def) << " read beyond " << side.limit;
        }
        for (const auto& side : beyond(def.saved)) {
            StripSettings written;
            applySetting(written, def.key, numeric(def, side.value));
            fakes::FakeFileStore files;
            WriteIniFile(files, kPath, u'.', [&] { return written; });
            EXPECT_EQ(settingValue(readStripSettings(files, kPath, u'.'), def.key),
                      numeric(def, side.limit))
                << rowName(def) << " saved beyond " << side.limit;
        }
    }
}

} // namespace
} // namespace zrm58
