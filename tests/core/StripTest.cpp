// The strip's behaviour on a fake face: the tick, the settings at creation, the close path,
// move and resize tracking, the menu and the size guard.
#include "StripFixture.h"
#include "settings/IniConvert.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>
#include <system_error>

using namespace zrm58;
using namespace zrm58::testing;

namespace {

bool contains(const std::u16string& text, std::u16string_view part) {
    return text.find(part) != std::u16string::npos;
}

// --- The tick ---

TEST(StripTick, ComposesTheLineAndTheGlyphFromTheFakeClock) {
    StripFixture f;
    Strip& strip = f.create();
    EXPECT_TRUE(strip.Label1.text.empty());
    EXPECT_EQ(strip.Label2.text, u"\uE1E9");
    strip.SepStr = u"｜";
    strip.DateFormatStr = u"yyyy/m/d hh:nn:ss";
    strip.Timer1Timer();
    EXPECT_EQ(strip.Label1.text, u"｜2023/5/30 08:18:13｜RAM: 52% (8.3/15.6)｜CPU:  0%");
    EXPECT_EQ(strip.Label2.text, u"\uEC37");
    EXPECT_TRUE(f.face.called("line"));
    EXPECT_TRUE(f.face.called("glyph"));
    EXPECT_EQ(f.face.ticks, 1);

    // The same second again: nothing to repaint. The next second: the line only.
    f.face.calls.clear();
    strip.Timer1Timer();
    EXPECT_TRUE(f.face.calls.empty());
    f.clock.time.second = 14;
    strip.Timer1Timer();
    EXPECT_EQ(f.face.calls, std::vector<std::string>{"line"});
    EXPECT_EQ(strip.Label1.text, u"｜2023/5/30 08:18:14｜RAM: 52% (8.3/15.6)｜CPU:  0%");
}

TEST(StripTick, TheTimerRestartsOnlyWhenTheIntervalChanges) {
    StripFixture f;
    f.writeIni(u"[Timer]\nInterval=1000\n");
    Strip& strip = f.create();
    EXPECT_EQ(f.face.timerInterval, 1000);
    strip.setTimerInterval(1000);
    EXPECT_FALSE(f.face.called("timer 1000"));
    strip.setTimerInterval(0);
    EXPECT_EQ(f.face.timerInterval, 0);
}

// --- The first line at a first start ---

struct FitRow {
    const char* name;
    bool settingsFile;
    double unitWidth; // the face's text width per UTF-16 unit; 0: it cannot measure
    int screenWidth;
    bool widens;
};

class StripFirstLine : public ::testing::TestWithParam<FitRow> {};

TEST_P(StripFirstLine, WidensTheStripToItsFirstLineOnlyAtAFirstStart) {
    const FitRow& row = GetParam();
    StripFixture f;
    if (row.settingsFile) f.writeIni(u"[Form]\nLeft=200\n");
    f.face.unitWidth = row.unitWidth;
    f.face.screen = Rect{0, 0, row.screenWidth, 1080};
    Strip& strip = f.create();
    strip.Timer1Timer();
    const double line = row.unitWidth * strip.Label1.text.size(); // "CPU:  0%" as wide as 100 %
    EXPECT_EQ(strip.MuWidth > 1.0, row.widens);
    if (row.widens) {
        EXPECT_EQ(f.face.frame.width, strip.OriginalWidth + 10);
        if (line + 66 + 10 <= row.screenWidth)
            EXPECT_GE(strip.OriginalWidth - 66, line);
        else // as wide as the screen allows, in the settings window's steps of 0.01 x 515
            EXPECT_GT(f.face.frame.width, row.screenWidth - 6);
        EXPECT_LE(f.face.frame.left + f.face.frame.width, row.screenWidth); // kept on the screen
    } else {
        EXPECT_EQ(f.face.frame.width, 523);
    }
    // Only the first line: a later, longer one changes nothing.
    const Rect after = f.face.frame;
    strip.SepStr = u"｜｜｜｜｜｜｜｜｜｜｜｜";
    strip.Timer1Timer();
    EXPECT_EQ(f.face.frame, after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StripFirstLine,
    ::testing::Values(FitRow{"fits_already", false, 5, 1920, false},
                      FitRow{"too_long_widens", false, 12, 1920, true},
                      FitRow{"not_beyond_the_screen", false, 40, 1024, true},
                      FitRow{"a_settings_file_keeps_the_width", true, 12, 1920, false},
                      FitRow{"a_face_that_cannot_measure", false, 0, 1920, false}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The first start's pattern in the strip's language ---

TEST(StripFirstPattern, AnotherLanguageGetsAPatternWithoutJapaneseOnlyAtAFirstStart) {
    const struct {
        const char* what;
        Language language;
        const char16_t* ini; // nullptr: no settings file
        std::u16string_view pattern;
        std::u16string_view saved; // the FORMAT line the next save writes
    } rows[] = {
        {"Japanese, first start", Language::Japanese, nullptr, kDefaultDateFormat,
         kDefaultDateFormat},
        {"English, first start", Language::English, nullptr, u"ddd ddddd tt", u"ddd ddddd tt"},
        {"English, a file without the key keeps the design's default", Language::English,
         u"[Form]\nLeft=200\n", kDefaultDateFormat, kDefaultDateFormat},
        {"English, a file's own pattern", Language::English, u"[DATE]\nFORMAT=hh:nn\n", u"hh:nn",
         u"hh:nn"},
    };
    for (const auto& row : rows) {
        useLanguage(row.language);
        StripFixture f;
        if (row.ini) f.writeIni(row.ini);
        Strip& strip = f.create();
        EXPECT_EQ(strip.DateFormatStr, row.pattern) << row.what;
        strip.WriteIniFile();
        EXPECT_NE(f.ini().find(u"FORMAT=" + std::u16string(row.saved) + u"\r\n"),
                  std::u16string::npos)
            << row.what;
    }
    useLanguage(Language::Japanese);
}

// --- Creation ---

struct CreationRow {
    const char16_t* ini;
    Rect frame;
    bool onTop, taskBar;
};

class StripCreation : public ::testing::TestWithParam<CreationRow> {};

TEST_P(StripCreation, AppliesTheStoredWindowSettings) {
    StripFixture f;
    if (*GetParam().ini) f.writeIni(GetParam().ini);
    f.create();
    EXPECT_EQ(f.face.frame, GetParam().frame);
    EXPECT_EQ(f.face.staysOnTop, GetParam().onTop);
    EXPECT_EQ(f.face.taskBarButton, GetParam().taskBar);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StripCreation,
    ::testing::Values(
        CreationRow{u"", {200, 200, 523, 40}, false, true},
        CreationRow{u"[Form]\nTop=-5\nHeight=10\nWidth=20\n", {200, -5, 80, 30}, false, true},
        CreationRow{u"[Form]\nTopLevel=1\nTaskBar=0\n", {200, 200, 523, 40}, true, false},
        CreationRow{u"[Form]\nWidth=99999\n", {200, 200, 1920, 40}, false, true}));

TEST(StripCreation, ABadColourStopsCreationAfterTheKeysBeforeIt) {
    StripFixture f;
    f.writeIni(u"[Form]\nTop=7\n[Font]\nBold=1\nColor=black\nFamily=Arial\n");
    f.strip = std::make_unique<Strip>(f.face, f.services);
    EXPECT_THROW(f.strip->FormCreate(), ConversionError);
    EXPECT_EQ(f.face.frame.top, 7);
    EXPECT_TRUE(f.strip->isBold);
    EXPECT_EQ(f.strip->FontFamilyName, u"Segoe UI"); // not read
}

// Beside the box, one line on standard error names the file, the section and the key.
struct BadColourRow {
    const char16_t* ini;
    const char* line;
};

class StripBadColour : public ::testing::TestWithParam<BadColourRow> {};

TEST_P(StripBadColour, SaysWhichFileAndKeyHoldIt) {
    StripFixture f;
    f.writeIni(GetParam().ini);
    f.strip = std::make_unique<Strip>(f.face, f.services);
    ::testing::internal::CaptureStderr();
    EXPECT_THROW(f.strip->FormCreate(), ConversionError);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StripBadColour,
    ::testing::Values(
        BadColourRow{u"[Font]\nColor=xyz\n",
                     "zrm58: /opt/zrm58/ZRM58.ini: [Font] Color: \"xyz\" is not a colour\n"},
        BadColourRow{u"[Back]\nColor1=FF000000\nColor2=緑\n",
                     "zrm58: /opt/zrm58/ZRM58.ini: [Back] Color2: \"緑\" is not a colour\n"},
        // A control character in the stored text reaches the terminal only as its code.
        BadColourRow{
            u"[Back]\nColor1=\"1\x1b[2J\"\n",
            "zrm58: /opt/zrm58/ZRM58.ini: [Back] Color1: \"1\\x1B[2J\" is not a colour\n"}));

struct FirstShowRow {
    const char16_t* ini;
    bool screen;
    int left, top;
};

class StripFirstShowing : public ::testing::TestWithParam<FirstShowRow> {};

TEST_P(StripFirstShowing, CentresOnlyWhenNothingMovedTheStrip) {
    StripFixture f;
    if (*GetParam().ini) f.writeIni(GetParam().ini);
    if (!GetParam().screen) f.face.screen.reset();
    Strip& strip = f.create();
    strip.showFirst();
    EXPECT_EQ(f.face.frame.left, GetParam().left);
    EXPECT_EQ(f.face.frame.top, GetParam().top);
    EXPECT_EQ(f.face.calls.back(), "show");
}

INSTANTIATE_TEST_SUITE_P(Rows, StripFirstShowing,
                         ::testing::Values(FirstShowRow{u"", true, 200, 200},
                                           FirstShowRow{u"[Form]\nTop=0\nLeft=0\n", true, 698, 520},
                                           FirstShowRow{u"[Form]\nTop=1\nLeft=0\n", true, 0, 1},
                                           FirstShowRow{u"[Form]\nTop=0\nLeft=0\n", false, 0, 0}));

// --- Closing and the session end ---

TEST(StripClose, SavesEvenWhenNothingChanged) {
    StripFixture f;
    Strip& strip = f.create();
    EXPECT_TRUE(strip.FormCloseQuery());
    const std::u16string ini = f.ini();
    EXPECT_TRUE(ini.starts_with(u"[Form]\r\nTop=200\r\nLeft=200\r\nHeight=40\r\nWidth=523\r\n"));
    EXPECT_TRUE(f.face.errors.empty());
}

struct FailingSaveRow {
    bool readFails; // the existing file cannot be read (else: cannot be replaced)
    std::u16string_view message;
    bool clamped;  // the window was pulled to 0 before the failure
    char16_t last; // the text's last character: the dialog's full stop after "。"
};

class StripFailingSave : public ::testing::TestWithParam<FailingSaveRow> {};

TEST_P(StripFailingSave, KeepsTheStripOpenAndShowsTheError) {
    StripFixture f;
    f.writeIni(u"[Form]\nTop=-5\nLeft=-6\n");
    const std::string before = f.files.files[kIniPath];
    Strip& strip = f.create();
    (GetParam().readFails ? f.files.readError : f.files.replaceError) =
        std::make_error_code(std::errc::permission_denied);
    EXPECT_FALSE(strip.FormCloseQuery()); // the box's default: the close is abandoned
    ASSERT_EQ(f.face.errors.size(), 1u);
    EXPECT_TRUE(f.face.called("failed save at close"));
    EXPECT_TRUE(contains(f.face.errors[0], GetParam().message));
    EXPECT_EQ(f.face.errors[0].back(), GetParam().last);
    EXPECT_EQ(f.files.files[kIniPath], before);
    EXPECT_EQ(f.face.frame.left == 0 && f.face.frame.top == 0, GetParam().clamped);
    EXPECT_FALSE(f.face.called("close"));

    // Mended, the next close saves.
    f.files.readError = f.files.replaceError = {};
    EXPECT_TRUE(strip.FormCloseQuery());
    EXPECT_TRUE(contains(f.ini(), u"Top=0\r\nLeft=0\r\n"));
}

// The error box's second choice ends the strip without saving: the close goes ahead and the file
// stays as it was, whichever way the save failed.
TEST_P(StripFailingSave, EndsWithoutSavingWhenTheUserChoosesIt) {
    StripFixture f;
    f.writeIni(u"[Form]\nTop=-5\nLeft=-6\n");
    const std::string before = f.files.files[kIniPath];
    Strip& strip = f.create();
    (GetParam().readFails ? f.files.readError : f.files.replaceError) =
        std::make_error_code(std::errc::permission_denied);
    f.face.failedSaveAnswer = FailedSaveChoice::EndWithoutSaving;
    EXPECT_TRUE(strip.FormCloseQuery());
    ASSERT_EQ(f.face.errors.size(), 1u);
    EXPECT_TRUE(contains(f.face.errors[0], GetParam().message));
    EXPECT_TRUE(f.face.called("failed save at close"));
    EXPECT_EQ(f.files.files[kIniPath], before);
}

INSTANTIATE_TEST_SUITE_P(Rows, StripFailingSave,
                         ::testing::Values(FailingSaveRow{true, u"は開けません", false, u' '},
                                           FailingSaveRow{false, u"を作成できません", true, u'.'}));

TEST(StripClose, TheExitItemAsksTheFaceToClose) {
    StripFixture f;
    f.create().CloseCmdExecute();
    EXPECT_EQ(f.face.calls, std::vector<std::string>{"close"});
}

TEST(StripSessionEnd, TheQuerySavesAndAFailureDisturbsNothing) {
    StripFixture f;
    TMessageDispatcherWin::ModuleStart();
    Strip& strip = f.create();
    strip.isBold = true;
    TMessageDispatcherWin::ProcessMessage(0, kMsgQueryEndSession, 0, 0);
    EXPECT_TRUE(contains(f.ini(), u"Bold=1"));
    f.files.replaceError = std::make_error_code(std::errc::read_only_file_system);
    strip.isBold = false;
    TMessageDispatcherWin::ProcessMessage(0, kMsgQueryEndSession, 0, 0);
    EXPECT_TRUE(contains(f.ini(), u"Bold=1"));
    EXPECT_TRUE(f.face.errors.empty()); // no dialog at the session end
    f.strip.reset();
    TMessageDispatcherWin::ModuleEnd();
}

} // namespace
