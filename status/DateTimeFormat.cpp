#include "status/DateTimeFormat.h"
#include "status/Utf16Chars.h"
#include <algorithm>
#include <climits>
#include <cstddef>
#include <vector>

namespace zrm58 {

namespace {

// The user's pattern renders at depth 1 and the patterns it expands at depth 2; an expansion
// asked for from depth 2 writes nothing, so settings patterns cannot recurse.
constexpr int kMaxDepth = 2;

// Offsets where each character of `s` starts (a surrogate pair is one character).
std::vector<std::size_t> characterStarts(std::u16string_view s) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.size(); i += charLength(s, i))
        starts.push_back(i);
    return starts;
}

char16_t asciiUpper(char16_t u) {
    return (u >= u'a' && u <= u'z') ? static_cast<char16_t>(u - u'a' + u'A') : u;
}

// `upperPrefix` is upper-case ASCII; `text` is compared without regard to ASCII case.
bool startsWithNoCase(std::u16string_view text, std::u16string_view upperPrefix) {
    if (text.size() < upperPrefix.size()) return false;
    for (std::size_t i = 0; i < upperPrefix.size(); ++i)
        if (asciiUpper(text[i]) != upperPrefix[i]) return false;
    return true;
}

bool isRunLetter(char16_t token) {
    return std::u16string_view(u"CDEGHMNSTYZ").find(token) != std::u16string_view::npos;
}

// ASCII digits, padded on the left with "0" to `minDigits`, never cut.
void appendNumber(std::u16string& out, unsigned value, std::size_t minDigits) {
    char16_t digits[16];
    std::size_t n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (std::size_t i = n; i < minDigits; ++i)
        out.push_back(u'0');
    while (n > 0)
        out.push_back(digits[--n]);
}

// Entry `index` (1-based) of a name table; an index out of range writes nothing.
template <std::size_t N>
std::u16string_view nameAt(const std::array<std::u16string, N>& names, unsigned index) {
    return (index >= 1 && index <= N) ? std::u16string_view(names[index - 1]) : u"";
}

enum class AmPmForm { None, AmSlashPm, ASlashP, AmPmText, DayName, DayAbbrev };

struct AmPmMatch {
    AmPmForm form;
    std::size_t length;
};

// The am/pm token that starts `text` (which starts at an "a" or "A"), in the order of priority.
AmPmMatch matchAmPm(std::u16string_view text) {
    if (startsWithNoCase(text, u"AM/PM")) return {AmPmForm::AmSlashPm, 5};
    if (startsWithNoCase(text, u"A/P")) return {AmPmForm::ASlashP, 3};
    if (startsWithNoCase(text, u"AMPM")) return {AmPmForm::AmPmText, 4};
    if (startsWithNoCase(text, u"AAAA")) return {AmPmForm::DayName, 4};
    if (startsWithNoCase(text, u"AAA")) return {AmPmForm::DayAbbrev, 3};
    return {AmPmForm::None, 1};
}

bool switchesTo12Hour(AmPmForm form) {
    return form == AmPmForm::AmSlashPm || form == AmPmForm::ASlashP || form == AmPmForm::AmPmText;
}

// Scans on from just after an hour run: does an am/pm token follow before the next hour letter?
// One in-quotes marker serves both quote characters; a quoted "h" still ends the scan.
bool lookAheadFinds12Hour(std::u16string_view p, std::size_t i) {
    bool inQuotes = false;
    while (i < p.size()) {
        const char16_t u = p[i];
        if (isSurrogate(u)) {
            i += charLength(p, i);
            continue;
        }
        if (u == u'\'' || u == u'"')
            inQuotes = !inQuotes;
        else if (u == u'h' || u == u'H')
            return false;
        else if (!inQuotes && (u == u'a' || u == u'A'))
            return switchesTo12Hour(matchAmPm(p.substr(i)).form);
        ++i;
    }
    return false;
}

bool isMidnight(const DateTimeFields& t) {
    return t.hour == 0 && t.minute == 0 && t.second == 0 && t.millisecond == 0;
}

unsigned clockHour(const DateTimeFields& t, bool twelveHour) {
    if (!twelveHour) return t.hour;
    const unsigned h = t.hour % 12u;
    return h == 0 ? 12u : h;
}

int clampRun(std::size_t run) {
    return static_cast<int>(std::min<std::size_t>(run, INT_MAX));
}

// One RenderDateTime call: the shared output and depth; each expand() keeps its own scan state.
class Renderer {
public:
    Renderer(const DateTimeFields& t, const LocaleFormatSettings& s, const EraContext& era,
             std::u16string& out)
        : t_(t), s_(s), era_(era), out_(out) {}

    void expand(std::u16string_view pattern);

private:
    struct Scan {
        std::u16string_view p;
        std::size_t i = 0;
        char16_t previous = 0; // folded previous ASCII letter; 0 = none
        bool twelveHour = false;
    };

    void step(Scan& s);
    void writeToken(Scan& s, char16_t token, char16_t typed, std::size_t run);
    void writeMonth(std::size_t run);
    void writeDay(std::size_t run);
    void writeAmPm(Scan& s, char16_t typed);
    void writeLiteral(Scan& s, char16_t quote);
    void writeDateTime();

    const DateTimeFields& t_;
    const LocaleFormatSettings& s_;
    const EraContext& era_;
    std::u16string& out_;
    int depth_ = 0;
};

void Renderer::expand(std::u16string_view pattern) {
    if (depth_ >= kMaxDepth) return;
    ++depth_;
    // A unit 0 ends the pattern, as it would a C string.
    if (auto nul = pattern.find(u'\0'); nul != std::u16string_view::npos)
        pattern = pattern.substr(0, nul);
    Scan s;
    s.p = pattern;
    while (s.i < s.p.size())
        step(s);
    --depth_;
}

void Renderer::step(Scan& s) {
    const char16_t typed = s.p[s.i];
    if (isSurrogate(typed)) {
        const std::size_t n = charLength(s.p, s.i);
        out_.append(s.p.substr(s.i, n));
        s.i += n;
        s.previous = 0;
        return;
    }
    ++s.i;
    char16_t token = asciiUpper(typed);
    if (token >= u'A' && token <= u'Z') {
        if (token == u'M' && s.previous == u'H') token = u'N'; // m right after an hour: minutes
        s.previous = token;
    }
    std::size_t run = 1;
    if (isRunLetter(token)) {
        // A run continues with the letter exactly as typed: "dD" is two runs.
        while (s.i < s.p.size() && s.p[s.i] == typed) {
            ++run;
            ++s.i;
        }
    }
    writeToken(s, token, typed, run);
}

void Renderer::writeToken(Scan& s, char16_t token, char16_t typed, std::size_t run) {
    switch (token) {
    case u'Y':
        if (run <= 2)
            appendNumber(out_, t_.year % 100u, 2);
        else
            appendNumber(out_, t_.year, 4);
        break;
    case u'M':
        writeMonth(run);
        break;
    case u'D':
        writeDay(run);
        break;
    case u'H':
        if (!s.twelveHour) s.twelveHour = lookAheadFinds12Hour(s.p, s.i);
        appendNumber(out_, clockHour(t_, s.twelveHour), std::min<std::size_t>(run, 2));
        break;
    case u'N':
        appendNumber(out_, t_.minute, std::min<std::size_t>(run, 2));
        break;
    case u'S':
        appendNumber(out_, t_.second, std::min<std::size_t>(run, 2));
        break;
    case u'Z':
        appendNumber(out_, t_.millisecond, std::min<std::size_t>(run, 3));
        break;
    case u'T':
        expand(run == 1 ? s_.shortTimePattern : s_.longTimePattern);
        break;
    case u'C':
        writeDateTime();
        break;
    case u'G':
        out_ += FormatEraName(clampRun(run), t_, era_);
        break;
    case u'E':
        out_ += FormatEraYear(clampRun(run), t_, era_);
        break;
    case u'A':
        writeAmPm(s, typed);
        break;
    case u'/':
        if (s_.dateSep != 0) out_.push_back(s_.dateSep);
        break;
    case u':':
        if (s_.timeSep != 0) out_.push_back(s_.timeSep);
        break;
    case u'\'':
    case u'"':
        writeLiteral(s, typed);
        break;
    default:
        out_.push_back(typed);
        break;
    }
}

void Renderer::writeMonth(std::size_t run) {
    if (run <= 2)
        appendNumber(out_, t_.month, run);
    else if (run == 3)
        out_ += nameAt(s_.monthAbbrevs, t_.month);
    else
        out_ += nameAt(s_.monthNames, t_.month);
}

void Renderer::writeDay(std::size_t run) {
    if (run <= 2)
        appendNumber(out_, t_.day, run);
    else if (run == 3)
        out_ += nameAt(s_.dayAbbrevs, t_.dayOfWeek);
    else if (run == 4)
        out_ += nameAt(s_.dayNames, t_.dayOfWeek);
    else if (run == 5)
        expand(s_.shortDatePattern);
    else
        expand(s_.longDatePattern);
}

// `typed` was the "a" or "A" just consumed; the token's remaining units are consumed here.
void Renderer::writeAmPm(Scan& s, char16_t typed) {
    const std::size_t start = s.i - 1;
    const AmPmMatch m = matchAmPm(s.p.substr(start));
    const bool am = t_.hour < 12;
    switch (m.form) {
    case AmPmForm::AmSlashPm: // the case written is the case typed
        out_.append(s.p.substr(am ? start : start + 3, 2));
        break;
    case AmPmForm::ASlashP:
        out_.push_back(s.p[am ? start : start + 2]);
        break;
    case AmPmForm::AmPmText:
        out_ += am ? s_.amText : s_.pmText;
        break;
    case AmPmForm::DayName:
        out_ += nameAt(s_.dayNames, t_.dayOfWeek);
        break;
    case AmPmForm::DayAbbrev:
        out_ += nameAt(s_.dayAbbrevs, t_.dayOfWeek);
        break;
    case AmPmForm::None:
        out_.push_back(typed);
        break;
    }
    if (switchesTo12Hour(m.form)) s.twelveHour = true;
    s.i = start + m.length;
}

// Copies up to the next `quote` (the other quote character does not close); no closing quote
// runs to the end of the pattern. The quotes themselves are not written.
void Renderer::writeLiteral(Scan& s, char16_t quote) {
    const std::size_t close = s.p.find(quote, s.i);
    const std::size_t end = close == std::u16string_view::npos ? s.p.size() : close;
    out_.append(s.p.substr(s.i, end - s.i));
    s.i = close == std::u16string_view::npos ? end : end + 1;
}

void Renderer::writeDateTime() {
    expand(s_.shortDatePattern);
    if (isMidnight(t_)) return;
    out_.push_back(u' ');
    expand(s_.longTimePattern);
}

std::optional<std::u16string> askCalendar(const EraContext& era, std::u16string_view picture,
                                          const DateTimeFields& t) {
    if (era.calendar == nullptr) return std::nullopt;
    return era.calendar->formatAltDate(picture, t.year, t.month, t.day);
}

} // namespace

DateTimeFields makeDateTimeFields(const LocalTime& t) {
    DateTimeFields f;
    f.year = t.year;
    f.month = t.month;
    f.day = t.day;
    f.hour = t.hour;
    f.minute = t.minute;
    f.second = t.second;
    f.millisecond = t.millisecond;
    // Days since 1970-01-01 on the proleptic Gregorian calendar (years counted from March).
    const long m = t.month;
    const long y = static_cast<long>(t.year) - (m <= 2 ? 1 : 0);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + t.day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = era * 146097 + doe - 719468;
    // 1970-01-01 was a Thursday: 0 = Sunday .. 6 = Saturday.
    const long weekday = ((days + 4) % 7 + 7) % 7;
    f.dayOfWeek = static_cast<std::uint16_t>(weekday + 1);
    return f;
}

StartupLocale makeStartupLocale(std::uint32_t threadLcid) {
    StartupLocale l; // 0x0409, English, sublanguage 0x01
    if (threadLcid == 0) return l;
    l.lcid = threadLcid;
    if ((threadLcid & 0xFFFFu) == 0) return l;
    l.primaryLanguage = threadLcid & 0x3FFu;
    l.subLanguage = (threadLcid & 0xFFFFu) >> 10;
    return l;
}

std::u16string FormatEraName(int runLength, const DateTimeFields& t, const EraContext& era) {
    std::optional<std::u16string> answer = askCalendar(era, u"gg", t);
    if (!answer) return {};
    if (runLength != 1) return *answer;
    const StartupLocale& l = era.locale;
    if (l.primaryLanguage == 0x11) { // Japanese: the era's first character
        if (answer->empty()) return {};
        return answer->substr(0, charLength(*answer, 0));
    }
    if (l.primaryLanguage == 0x04 && l.subLanguage == 0x01) { // Chinese, traditional script
        const std::vector<std::size_t> starts = characterStarts(*answer);
        if (starts.size() == 4) return answer->substr(starts[2]);
    }
    return *answer;
}

std::u16string FormatEraYear(int runLength, const DateTimeFields& t, const EraContext& era) {
    std::optional<std::u16string> answer = askCalendar(era, runLength <= 2 ? u"yy" : u"yyyy", t);
    if (!answer) return {};
    if (runLength == 1 && !answer->empty() && answer->front() == u'0') answer->erase(0, 1);
    return *answer;
}

std::u16string RenderDateTime(std::u16string_view pattern, const DateTimeFields& t,
                              const LocaleFormatSettings& settings, const EraContext& era) {
    std::u16string out;
    out.reserve(256); // an ordinary line fits without growing
    Renderer renderer(t, settings, era, out);
    renderer.expand(pattern.empty() ? std::u16string_view(u"c") : pattern);
    return out;
}

} // namespace zrm58
