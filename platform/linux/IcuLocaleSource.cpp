#include "platform/linux/IcuLocaleSource.h"
#include "platform/Platform.h"
#include "platform/linux/CldrPattern.h"
#include "platform/linux/UserLocale.h"
#include <memory>
#include <unicode/datefmt.h>
#include <unicode/dcfmtsym.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/uloc.h>

namespace zrm58::linux_backend {
namespace {

using icu::UnicodeString;

std::u16string toU16(const UnicodeString& s) {
    return {s.getBuffer(), std::size_t(s.length())};
}

std::u16string numberText(int n) {
    std::string s = std::to_string(n);
    return {s.begin(), s.end()};
}

// The calendar the locale's patterns are read in and its Windows number: the calendar the id
// names when Windows numbers it, the Gregorian calendar otherwise. A locale whose default
// calendar is another (th_TH: Buddhist) is still read in the Gregorian one, which is what the
// calendar type 1 and the formatter's Gregorian years mean.
struct CalendarChoice {
    std::string name = "gregorian";
    int windowsType = 1;
};

CalendarChoice calendarOf(const icu::Locale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    char value[64] = {};
    int32_t len = locale.getKeywordValue("calendar", value, sizeof value, status);
    if (U_FAILURE(status) || len <= 0 || len >= int32_t(sizeof value)) return {};
    auto type = windowsCalendarType(value);
    if (!type) return {};
    return {value, *type};
}

std::optional<std::u16string> patternOf(const icu::DateFormat* format) {
    auto* simple = dynamic_cast<const icu::SimpleDateFormat*>(format);
    if (!simple) return std::nullopt;
    UnicodeString pattern;
    simple->toPattern(pattern);
    return toU16(pattern);
}

std::optional<std::u16string> datePattern(icu::DateFormat::EStyle style, const icu::Locale& loc) {
    std::unique_ptr<icu::DateFormat> f(icu::DateFormat::createDateInstance(style, loc));
    return patternOf(f.get());
}

std::optional<std::u16string> timePattern(icu::DateFormat::EStyle style, const icu::Locale& loc) {
    std::unique_ptr<icu::DateFormat> f(icu::DateFormat::createTimeInstance(style, loc));
    return patternOf(f.get());
}

void putIf(IcuLocaleSource::ItemTable& t, std::uint32_t item,
           const std::optional<std::u16string>& v) {
    if (v) t[item] = *v;
}

void readPatterns(IcuLocaleSource::ItemTable& t, const icu::Locale& loc, bool eraYears) {
    auto shortDate = datePattern(icu::DateFormat::kShort, loc);
    auto longDate = datePattern(icu::DateFormat::kLong, loc);
    auto shortTime = timePattern(icu::DateFormat::kShort, loc);
    auto mediumTime = timePattern(icu::DateFormat::kMedium, loc);
    if (shortDate) {
        putIf(t, LocaleItem::SDATE, cldrSeparator(*shortDate, u"yYuMLd"));
        t[LocaleItem::SSHORTDATE] = cldrDateToPicture(*shortDate, eraYears);
    }
    if (longDate) t[LocaleItem::SLONGDATE] = cldrDateToPicture(*longDate, eraYears);
    if (mediumTime) putIf(t, LocaleItem::STIME, cldrSeparator(*mediumTime, u"hHkKm"));
    if (auto flags = shortTime ? cldrTimeFlags(*shortTime) : std::nullopt) {
        t[LocaleItem::ITIME] = numberText(flags->twentyFourHour ? 1 : 0);
        t[LocaleItem::ITLZERO] = numberText(flags->leadingZero ? 1 : 0);
        t[LocaleItem::ITIMEMARKPOSN] = numberText(flags->markFirst ? 1 : 0);
    }
}

// Names in the format context, Gregorian months: the formatter indexes them by Gregorian month.
void readNames(IcuLocaleSource::ItemTable& t, const icu::Locale& loc) {
    using Symbols = icu::DateFormatSymbols;
    UErrorCode status = U_ZERO_ERROR;
    Symbols symbols(loc, "gregorian", status);
    if (U_FAILURE(status)) return;
    int32_t n = 0;
    const UnicodeString* s = symbols.getAmPmStrings(n);
    if (n >= 2) {
        t[LocaleItem::S1159] = toU16(s[0]);
        t[LocaleItem::S2359] = toU16(s[1]);
    }
    auto months = [&](Symbols::DtWidthType width, std::uint32_t firstItem) {
        const UnicodeString* m = symbols.getMonths(n, Symbols::FORMAT, width);
        for (int32_t i = 0; i < 12 && i < n; ++i)
            t[firstItem + i] = toU16(m[i]);
    };
    months(Symbols::WIDE, LocaleItem::SMONTHNAME1);
    months(Symbols::ABBREVIATED, LocaleItem::SABBREVMONTHNAME1);
    // ICU counts weekdays 1 = Sunday .. 7 = Saturday; the items run Monday (1) .. Sunday (7).
    auto days = [&](Symbols::DtWidthType width, std::uint32_t firstItem) {
        const UnicodeString* d = symbols.getWeekdays(n, Symbols::FORMAT, width);
        for (int32_t icuDay = 1; icuDay <= 7 && icuDay < n; ++icuDay)
            t[firstItem + (icuDay + 5) % 7] = toU16(d[icuDay]);
    };
    days(Symbols::WIDE, LocaleItem::SDAYNAME1);
    days(Symbols::ABBREVIATED, LocaleItem::SABBREVDAYNAME1);
}

// The mark of the Latin-digit numbering system: the line writes Latin digits whatever the
// locale's own digits are, and the mark must belong to the digits written ("." under ar_SA, whose
// Arabic-Indic digits take U+066B).
void readDecimal(IcuLocaleSource::ItemTable& t, const icu::Locale& loc) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale latin = loc;
    latin.setKeywordValue("numbers", "latn", status);
    if (U_FAILURE(status)) return;
    icu::DecimalFormatSymbols symbols(latin, status);
    if (U_SUCCESS(status))
        t[LocaleItem::SDECIMAL] =
            toU16(symbols.getSymbol(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol));
}

} // namespace

IcuLocaleSource::ItemTable readIcuLocaleItems(const std::string& icuId) {
    IcuLocaleSource::ItemTable t;
    icu::Locale locale(icuId.c_str());
    if (locale.isBogus()) return t;
    CalendarChoice calendar = calendarOf(locale);
    icu::Locale inCalendar = locale;
    UErrorCode status = U_ZERO_ERROR;
    inCalendar.setKeywordValue("calendar", calendar.name.c_str(), status);
    if (U_FAILURE(status)) return t;
    t[LocaleItem::ICALENDARTYPE] = numberText(calendar.windowsType);
    bool eraYears = calendar.windowsType >= 3 && calendar.windowsType <= 5;
    readPatterns(t, inCalendar, eraYears);
    readNames(t, locale);
    readDecimal(t, locale);
    return t;
}

IcuLocaleSource::IcuLocaleSource(std::string userLocaleId)
    : userId_(std::move(userLocaleId)), userLcid_(uloc_getLCID(userId_.c_str())),
      thread_(userLcid_) {}

void IcuLocaleSource::setThreadLocaleToUserDefault() {
    thread_ = userLcid_;
}

std::optional<std::string> IcuLocaleSource::icuIdFor(std::uint32_t lcid) const {
    if (lcid == 0) return std::nullopt; // ICU answers "root" for 0, which is no locale
    if (lcid == userLcid_) return userId_;
    char id[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    int32_t len = uloc_getLocaleForLCID(lcid, id, sizeof id, &status);
    if (U_FAILURE(status) || len <= 0 || len >= int32_t(sizeof id)) return std::nullopt;
    if (std::string_view(id) == "root") return std::nullopt;
    return std::string(id);
}

bool IcuLocaleSource::isValidLocale(std::uint32_t lcid) const {
    return icuIdFor(lcid).has_value();
}

const IcuLocaleSource::ItemTable& IcuLocaleSource::itemsFor(std::uint32_t lcid) const {
    auto found = cache_.find(lcid);
    if (found != cache_.end()) return found->second;
    auto id = icuIdFor(lcid);
    return cache_.emplace(lcid, id ? readIcuLocaleItems(*id) : ItemTable{}).first->second;
}

std::optional<std::u16string> IcuLocaleSource::localeInfo(std::uint32_t lcid,
                                                          std::uint32_t item) const {
    const ItemTable& items = itemsFor(lcid);
    auto found = items.find(item);
    if (found == items.end()) return std::nullopt;
    return found->second;
}

} // namespace zrm58::linux_backend

namespace zrm58 {

std::unique_ptr<LocaleSource> createSystemLocaleSource() {
    return std::make_unique<linux_backend::IcuLocaleSource>(linux_backend::userLocaleId());
}

} // namespace zrm58
