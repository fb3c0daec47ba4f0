#include "platform/linux/IcuLocaleSource.h"
#include "platform/Platform.h"
#include "platform/linux/CldrPattern.h"
#include "status/DateTimeFormat.h"
#include "status/LocaleFormat.h"
#include <cctype>
#include <cstdlib>
#include <gtest/gtest.h>

namespace zrm58::linux_backend {
namespace {

namespace I = LocaleItem;

template <typename Row> std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name = info.param.what;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

struct PictureRow {
    const char* what;
    std::u16string cldr;
    bool eraYears;
    std::u16string expected;
};

class CldrToPicture : public ::testing::TestWithParam<PictureRow> {};

TEST_P(CldrToPicture, Translates) {
    EXPECT_EQ(cldrDateToPicture(GetParam().cldr, GetParam().eraYears), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Letters, CldrToPicture,
    ::testing::Values(
        PictureRow{"numeric", u"M/d/yy", false, u"M/d/yy"},
        PictureRow{"full year", u"y/MM/dd", false, u"yyyy/MM/dd"},
        PictureRow{"words quoted", u"y年M月d日", false, u"yyyy'年'M'月'd'日'"},
        PictureRow{"names", u"EEEE, MMMM d, y", false, u"dddd, MMMM d, yyyy"},
        PictureRow{"abbreviated and narrow", u"EEE d MMM, EEEEE MMMMM", false,
                   u"ddd d MMM, ddd MMM"},
        PictureRow{"standalone month", u"LLLL LLL LL L", false, u"MMMM MMM MM M"},
        PictureRow{"padded years", u"yyy yyyy yyyyy", false, u"yyyy yyyy yyyy"},
        PictureRow{"era years", u"GGGGGy/M/d yy yyyy", true, u"ggy/M/d yy yyyy"},
        PictureRow{"era name widths", u"G GGGG GGGGG", true, u"gg gg gg"},
        PictureRow{"gregorian era dropped", u"d MMMM G y", false, u"d MMMM yyyy"},
        PictureRow{"gregorian era dropped first", u"G y-M", false, u"yyyy-M"},
        PictureRow{"cldr quoted words", u"d 'de' MMMM 'de' y", false, u"d 'de' MMMM 'de' yyyy"},
        PictureRow{"quoted punctuation unquoted", u"d'.'M", false, u"d.M"},
        PictureRow{"apostrophe", u"d MMM ''yy", false, u"d MMM \"'\"yy"},
        PictureRow{"double quote", u"d\"M", false, u"d'\"'M"},
        PictureRow{"letter next to quotes", u"d. MMMM y 'г'.", false, u"d. MMMM yyyy 'г'."},
        PictureRow{"hebrew prefix", u"d בMMMM y", false, u"d 'ב'MMMM yyyy"},
        PictureRow{"dropped fields", u"y-'W'w-e D", false, u"yyyy-'W'-"},
        PictureRow{"weekday letters", u"ccc cccc ee", false, u"ddd dddd"},
        PictureRow{"same letter kept apart", u"EEEEd", false, u"dddd''d"},
        PictureRow{"bidi marks kept", u"d\u200F/M\u200F/y", false, u"d\u200F/M\u200F/yyyy"}),
    rowName<PictureRow>);

struct SeparatorRow {
    const char* what;
    std::u16string cldr;
    std::u16string letters;
    std::optional<std::u16string> expected;
};

class Separator : public ::testing::TestWithParam<SeparatorRow> {};

TEST_P(Separator, BetweenTheFirstTwoFields) {
    EXPECT_EQ(cldrSeparator(GetParam().cldr, GetParam().letters), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, Separator,
    ::testing::Values(SeparatorRow{"slash", u"M/d/yy", u"yMd", u"/"},
                      SeparatorRow{"dot", u"dd.MM.yy", u"yMd", u"."},
                      SeparatorRow{"spaces trimmed", u"yy. M. d.", u"yMd", u"."},
                      SeparatorRow{"era first", u"GGGGGy/M/d", u"yMd", u"/"},
                      SeparatorRow{"bidi mark dropped", u"d\u200F/M\u200F/y", u"yMd", u"/"},
                      SeparatorRow{"space only", u"d MMM y", u"yMd", u" "},
                      SeparatorRow{"touching", u"yyyyMMdd", u"yMd", u""},
                      SeparatorRow{"one field", u"MMMM", u"yMd", std::nullopt},
                      SeparatorRow{"time colon", u"h:mm:ss a", u"hHkKm", u":"},
                      SeparatorRow{"time dot", u"H.mm.ss", u"hHkKm", u"."},
                      SeparatorRow{"quoted", u"HH 'h' mm", u"hHkKm", u"h"}),
    rowName<SeparatorRow>);

struct TimeRow {
    const char* what;
    std::u16string cldr;
    std::optional<CldrTimeFlags> expected;
};

class TimeFlags : public ::testing::TestWithParam<TimeRow> {};

TEST_P(TimeFlags, ReadOffTheHourField) {
    auto got = cldrTimeFlags(GetParam().cldr);
    auto want = GetParam().expected;
    ASSERT_EQ(got.has_value(), want.has_value());
    if (!want) return;
    EXPECT_EQ(got->twentyFourHour, want->twentyFourHour);
    EXPECT_EQ(got->leadingZero, want->leadingZero);
    EXPECT_EQ(got->markFirst, want->markFirst);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, TimeFlags,
    ::testing::Values(TimeRow{"en", u"h:mm a", CldrTimeFlags{false, false, false}},
                      TimeRow{"de", u"HH:mm", CldrTimeFlags{true, true, false}},
                      TimeRow{"ja", u"H:mm", CldrTimeFlags{true, false, false}},
                      TimeRow{"ko", u"a h:mm", CldrTimeFlags{false, false, true}},
                      TimeRow{"zh_TW", u"Bh:mm", CldrTimeFlags{false, false, true}},
                      TimeRow{"K", u"KK:mm a", CldrTimeFlags{false, true, false}},
                      TimeRow{"k", u"k:mm", CldrTimeFlags{true, false, false}},
                      TimeRow{"quoted a", u"'a' h:mm", CldrTimeFlags{false, false, false}},
                      TimeRow{"no hour", u"mm:ss", std::nullopt}),
    rowName<TimeRow>);

TEST(WindowsCalendarType, NumbersOfTheNamedCalendars) {
    EXPECT_EQ(windowsCalendarType("gregorian"), 1);
    EXPECT_EQ(windowsCalendarType("japanese"), 3);
    EXPECT_EQ(windowsCalendarType("roc"), 4);
    EXPECT_EQ(windowsCalendarType("dangi"), 5);
    EXPECT_EQ(windowsCalendarType("islamic-civil"), 6);
    EXPECT_EQ(windowsCalendarType("islamic-umalqura"), 23);
    EXPECT_EQ(windowsCalendarType("buddhist"), 7);
    EXPECT_EQ(windowsCalendarType("hebrew"), 8);
    EXPECT_EQ(windowsCalendarType("chinese"), std::nullopt);
}

// What a user of the locale sees, from the real ICU data through the start-up path.
struct LocaleRow {
    const char* what;
    std::string icuId;
    std::uint32_t lcid;
    char16_t dateSep, timeSep, decimalSep;
    std::u16string shortDate, longDate, shortTime, longTime, am, pm;
    std::u16string january, januaryAbbrev, sunday, tuesdayAbbrev;
};

class RealLocale : public ::testing::TestWithParam<LocaleRow> {};

TEST_P(RealLocale, GivesWhatItsUsersKnow) {
    const LocaleRow& row = GetParam();
    IcuLocaleSource src(row.icuId);
    LocaleStartup startup = initLocaleAtStartup(src);
    const LocaleFormatSettings& s = startup.settings;
    EXPECT_EQ(startup.locale.lcid, row.lcid);
    EXPECT_EQ(s.dateSep, row.dateSep);
    EXPECT_EQ(s.timeSep, row.timeSep);
    EXPECT_EQ(s.decimalSep, row.decimalSep);
    EXPECT_EQ(s.shortDatePattern, row.shortDate);
    EXPECT_EQ(s.longDatePattern, row.longDate);
    EXPECT_EQ(s.shortTimePattern, row.shortTime);
    EXPECT_EQ(s.longTimePattern, row.longTime);
    EXPECT_EQ(s.amText, row.am);
    EXPECT_EQ(s.pmText, row.pm);
    EXPECT_EQ(s.monthNames[0], row.january);
    EXPECT_EQ(s.monthAbbrevs[0], row.januaryAbbrev);
    EXPECT_EQ(s.dayNames[0], row.sunday);
    EXPECT_EQ(s.dayAbbrevs[2], row.tuesdayAbbrev);
}

INSTANTIATE_TEST_SUITE_P(
    Icu, RealLocale,
    ::testing::Values(
        LocaleRow{"en_US", "en_US", 0x0409, u'/', u':', u'.', u"M/d/yy", u"MMMM d, yyyy",
                  u"h:mm AMPM", u"h:mm:ss AMPM", u"AM", u"PM", u"January", u"Jan", u"Sunday",
                  u"Tue"},
        LocaleRow{"ja_JP", "ja_JP", 0x0411, u'/', u':', u'.', u"yyyy/MM/dd", u"yyyy'年'M'月'd'日'",
                  u"h:mm", u"h:mm:ss", u"午前", u"午後", u"1月", u"1月", u"日曜日", u"火"},
        LocaleRow{"ja_JP japanese calendar", "ja_JP@calendar=japanese", 0x0411, u'/', u':', u'.',
                  u"ggge/M/d", u"ggge'年'M'月'd'日'", u"h:mm", u"h:mm:ss", u"午前", u"午後", u"1月",
                  u"1月", u"日曜日", u"火"},
        LocaleRow{"de_DE", "de_DE", 0x0407, u'.', u':', u',', u"dd/MM/yy", u"d/ MMMM yyyy",
                  u"hh:mm", u"hh:mm:ss", u"AM", u"PM", u"Januar", u"Jan.", u"Sonntag", u"Di."},
        LocaleRow{"zh_TW", "zh_TW", 0x0404, u'/', u':', u'.', u"yyyy/M/d", u"yyyy'年'M'月'd'日'",
                  u"AMPM h:mm", u"AMPM h:mm:ss", u"上午", u"下午", u"1月", u"1月", u"星期日",
                  u"週二"},
        LocaleRow{"zh_TW roc calendar", "zh_TW@calendar=roc", 0x0404, u'/', u':', u'.', u"ggge/M/d",
                  u"ggge'年'M'月'd'日'", u"AMPM h:mm", u"AMPM h:mm:ss", u"上午", u"下午", u"1月",
                  u"1月", u"星期日", u"週二"},
        LocaleRow{"ko_KR", "ko_KR", 0x0412, u'.', u':', u'.', u"yy/ M/ d/", u"yyyy'년' M'월' d'일'",
                  u"AMPM h:mm", u"AMPM h:mm:ss", u"오전", u"오후", u"1월", u"1월", u"일요일",
                  u"화"},
        LocaleRow{"th_TH", "th_TH", 0x041E, u'/', u':', u'.', u"d/M/yy", u"d MMMM yyyy", u"hh:mm",
                  u"hh:mm:ss", u"ก่อนเที่ยง", u"หลังเที่ยง", u"มกราคม", u"ม.ค.", u"วันอาทิตย์", u"อ."}),
    rowName<LocaleRow>);

TEST(IcuLocaleSource, CalendarTypeFromTheLocaleName) {
    struct {
        const char* id;
        const char16_t* type;
    } rows[] = {{"ja_JP", u"1"},
                {"ja_JP@calendar=japanese", u"3"},
                {"zh_TW@calendar=roc", u"4"},
                {"ko_KR@calendar=dangi", u"5"},
                {"th_TH@calendar=buddhist", u"7"},
                {"th_TH", u"1"}, // ICU's default is Buddhist; only a named calendar counts
                {"zh_CN@calendar=chinese", u"1"}}; // no Windows number
    for (const auto& row : rows) {
        IcuLocaleSource src(row.id);
        EXPECT_EQ(src.localeInfo(src.threadLocale(), I::ICALENDARTYPE), row.type) << row.id;
    }
}

// The line writes Latin digits, so the decimal mark is the one of the Latin-digit numbering system
// even where the locale's own digits are others (Arabic-Indic under ar_SA, Extended Arabic-Indic
// under fa_IR, whose mark is U+066B).
TEST(IcuLocaleSource, DecimalMarkGoesWithLatinDigits) {
    struct {
        const char* id;
        const char16_t* decimal;
    } rows[] = {{"ar_SA", u"."}, {"fa_IR", u"."}, {"ar_SA@numbers=arab", u"."},
                {"ar_EG", u"."}, {"de_DE", u","}, {"fr_FR", u","},
                {"ne_NP", u"."}, {"en_US", u"."}};
    for (const auto& row : rows) {
        IcuLocaleSource src(row.id);
        EXPECT_EQ(src.localeInfo(src.threadLocale(), I::SDECIMAL), row.decimal) << row.id;
    }
}

TEST(IcuLocaleSource, IdentifiersIcuDoesNotKnowAreNotInstalled) {
    IcuLocaleSource src("xx_YY");
    EXPECT_EQ(src.threadLocale(), 0u);
    EXPECT_FALSE(src.isValidLocale(0)); // ICU maps 0 to its root locale, which is no locale
    EXPECT_FALSE(src.isValidLocale(0x1234));
    EXPECT_EQ(src.localeInfo(0x1234, I::SDATE), std::nullopt);
    EXPECT_EQ(src.localeInfo(0, I::SDATE), std::nullopt);
    EXPECT_TRUE(src.isValidLocale(0x0407));
    EXPECT_EQ(src.localeInfo(0x0407, I::SDECIMAL), u",");

    // No thread locale: the start-up locale is en-US, read as such.
    LocaleStartup startup = initLocaleAtStartup(src);
    EXPECT_EQ(startup.locale.lcid, 0x0409u);
    EXPECT_EQ(startup.settings.shortDatePattern, u"M/d/yy");
}

TEST(IcuLocaleSource, OtherInstalledLocalesAreReadInTheirOwnData) {
    IcuLocaleSource src("ja_JP@calendar=japanese");
    EXPECT_EQ(src.localeInfo(0x0411, I::ICALENDARTYPE), u"3"); // the user's, keyword kept
    EXPECT_EQ(src.localeInfo(0x0407, I::SMONTHNAME1), u"Januar");
    EXPECT_EQ(src.localeInfo(0x0407, I::ICALENDARTYPE), u"1");
}

// Sets the locale variables for one test and puts the old values back.
class LocaleEnvironment {
public:
    LocaleEnvironment(const char* lcAll, const char* lcTime, const char* lang) {
        set("LC_ALL", lcAll);
        set("LC_TIME", lcTime);
        set("LANG", lang);
    }
    ~LocaleEnvironment() {
        for (auto& [name, value] : saved_)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }

private:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(SystemLocaleSource, TheUsersLocaleComesFromTheEnvironment) {
    {
        LocaleEnvironment env(nullptr, "", "ja_JP.UTF-8@calendar=japanese");
        auto src = createSystemLocaleSource();
        src->setThreadLocaleToUserDefault();
        EXPECT_EQ(src->threadLocale(), 0x0411u);
        EXPECT_EQ(src->localeInfo(0x0411, I::ICALENDARTYPE), u"3");
    }
    {
        LocaleEnvironment env("C", "de_DE.UTF-8", "ja_JP.UTF-8");
        EXPECT_EQ(createSystemLocaleSource()->threadLocale(), 0x0409u);
    }
    {
        LocaleEnvironment env("", "de_DE.UTF-8", "ja_JP.UTF-8");
        EXPECT_EQ(createSystemLocaleSource()->threadLocale(), 0x0407u);
    }
}

TEST(SystemLocaleSource, JapaneseUserSeesTheDefaultLineInJapanese) {
    LocaleEnvironment env(nullptr, nullptr, "ja_JP.UTF-8");
    auto src = createSystemLocaleSource();
    LocaleStartup startup = initLocaleAtStartup(*src);
    auto calendar = createSystemAltCalendar();
    EraContext era{calendar.get(), startup.locale};
    DateTimeFields t = makeDateTimeFields(LocalTime{2023, 5, 30, 8, 18, 13, 0});
    EXPECT_EQ(RenderDateTime(u"yyyy年mm月dd日 (ddd) hh:nn:ss (gg e年)", t, startup.settings, era),
              u"2023年05月30日 (火) 08:18:13 (令和 5年)");
}

} // namespace
} // namespace zrm58::linux_backend
