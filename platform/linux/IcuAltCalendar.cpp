#include "platform/linux/IcuAltCalendar.h"
#include "platform/Platform.h"
#include "platform/linux/UserLocale.h"
#include <mutex>
#include <unicode/localpointer.h>
#include <unicode/ucal.h>
#include <unicode/udat.h>
#include <unicode/uenum.h>
#include <unicode/uloc.h>

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

bool isCyclicLunisolar(const std::string& type) {
    return type == "chinese" || type == "dangi";
}

std::string preferredAlternate(const std::string& localeId) {
    UErrorCode status = U_ZERO_ERROR;
    icu::LocalUEnumerationPointer values(
        ucal_getKeywordValuesForLocale("calendar", localeId.c_str(), true, &status));
    if (U_FAILURE(status)) return "gregorian";
    while (const char* value = uenum_next(values.getAlias(), nullptr, &status)) {
        if (U_FAILURE(status)) break;
        const std::string type = value;
        if (type != "gregorian" && !isCyclicLunisolar(type)) return type;
    }
    return "gregorian";
}

// `localeId` with its calendar keyword set to `type`; empty on failure.
std::string withCalendar(const std::string& localeId, const std::string& type) {
    char buffer[ULOC_FULLNAME_CAPACITY] = {};
    localeId.copy(buffer, sizeof buffer - 1);
    UErrorCode status = U_ZERO_ERROR;
    uloc_setKeywordValue("calendar", type.c_str(), buffer, sizeof buffer, &status);
    return U_SUCCESS(status) ? std::string(buffer) : std::string();
}

// Opened once and reused: the strip asks every tick. ICU objects are not shared between
// threads, hence the lock.
class IcuAltCalendar final : public AltCalendar {
public:
    explicit IcuAltCalendar(const std::string& localeId) { open(localeId); }

    std::optional<std::u16string> formatAltDate(std::u16string_view picture, int year, int month,
                                                int day) const override {
        if (!calendar_.isValid() || !eraFormat_.isValid()) return std::nullopt;
        if (picture != u"gg" && picture != u"yy" && picture != u"yyyy") return std::nullopt;
        if (!isValidDate(year, month, day)) return std::nullopt;
        std::lock_guard<std::mutex> lock(mutex_);
        UErrorCode status = U_ZERO_ERROR;
        ucal_setMillis(calendar_.getAlias(), daysFromCivil(year, month, day) * kMillisPerDay,
                       &status);
        if (U_FAILURE(status)) return std::nullopt;
        if (picture == u"gg") return eraName();
        const int yearInEra = ucal_get(calendar_.getAlias(), UCAL_YEAR, &status);
        if (U_FAILURE(status)) return std::nullopt;
        return paddedNumber(yearInEra, picture.size());
    }

private:
    void open(const std::string& localeId) {
        const std::string locale = withCalendar(localeId, alternateCalendarType(localeId));
        if (locale.empty()) return;
        UErrorCode status = U_ZERO_ERROR;
        calendar_.adoptInstead(ucal_open(u"UTC", -1, locale.c_str(), UCAL_DEFAULT, &status));
        if (U_FAILURE(status)) {
            calendar_.adoptInstead(nullptr);
            return;
        }
        const char* type = ucal_getType(calendar_.getAlias(), &status);
        const bool gregorian = U_SUCCESS(status) && type && std::string(type) == "gregorian";
        if (gregorian) {
            // The dates asked for are proleptic Gregorian: no Julian calendar before 1582.
            UErrorCode ignored = U_ZERO_ERROR;
            ucal_setGregorianChange(calendar_.getAlias(), -8.64e15, &ignored);
        }
        // The Gregorian era in its abbreviated form ("AD"); an alternate era by its name.
        const char16_t* pattern = gregorian ? u"G" : u"GGGG";
        status = U_ZERO_ERROR;
        eraFormat_.adoptInstead(udat_open(UDAT_PATTERN, UDAT_PATTERN, locale.c_str(), u"UTC", -1,
                                          pattern, -1, &status));
        if (U_FAILURE(status)) eraFormat_.adoptInstead(nullptr);
    }

    // Caller holds the lock and has set the calendar's date.
    std::optional<std::u16string> eraName() const {
        UChar buffer[64];
        UErrorCode status = U_ZERO_ERROR;
        int32_t length = udat_formatCalendar(eraFormat_.getAlias(), calendar_.getAlias(), buffer,
                                             64, nullptr, &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            std::u16string text(static_cast<std::size_t>(length), u'\0');
            status = U_ZERO_ERROR;
            udat_formatCalendar(eraFormat_.getAlias(), calendar_.getAlias(), text.data(), length,
                                nullptr, &status);
            if (U_FAILURE(status)) return std::nullopt;
            return text;
        }
        if (U_FAILURE(status)) return std::nullopt;
        return std::u16string(buffer, static_cast<std::size_t>(length));
    }

    icu::LocalUCalendarPointer calendar_;
    icu::LocalUDateFormatPointer eraFormat_;
    mutable std::mutex mutex_;
};

} // namespace

std::string alternateCalendarType(const std::string& localeId) {
    char value[ULOC_KEYWORDS_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        uloc_getKeywordValue(localeId.c_str(), "calendar", value, sizeof value, &status);
    if (U_SUCCESS(status) && status != U_STRING_NOT_TERMINATED_WARNING && length > 0)
        return std::string(value, static_cast<std::size_t>(length));
    return preferredAlternate(localeId);
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
