#include "status/LocaleFormat.h"
#include "status/Utf16Chars.h"
#include <array>
#include <optional>

namespace zrm58 {
namespace {

// Text item: the whole value when it fits the buffer, std::nullopt when the read fails.
std::optional<std::u16string> readText(const LocaleSource& src, std::uint32_t lcid,
                                       std::uint32_t item) {
    auto value = src.localeInfo(lcid, item);
    if (!value || value->size() + 1 > kLocaleTextBufferUnits) return std::nullopt;
    return value;
}

// Unit item: the one unit of the value, 0 for an empty value.
std::optional<char16_t> readUnit(const LocaleSource& src, std::uint32_t lcid, std::uint32_t item) {
    auto value = src.localeInfo(lcid, item);
    if (!value || value->size() + 1 > kLocaleUnitBufferUnits) return std::nullopt;
    return value->empty() ? u'\0' : value->front();
}

// A decimal integer with an optional sign and nothing else; std::nullopt otherwise.
std::optional<int> parseDecimal(std::u16string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    if (i == text.size()) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
        value = value * 10 + (text[i] - u'0');
        if (value > 2147483648LL) return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<int>(value);
}

// Number item: a failed read counts as the fallback's text, a text that is no integer as the
// fallback number; both give `fallback`.
int readNumber(const LocaleSource& src, std::uint32_t lcid, std::uint32_t item, int fallback) {
    auto text = readText(src, lcid, item);
    if (!text) return fallback;
    return parseDecimal(*text).value_or(fallback);
}

// Name item: the fixed English name stands in for a failed read and for an empty name.
std::u16string readName(const LocaleSource& src, std::uint32_t lcid, std::uint32_t item,
                        const std::u16string& english) {
    auto text = readText(src, lcid, item);
    return text && !text->empty() ? *text : english;
}

void readTimePatterns(const LocaleSource& src, std::uint32_t lcid, LocaleFormatSettings& s) {
    int leadingZero = readNumber(src, lcid, LocaleItem::ITLZERO, 0);
    int clock = readNumber(src, lcid, LocaleItem::ITIME, 0);
    int markFirst = readNumber(src, lcid, LocaleItem::ITIMEMARKPOSN, 0);
    std::u16string hour = leadingZero != 0 ? u"hh" : u"h";
    std::u16string prefix, suffix;
    if (clock == 0 && markFirst != 0) prefix = u"AMPM ";
    if (clock == 0 && markFirst == 0) suffix = u" AMPM";
    s.shortTimePattern = prefix + hour + u":mm" + suffix;
    s.longTimePattern = prefix + hour + u":mm:ss" + suffix;
}

void readNames(const LocaleSource& src, std::uint32_t lcid, LocaleFormatSettings& s) {
    for (std::uint32_t i = 0; i < 12; ++i) {
        s.monthAbbrevs[i] =
            readName(src, lcid, LocaleItem::SABBREVMONTHNAME1 + i, s.monthAbbrevs[i]);
        s.monthNames[i] = readName(src, lcid, LocaleItem::SMONTHNAME1 + i, s.monthNames[i]);
    }
    // Index 0 is Sunday, the 7th day item; Monday is the first.
    for (std::uint32_t i = 0; i < 7; ++i) {
        std::uint32_t offset = (i + 6) % 7;
        s.dayAbbrevs[i] =
            readName(src, lcid, LocaleItem::SABBREVDAYNAME1 + offset, s.dayAbbrevs[i]);
        s.dayNames[i] = readName(src, lcid, LocaleItem::SDAYNAME1 + offset, s.dayNames[i]);
    }
}

bool isYear(char16_t c) {
    return c == u'y' || c == u'Y';
}
bool isEra(char16_t c) {
    return c == u'g' || c == u'G';
}

// Calendar types 3, 4 and 5 count years within eras: the year letters become era-year letters
// and the era name is always written whole. Quotes are not looked at here.
std::u16string toEraPicture(std::u16string_view p) {
    std::u16string out;
    for (std::size_t i = 0; i < p.size();) {
        if (isSurrogate(p[i])) {
            const std::size_t len = charLength(p, i);
            out.append(p.substr(i, len));
            i += len;
        } else if (i + 1 < p.size() && isEra(p[i]) && isEra(p[i + 1])) {
            out += u"ggg";
            i += 2;
        } else if (p.substr(i, 4) == u"yyyy") {
            out += u"eeee";
            i += 4;
        } else if (p.substr(i, 2) == u"yy") {
            out += u"ee";
            i += 2;
        } else {
            out.push_back(isYear(p[i]) ? u'e' : p[i]);
            ++i;
        }
    }
    return out;
}

std::u16string withoutEraNames(std::u16string_view p) {
    std::u16string out;
    for (char16_t c : p)
        if (!isEra(c)) out.push_back(c);
    return out;
}

} // namespace

std::u16string AdaptDatePattern(std::u16string_view picture, char16_t dateSep, int calendarType,
                                std::uint32_t primaryLanguage) {
    std::u16string out;
    if (calendarType >= 3 && calendarType <= 5)
        out = toEraPicture(picture);
    else if (primaryLanguage == 0x04 || primaryLanguage == 0x11 || primaryLanguage == 0x12)
        out = withoutEraNames(picture);
    else
        out = picture;
    bool quoted = false;
    for (char16_t& c : out) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == dateSep)
            c = u'/';
    }
    return out;
}

std::u16string AdaptDatePattern(std::u16string_view picture, char16_t dateSep,
                                const LocaleSource& source, std::uint32_t lcid,
                                const StartupLocale& startup) {
    int calendarType = readNumber(source, lcid, LocaleItem::ICALENDARTYPE, 1);
    return AdaptDatePattern(picture, dateSep, calendarType, startup.primaryLanguage);
}

LocaleFormatSettings LoadLocaleFormatSettings(const LocaleSource& source, std::uint32_t lcid,
                                              const StartupLocale& startup) {
    const std::uint32_t L = source.isValidLocale(lcid) ? lcid : source.threadLocale();
    LocaleFormatSettings s;
    s.dateSep = readUnit(source, L, LocaleItem::SDATE).value_or(s.dateSep);
    s.timeSep = readUnit(source, L, LocaleItem::STIME).value_or(s.timeSep);
    // The date pictures are adapted with the separator just read.
    if (auto p = readText(source, L, LocaleItem::SSHORTDATE))
        s.shortDatePattern = AdaptDatePattern(*p, s.dateSep, source, L, startup);
    if (auto p = readText(source, L, LocaleItem::SLONGDATE))
        s.longDatePattern = AdaptDatePattern(*p, s.dateSep, source, L, startup);
    s.amText = readText(source, L, LocaleItem::S1159).value_or(s.amText);
    s.pmText = readText(source, L, LocaleItem::S2359).value_or(s.pmText);
    readTimePatterns(source, L, s);
    readNames(source, L, s);
    s.decimalSep = readUnit(source, L, LocaleItem::SDECIMAL).value_or(s.decimalSep);
    return s;
}

LocaleStartup initLocaleAtStartup(LocaleSource& source) {
    source.setThreadLocaleToUserDefault();
    LocaleStartup result;
    result.locale = makeStartupLocale(source.threadLocale());
    result.settings = LoadLocaleFormatSettings(source, result.locale.lcid, result.locale);
    return result;
}

} // namespace zrm58
