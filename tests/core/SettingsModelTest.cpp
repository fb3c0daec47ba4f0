// The settings window's model on a fake face: the fill from the strip, the copy-back, the
// handlers' effects and the Close button's save.
#include "strip/SettingsModel.h"
#include "StripFixture.h"
#include "strip/FontFamilies.h"
#include "strip/SettingsLists.h"
#include <gtest/gtest.h>
#include <ostream>
#include <system_error>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

struct RoundTripRow {
    const char16_t* ini;
    // What the window shows ...
    int seconds;
    double opacity, widthFactor;
    int direction, family;
    // ... and what the strip holds after closing without a change.
    int intervalAfter;
    float opacityAfter;
    int originalWidthAfter;
    std::u16string_view familyAfter;
};

class SettingsRoundTrip : public ::testing::TestWithParam<RoundTripRow> {};

TEST_P(SettingsRoundTrip, FillsTheWindowAndCopiesItBack) {
    const RoundTripRow& row = GetParam();
    StripFixture f;
    f.writeIni(row.ini);
    Strip& strip = f.create();
    bool shown = false;
    f.face.onSettingsWindow = [&](SettingsModel& m) {
        shown = true;
        EXPECT_EQ(m.SpinBox1, row.seconds);
        EXPECT_DOUBLE_EQ(m.OpSpin, row.opacity);
        EXPECT_DOUBLE_EQ(m.OrgWidthSpin, row.widthFactor);
        EXPECT_EQ(m.DirectionBox1, row.direction);
        EXPECT_EQ(m.ComboBox1, row.family);
    };
    strip.SetCmdExecute();
    ASSERT_TRUE(shown);
    EXPECT_EQ(strip.timerInterval(), row.intervalAfter);
    EXPECT_EQ(strip.Rectangle1.opacity(), row.opacityAfter);
    EXPECT_EQ(strip.OriginalWidth, row.originalWidthAfter);
    EXPECT_EQ(strip.FontFamilyName, row.familyAfter);
    EXPECT_EQ(strip.Direction, row.direction);
    EXPECT_FALSE(f.face.called("error"));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsRoundTrip,
    ::testing::Values(
        RoundTripRow{u"", 1, 0.5, 1.0, 0, 0, 1000, 0.5f, 515, u"Segoe UI"},
        RoundTripRow{u"[Timer]\nInterval=1500\n", 2, 0.5, 1.0, 0, 0, 2000, 0.5f, 515, u"Segoe UI"},
        RoundTripRow{u"[Timer]\nInterval=2500\n", 2, 0.5, 1.0, 0, 0, 2000, 0.5f, 515, u"Segoe UI"},
        RoundTripRow{u"[Timer]\nInterval=250\n", 1, 0.5, 1.0, 0, 0, 1000, 0.5f, 515, u"Segoe UI"},
        RoundTripRow{u"[Timer]\nInterval=10000\n", 5, 0.5, 1.0, 0, 0, 5000, 0.5f, 515, u"Segoe UI"},
        RoundTripRow{u"[Form]\nOpacity=0.05\n", 1, 0.1, 1.0, 0, 0, 1000, 0.1f, 515, u"Segoe UI"},
        RoundTripRow{u"[Form]\nOriginal=12\n", 1, 0.5, 10.0, 0, 0, 1000, 0.5f, 5150, u"Segoe UI"},
        RoundTripRow{u"[Font]\nFamily=segoe ui\n", 1, 0.5, 1.0, 0, 0, 1000, 0.5f, 515, u"Segoe UI"},
        RoundTripRow{u"[Font]\nFamily=Comic\n", 1, 0.5, 1.0, 0, -1, 1000, 0.5f, 515, u"Comic"},
        RoundTripRow{u"[Back]\nDirection=7\n", 1, 0.5, 1.0, 7, 0, 1000, 0.5f, 515, u"Segoe UI"},
        RoundTripRow{u"[Back]\nDirection=-3\n", 1, 0.5, 1.0, -1, 0, 1000, 0.5f, 515, u"Segoe UI"}));

// The font list: the fixed families first, in their order, then the installed ones.
struct FontEntriesRow {
    const char* name;
    std::vector<std::u16string> installed;
    std::vector<std::u16string> after; // the entries after the twelve fixed ones
};

class FontFamilyEntries : public ::testing::TestWithParam<FontEntriesRow> {};

TEST_P(FontFamilyEntries, FixedFirstThenInstalledSortedOnce) {
    const std::vector<std::u16string> entries = fontFamilyEntries(GetParam().installed);
    ASSERT_GE(entries.size(), kFontFamilies.size());
    for (std::size_t i = 0; i < kFontFamilies.size(); ++i)
        EXPECT_EQ(entries[i], kFontFamilies[i]);
    EXPECT_EQ(std::vector<std::u16string>(entries.begin() + kFontFamilies.size(), entries.end()),
              GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FontFamilyEntries,
    ::testing::Values(FontEntriesRow{"none installed", {}, {}},
                      FontEntriesRow{
                          "sorted without case",
                          {u"Noto Sans", u"DejaVu Sans", u"cantarell", u"Noto Sans CJK JP"},
                          {u"cantarell", u"DejaVu Sans", u"Noto Sans", u"Noto Sans CJK JP"}},
                      FontEntriesRow{"a fixed family installed is not offered twice",
                                     {u"Tahoma", u"arial", u"Liberation Sans", u"メイリオ"},
                                     {u"Liberation Sans"}},
                      FontEntriesRow{"duplicates and empty names dropped",
                                     {u"Noto Serif", u"", u"Noto Serif", u"noto serif"},
                                     {u"Noto Serif"}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (c == ' ') c = '_';
        return n;
    });

// A family installed on the machine is shown selected and kept; the fixed entries keep their
// places.
TEST(SettingsFontList, OffersTheInstalledFamilies) {
    StripFixture f;
    f.writeIni(u"[Font]\nFamily=dejavu sans\n");
    f.face.installedFamilies = {u"Noto Sans", u"DejaVu Sans", u"Arial"};
    Strip& strip = f.create();
    f.face.onSettingsWindow = [&](SettingsModel& m) {
        ASSERT_EQ(m.fontFamilies.size(), 14u);
        EXPECT_EQ(m.fontFamilies[2], u"Arial");
        EXPECT_EQ(m.ComboBox1, 12);
        EXPECT_EQ(m.fontFamilies[13], u"Noto Sans");
        m.ComboBox1 = 13;
    };
    strip.SetCmdExecute();
    EXPECT_EQ(strip.FontFamilyName, u"Noto Sans");
    EXPECT_EQ(strip.Label1.family, u"Noto Sans");
}

// A face shows the fractional values rounded (0.55 as 0.6, 1.234 as 1.23) and reads the boxes
// back as they show; a value the user did not edit comes back as the file gave it.
struct KeptRow {
    const char* note;
    // What the boxes show after the fill and hold at the close, and whether the user edited them.
    double opacityShown, opacityRead;
    bool opacityEdited;
    double widthShown, widthRead;
    bool widthEdited;
    float opacityAfter;
    double widthFactorAfter;
    int originalWidthAfter;
};

void PrintTo(const KeptRow& row, std::ostream* os) {
    *os << row.note;
}

class SettingsKeptValues : public ::testing::TestWithParam<KeptRow> {};

TEST_P(SettingsKeptValues, UntouchedBoxesGiveBackWhatTheFillGave) {
    const KeptRow& row = GetParam();
    StripFixture f;
    f.writeIni(u"[Form]\nOpacity=0.55\nOriginal=1.234\n");
    Strip& strip = f.create();
    f.face.onSettingsWindow = [&](SettingsModel& m) {
        m.boxShown(SettingsModel::Box::Opacity, row.opacityShown);
        m.boxShown(SettingsModel::Box::WidthFactor, row.widthShown);
        if (row.opacityEdited) m.boxEdited(SettingsModel::Box::Opacity);
        if (row.widthEdited) m.boxEdited(SettingsModel::Box::WidthFactor);
        m.OpSpin = row.opacityRead;
        m.OrgWidthSpin = row.widthRead;
        EXPECT_TRUE(m.CloseBtnClick());
    };
    strip.SetCmdExecute();
    EXPECT_EQ(strip.Rectangle1.opacity(), row.opacityAfter) << row.note;
    EXPECT_EQ(strip.MuWidth, row.widthFactorAfter) << row.note;
    EXPECT_EQ(strip.OriginalWidth, row.originalWidthAfter) << row.note;
    // Saved as it was read: the file's own values.
    const std::u16string ini = f.ini();
    EXPECT_EQ(ini.find(u"Original=1.234\r\n") != std::u16string::npos,
              row.widthFactorAfter == 1.234)
        << row.note;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsKeptValues,
    ::testing::Values(
        KeptRow{"both untouched", 0.6, 0.6, false, 1.23, 1.23, false, 0.55f, 1.234, 635},
        KeptRow{"opacity stepped to 0.7", 0.6, 0.7, true, 1.23, 1.23, false, 0.7f, 1.234, 635},
        KeptRow{"width typed", 0.6, 0.6, false, 1.23, 2.5, true, 0.55f, 2.5, 1287},
        KeptRow{"the shown value typed again", 0.6, 0.6, true, 1.23, 1.23, true, 0.6f, 1.23, 633},
        // A box that holds another value than it showed was changed, told or not.
        KeptRow{"changed without a word", 0.6, 0.3, false, 1.23, 1.5, false, 0.3f, 1.5, 772}));

TEST(SettingsKeptValues, WithoutTheFacesWordTheFieldsAreTaken) {
    StripFixture f;
    f.writeIni(u"[Form]\nOpacity=0.55\nOriginal=1.234\n");
    Strip& strip = f.create();
    f.face.onSettingsWindow = [](SettingsModel& m) {
        m.OpSpin = 0.6;
        m.OrgWidthSpin = 1.23;
    };
    strip.SetCmdExecute();
    EXPECT_EQ(strip.Rectangle1.opacity(), 0.6f);
    EXPECT_EQ(strip.MuWidth, 1.23);
}

TEST(SettingsHandlers, ActOnTheStripAtOnceOrAtTheClose) {
    StripFixture f;
    Strip& strip = f.create();
    f.face.onSettingsWindow = [&](SettingsModel& m) {
        m.ListBox1Click(1);  // 🐯
        m.ListBox1Click(0);  // ｜
        m.ListBox1Click(44); // no entry: nothing
        EXPECT_EQ(m.Edit2, u"｜🐯｜");
        m.TopCheck = true;
        m.TopCheckChange();
        EXPECT_TRUE(f.face.staysOnTop); // at once
        m.ShadowCheck = false;
        m.ShadowCheckChange();
        EXPECT_FALSE(strip.ShadowEffect1.enabled); // at once
        EXPECT_TRUE(strip.isShadow);               // the field at the close
        m.BoldCheck = true;
        m.BoldCheckChange();
        EXPECT_TRUE(strip.isBold);
        EXPECT_FALSE(strip.Label1.bold); // the text at the close
        f.face.chosenFile.reset();
        m.SelectFileBtnClick(); // cancelled
        EXPECT_TRUE(strip.GazouFile.empty());
        f.face.chosenFile = u"/pictures/sky.png";
        m.SelectFileBtnClick();
        EXPECT_EQ(strip.GazouFile, u"/pictures/sky.png");
    };
    strip.SetCmdExecute();
    EXPECT_EQ(strip.SepStr, u"｜🐯｜");
    EXPECT_TRUE(strip.Label1.bold);
    EXPECT_FALSE(strip.isShadow);
    EXPECT_EQ(strip.Rectangle1.fill.kind, FillKind::Solid); // no picture without GazouCheck
    strip.Timer1Timer();
    EXPECT_TRUE(strip.Label1.text.starts_with(u"｜🐯｜2023"));
}

TEST(SettingsClose, SavesAfterTheCopyBackAndClosesOnlyOnSuccess) {
    StripFixture f;
    Strip& strip = f.create();
    int closeClicks = 0;
    f.face.onSettingsWindow = [&](SettingsModel& m) {
        m.ComboColorBox1 = 0xFF112233;
        f.files.replaceError = std::make_error_code(std::errc::permission_denied);
        EXPECT_FALSE(m.CloseBtnClick()); // stays open
        ++closeClicks;
        ASSERT_EQ(f.face.errors.size(), 1u);
        EXPECT_NE(f.face.errors[0].find(u"を作成できません"), std::u16string::npos);
        f.files.replaceError = {};
        m.ComboColorBox1 = 0xFF445566; // the user goes on, then tries again
        EXPECT_TRUE(m.CloseBtnClick());
        ++closeClicks;
        m.ComboColorBox1 = 0xFF000000; // after the close nothing is copied back again
    };
    strip.SetCmdExecute();
    EXPECT_EQ(closeClicks, 2);
    EXPECT_EQ(strip.BC0, 0xFF445566u);
    EXPECT_NE(f.ini().find(u"Color1=FF445566"), std::u16string::npos);
}

TEST(SettingsClose, TheCaptionBarsCloseAppliesWithoutSaving) {
    StripFixture f;
    Strip& strip = f.create();
    f.face.onSettingsWindow = [](SettingsModel& m) { m.ComboColorBox1 = 0xFF010203; };
    strip.SetCmdExecute();
    EXPECT_EQ(strip.BC0, 0xFF010203u);
    EXPECT_EQ(strip.Rectangle1.fill.color, 0xFF010203u);
    EXPECT_FALSE(f.files.files.contains(kIniPath));
}

TEST(SettingsBackground, APictureThatDoesNotDecodeKeepsTheBackgroundAndSaysSo) {
    StripFixture f;
    f.files.files["/pictures/sky.png"] = "not a picture";
    f.face.pictureDecodes = false;
    Strip& strip = f.create();
    strip.isGazou = true;
    strip.GazouFile = u"/pictures/sky.png";
    const RoundedBox before = strip.Rectangle1;
    strip.UpdateBackground();
    EXPECT_EQ(strip.Rectangle1, before);
    ASSERT_EQ(f.face.errors.size(), 1u);
    EXPECT_EQ(f.face.errors[0], u"ビットマップの読み込みに失敗しました (/pictures/sky.png)。.");

    f.face.pictureDecodes = true;
    strip.UpdateBackground();
    EXPECT_EQ(strip.Rectangle1.fill.kind, FillKind::Bitmap);
    EXPECT_FALSE(strip.Rectangle1.strokeOn);
    EXPECT_EQ(f.face.picturePath, "/pictures/sky.png");

    // The file gone: the picture already shown stays; a later solid fill keeps the outline off.
    f.files.files.erase("/pictures/sky.png");
    strip.UpdateBackground();
    EXPECT_EQ(strip.Rectangle1.fill.kind, FillKind::Bitmap);
    strip.isGazou = false;
    strip.UpdateBackground();
    EXPECT_EQ(strip.Rectangle1.fill.kind, FillKind::Solid);
    EXPECT_FALSE(strip.Rectangle1.strokeOn);
}

// What stands at the picture's path, as the file store tells it: nothing and a folder change
// nothing and say nothing, whatever else gives no bytes is said; the background stays.
TEST(SettingsBackground, NothingOrAFolderChangesNothingAndWhatCannotBeReadIsSaid) {
    struct Row {
        const char* note;
        std::error_code error; // none: nothing at the path
        bool said;
    } rows[] = {
        {"nothing there", {}, false},
        {"a folder", std::make_error_code(std::errc::is_a_directory), false},
        {"not readable", std::make_error_code(std::errc::permission_denied), true},
        {"a pipe or a device", makeErrorCode(FileStoreError::NotRegularFile), true},
        {"too large", std::make_error_code(std::errc::file_too_large), true},
    };
    for (const Row& row : rows) {
        StripFixture f;
        Strip& strip = f.create();
        if (row.error) f.files.files["/pictures"] = "";
        f.files.readError = row.error;
        strip.isGazou = true;
        strip.GazouFile = u"/pictures";
        const RoundedBox before = strip.Rectangle1;
        strip.UpdateBackground();
        EXPECT_EQ(strip.Rectangle1, before) << row.note;
        EXPECT_EQ(f.face.errors.size(), row.said ? 1u : 0u) << row.note;
    }
}

} // namespace
