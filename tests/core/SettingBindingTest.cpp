// The strip's bindings walked row by row: every declared setting read into the strip, saved
// back, limited as the strip takes it, and through the settings window unchanged.
#include "SettingRows.h"
#include "StripFixture.h"
#include "strip/SettingBindings.h"
#include <gtest/gtest.h>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

std::string rowName(const SettingDef& def) {
    return "[" + toUtf8(def.section) + "] " + toUtf8(def.name);
}

StripSettings saved(StripFixture& f) {
    f.strip->WriteIniFile();
    return readStripSettings(f.files, kIniPath, u'.');
}

SettingValue saved(StripFixture& f, SettingKey key) {
    return settingValue(saved(f), key);
}

TEST(SettingBindings, AStripWithoutAFileSavesTheDeclaredDefaults) {
    StripFixture f;
    f.create();
    f.strip->WriteIniFile();
    EXPECT_EQ(readStripSettings(f.files, kIniPath, u'.'), StripSettings{});
}

TEST(SettingBindings, EveryLoadedRowIsTakenByTheStripAndSavedBack) {
    for (const SettingDef& def : kSettingDefs) {
        if (!def.loaded) continue;
        StripFixture f;
        const SettingValue value = otherValue(def);
        f.writeIni(iniWith(def, value));
        f.create();
        StripSettings expected;
        applySetting(expected, def.key, value);
        EXPECT_EQ(saved(f), expected) << rowName(def) << ": that row and no other";
    }
}

// A stored value beyond what the strip takes (its row's `held` limits) is taken at the limit,
// and saved within what a save stores.
TEST(SettingBindings, TheStripTakesAValueWithinItsHeldLimits) {
    for (const SettingDef& def : kSettingDefs) {
        for (const auto& side : beyond(def.held)) {
            StripFixture f;
            f.writeIni(iniWith(def, numeric(def, side.value)));
            f.create();
            EXPECT_EQ(saved(f, def.key), withinBounds(numeric(def, side.limit), def.saved))
                << rowName(def) << " beyond " << side.limit;
        }
    }
}

// The limits themselves: X's signed 16-bit coordinates, the largest width factor.
TEST(SettingBindings, PositionsAndTheWidthFactorStayWhatAScreenCanShow) {
    struct Row {
        const char16_t* ini;
        Rect frame; // the window's, after the read
        double muWidth;
    } rows[] = {
        {u"[Form]\nTop=40000\nLeft=-40000\n", {-32768, 32767, 523, 40}, 1.0},
        {u"[Form]\nTop=-32768\nLeft=32767\n", {32767, -32768, 523, 40}, 1.0},
        {u"[Form]\nOriginal=12\n", {200, 200, 523, 40}, 10.0},
    };
    for (const Row& row : rows) {
        StripFixture f;
        f.writeIni(row.ini);
        Strip& strip = f.create();
        EXPECT_EQ(f.face.frame, row.frame) << toUtf8(row.ini);
        EXPECT_EQ(strip.MuWidth, row.muWidth) << toUtf8(row.ini);
    }
}

// Opening the settings window and closing it without a change gives every value back as it was.
TEST(SettingBindings, EveryShownRowComesBackFromAnUntouchedWindow) {
    for (const StripBinding& b : kStripBindings) {
        if (b.shown == Shown::Not) continue;
        const SettingDef& def = settingDef(b.key);
        StripFixture f;
        const SettingValue value = otherValue(def);
        f.writeIni(iniWith(def, value));
        Strip& strip = f.create();
        const StripSettings before = saved(f);
        bool shown = false;
        f.face.onSettingsWindow = [&](SettingsModel&) { shown = true; };
        strip.SetCmdExecute();
        ASSERT_TRUE(shown);
        const StripSettings after = saved(f);
        EXPECT_EQ(settingValue(after, def.key), value) << rowName(def);
        for (const StripBinding& other : kStripBindings)
            if (other.shown != Shown::Not)
                EXPECT_EQ(settingValue(after, other.key), settingValue(before, other.key))
                    << rowName(def) << ": " << rowName(settingDef(other.key));
    }
}

} // namespace
