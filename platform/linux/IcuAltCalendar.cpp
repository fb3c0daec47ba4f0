#include "platform/linux/IcuAltCalendar.h"
#include "platform/Platform.h"
#include "platform/linux/UserLocale.h"
#include <mutex>
#include <unicode/localpointer.h>
#include <unicode/ucal.h>
#include <unicode/udat.h>
#include <unicode/uenum.h>
#include <unicode/uloc.h>
#include <utility>
#include <vector>

namespace zrm58::linux_backend {

namespace {

constexpr double kMillisPerDay = 86400000.0;

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool isValidDate(int year, int month, int day) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    const int last = kDays[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
    return day <= last;
}

// Days since 1970-01-01 of a proleptic Gregorian date (years counted from March).
long daysFromCivil(int year, int month, int day) {
    const long y = static_cast<long>(year) - (month <= 2 ? 1 : 0);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153L * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// ASCII digits, whatever numbering system the locale prefers.
std::u16string paddedNumber(int value, std::size_t minDigits) {
    std::u16string digits;
    unsigned v = value < 0 ? 0u : static_cast<unsigned>(value);
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
        v /= 10;
    } while (v != 0);
    if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), u'0');
    return digits;
}

// The calendars offered as a locale's alternate: the Japanese emperor eras, the Taiwan (Minguo)
// calendar, the Korean Tangun era, the Thai Buddhist calendar, the Hebrew calendar and the Hijri
// calendar (arithmetic, and Umm al-Qura as Saudi Arabia counts it), besides the Gregorian one.
bool isOfferedCalendar(const std::string& type) {
    static const char* const kOffered[] = {
        "gregorian", "japanese",      "roc",          "tangun",           "buddhist",
        "hebrew",    "islamic-civil", "islamic-tbla", "islamic-umalqura", "islamic",
    };
    for (const char* offered : kOffered)
        if (type == offered) return true;
    return false;
}

// The language and the region of `localeId`, the region filled in from the language where the
// id names none ("zh_Hant" is Taiwan, "ar" Egypt).
std::pair<std::string, std::string> languageAndRegion(const std::string& localeId) {
    char likely[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    uloc_addLikelySubtags(localeId.c_str(), likely, sizeof likely, &status);
    const char* id = U_SUCCESS(status) ? likely : localeId.c_str();
    char language[ULOC_LANG_CAPACITY] = {}, region[ULOC_COUNTRY_CAPACITY] = {};
    status = U_ZERO_ERROR;
    uloc_getLanguage(id, language, sizeof language, &status);
    status = U_ZERO_ERROR;
    uloc_getCountry(id, region, sizeof region, &status);
    return {language, region};
}

std::string alternateByLanguage(const std::string& localeId) {
    const auto [language, region] = languageAndRegion(localeId);
    if (language == "ja") return "japanese";
    if (language == "zh" && region == "TW") return "roc";
    if (language == "ko") return "tangun";
    if (language == "th") return "buddhist";
    if (language == "he" || language == "iw") return "hebrew";
    if (language == "ar") return region == "SA" ? "islamic-umalqura" : "islamic-civil";
    return "gregorian";
}

// The Korean Tangun era: the Gregorian calendar's months and days, its years counted from
// 2333 BC. ICU has no such calendar nor a name for its era.
constexpr int kTangunYearOffset = 2333;
constexpr char16_t kTangunEraName[] = u"단기";

// `localeId` with its calendar keyword set to `type`; empty on failure.
std::string withCalendar(const std::string& localeId, const std::string& type) {
    char buffer[ULOC_FULLNAME_CAPACITY] = {};
    localeId.copy(buffer, sizeof buffer - 1);
    UErrorCode status = U_ZERO_ERROR;
    uloc_setKeywordValue("calendar", type.c_str(), buffer, sizeof buffer, &status);
    return U_SUCCESS(status) ? std::string(buffer) : std::string();
}

// An ICU calendar with a formatter for its era name, both opened once for one locale id.
struct EraCalendar {
    icu::LocalUCalendarPointer calendar;
    icu::LocalUDateFormatPointer eraFormat;

    bool isValid() const { return calendar.isValid() && eraFormat.isValid(); }

    // `locale` names the calendar in its keyword. The Gregorian era in its abbreviated form
    // ("AD"); another calendar's era by its whole name.
    void open(const std::string& locale) {
        UErrorCode status = U_ZERO_ERROR;
        calendar.adoptInstead(ucal_open(u"UTC", -1, locale.c_str(), UCAL_DEFAULT, &status));
        if (U_FAILURE(status)) {
            calendar.adoptInstead(nullptr);
            return;
        }
        const char* type = ucal_getType(calendar.getAlias(), &status);
        const bool gregorian = U_SUCCESS(status) && type && std::string(type) == "gregorian";
        if (gregorian) {
            // The dates asked for are proleptic Gregorian: no Julian calendar before 1582.
            UErrorCode ignored = U_ZERO_ERROR;
            ucal_setGregorianChange(calendar.getAlias(), -8.64e15, &ignored);
        }
        const char16_t* pattern = gregorian ? u"G" : u"GGGG";
        status = U_ZERO_ERROR;
        eraFormat.adoptInstead(udat_open(UDAT_PATTERN, UDAT_PATTERN, locale.c_str(), u"UTC", -1,
                                         pattern, -1, &status));
        if (U_FAILURE(status)) eraFormat.adoptInstead(nullptr);
    }

    bool setDate(int year, int month, int day) {
        UErrorCode status = U_ZERO_ERROR;
        ucal_setMillis(calendar.getAlias(), daysFromCivil(year, month, day) * kMillisPerDay,
                       &status);
        return U_SUCCESS(status);
    }

    std::optional<std::u16string> eraName() const {
        UChar buffer[64];
        UErrorCode status = U_ZERO_ERROR;
        int32_t length = udat_formatCalendar(eraFormat.getAlias(), calendar.getAlias(), buffer, 64,
                                             nullptr, &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            std::u16string text(static_cast<std::size_t>(length), u'\0');
            status = U_ZERO_ERROR;
            udat_formatCalendar(eraFormat.getAlias(), calendar.getAlias(), text.data(), length,
                                nullptr, &status);
            if (U_FAILURE(status)) return std::nullopt;
            return text;
        }
        if (U_FAILURE(status)) return std::nullopt;
        return std::u16string(buffer, static_cast<std::size_t>(length));
    }
};

// Opened once and reused: the strip asks every tick. ICU objects are not shared between
// threads, hence the lock.
class IcuAltCalendar final : public AltCalendar {
public:
    explicit IcuAltCalendar(const std::string& localeId) { open(localeId); }

    std::optional<std::u16string> formatAltDate(std::u16string_view picture, int year, int month,
                                                int day) const override {
        if (!calendar_.isValid()) return std::nullopt;
        if (picture != u"gg" && picture != u"yy" && picture != u"yyyy") return std::nullopt;
        if (!isValidDate(year, month, day)) return std::nullopt;
        std::lock_guard<std::mutex> lock(mutex_);
        // A line asks for the same day's era and year every second: the day's answers are kept.
        const Day asked{year, month, day};
        if (!(asked == answeredDay_)) {
            answeredDay_ = asked;
            answers_.clear();
        }
        for (const auto& [kept, answer] : answers_)
            if (kept == picture) return answer;
        std::optional<std::u16string> answer = answerFor(picture, year, month, day);
        answers_.emplace_back(std::u16string(picture), answer);
        return answer;
    }

private:
    struct Day {
        int year = 0, month = 0, day = 0;
        bool operator==(const Day&) const = default;
    };

    // Caller holds the lock.
    std::optional<std::u16string> answerFor(std::u16string_view picture, int year, int month,
                                            int day) const {
        if (!calendar_.setDate(year, month, day)) return std::nullopt;
        if (picture == u"gg") return eraName(year, month, day);
        UErrorCode status = U_ZERO_ERROR;
        const int yearInEra = ucal_get(calendar_.calendar.getAlias(), UCAL_YEAR, &status);
        if (U_FAILURE(status)) return std::nullopt;
        return paddedNumber(yearInEra + yearOffset_, picture.size());
    }

    void open(const std::string& localeId) {
        const std::string type = alternateCalendarType(localeId);
        if (type == "tangun") {
            yearOffset_ = kTangunYearOffset;
            fixedEraName_ = kTangunEraName;
        }
        const std::string locale =
            withCalendar(localeId, type == "tangun" ? std::string("gregorian") : type);
        if (locale.empty()) return;
        calendar_.open(locale);
        if (type != "gregorian" && type != "tangun")
            gregorian_.open(withCalendar(localeId, "gregorian"));
    }

    // Caller holds the lock and has set calendar_'s date. An era that ICU names only by its
    // raw key ("ERA1") is given the Gregorian era's name.
    std::optional<std::u16string> eraName(int year, int month, int day) const {
        if (!fixedEraName_.empty()) return fixedEraName_;
        std::optional<std::u16string> name = calendar_.eraName();
        if (!name || !isRawEraKey(*name) || !gregorian_.isValid()) return name;
        if (!gregorian_.setDate(year, month, day)) return std::nullopt;
        return gregorian_.eraName();
    }

    mutable Day answeredDay_;
    mutable std::vector<std::pair<std::u16string, std::optional<std::u16string>>> answers_;
    // mutable: ICU changes a calendar's fields when it is set to a date.
    mutable EraCalendar calendar_;
    mutable EraCalendar gregorian_; // only for an alternate calendar
    int yearOffset_ = 0;
    std::u16string fixedEraName_;
    mutable std::mutex mutex_;
};

} // namespace

std::string alternateCalendarType(const std::string& localeId) {
    char value[ULOC_KEYWORDS_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        uloc_getKeywordValue(localeId.c_str(), "calendar", value, sizeof value, &status);
    if (U_SUCCESS(status) && status != U_STRING_NOT_TERMINATED_WARNING && length > 0) {
        const std::string type(value, static_cast<std::size_t>(length));
        return isOfferedCalendar(type) ? type : "gregorian";
    }
    return alternateByLanguage(localeId);
}

bool isRawEraKey(std::u16string_view name) {
    if (name.size() < 4 || name.substr(0, 3) != u"ERA") return false;
    for (char16_t c : name.substr(3))
        if (c < u'0' || c > u'9') return false;
    return true;
}

std::unique_ptr<AltCalendar> createIcuAltCalendar(const std::string& localeId) {
    return std::make_unique<IcuAltCalendar>(localeId);
}

} // namespace zrm58::linux_backend

namespace zrm58 {

std::unique_ptr<AltCalendar> createSystemAltCalendar() {
    return linux_backend::createIcuAltCalendar(linux_backend::userLocaleId());
}

} // namespace zrm58
