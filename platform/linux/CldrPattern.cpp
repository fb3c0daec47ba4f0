#include "platform/linux/CldrPattern.h"
#include <algorithm>
#include <unicode/uchar.h>
#include <unicode/utf16.h>
#include <vector>

namespace zrm58::linux_backend {
namespace {

// One piece of a CLDR pattern: a field (a run of one ASCII letter) or literal text.
struct Piece {
    char16_t letter = 0; // 0: literal text
    int count = 0;
    std::u16string text; // the literal text, unquoted
};

bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

void addLiteral(std::vector<Piece>& pieces, char16_t c) {
    if (pieces.empty() || pieces.back().letter != 0) pieces.push_back({});
    pieces.back().text.push_back(c);
}

// CLDR quoting: '...' is literal text, '' is one apostrophe (inside quotes or out), and an
// unclosed quote runs to the end.
std::vector<Piece> splitPattern(std::u16string_view p) {
    std::vector<Piece> pieces;
    bool quoted = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        char16_t c = p[i];
        if (c == u'\'') {
            if (i + 1 < p.size() && p[i + 1] == u'\'') {
                addLiteral(pieces, u'\'');
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (!quoted && isAsciiLetter(c)) {
            std::size_t end = i;
            while (end < p.size() && p[end] == c)
                ++end;
            pieces.push_back({c, static_cast<int>(end - i), {}});
            i = end - 1;
        } else {
            addLiteral(pieces, c);
        }
    }
    return pieces;
}

std::u16string yearToken(int count, bool eraYears) {
    if (count == 2) return u"yy";
    if (count == 1 && eraYears) return u"y";
    return u"yyyy";
}

std::u16string monthToken(int count) {
    static const char16_t* const tokens[] = {u"M", u"MM", u"MMM", u"MMMM"};
    return count <= 4 ? tokens[count - 1] : u"MMM"; // 5: the narrow name, taken as abbreviated
}

std::u16string weekdayToken(int count) {
    return count == 4 ? u"dddd" : u"ddd";
}

// The picture token for one CLDR field; empty for a field the picture language cannot say.
std::u16string fieldToken(char16_t letter, int count, bool eraYears) {
    switch (letter) {
    // The era token names the era of the locale's alternate calendar, which is only the era of
    // these dates in an era calendar; a Gregorian "AD" is left out.
    case u'G':
        return eraYears ? u"gg" : u"";
    case u'y':
    case u'Y':
        return yearToken(count, eraYears);
    case u'u':
    case u'r':
        return u"yyyy";
    case u'M':
    case u'L':
        return monthToken(count);
    case u'd':
        return count == 1 ? u"d" : u"dd";
    case u'E':
        return weekdayToken(count);
    case u'c':
    case u'e':
        return count <= 2 ? u"" : weekdayToken(count); // 1, 2: the weekday as a number
    default:
        return u"";
    }
}

bool needsQuotes(UChar32 cp) {
    return u_hasBinaryProperty(cp, UCHAR_ALPHABETIC);
}

// Writes literal text so that the date formatter copies it unchanged: words in single quotes,
// an apostrophe inside double quotes, a double quote inside single quotes.
void appendLiteral(std::u16string& out, std::u16string_view text) {
    bool open = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t start = i;
        UChar32 cp;
        U16_NEXT(text.data(), i, text.size(), cp);
        std::u16string_view unit = text.substr(start, i - start);
        if (needsQuotes(cp)) {
            if (!open) out.push_back(u'\'');
            open = true;
            out.append(unit);
            continue;
        }
        if (open) out.push_back(u'\'');
        open = false;
        if (cp == u'\'')
            out.append(u"\"'\"");
        else if (cp == u'"')
            out.append(u"'\"'");
        else
            out.append(unit);
    }
    if (open) out.push_back(u'\'');
}

char16_t foldAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - u'a' + u'A' : c;
}

bool isTrimmable(UChar32 cp) {
    return u_isUWhiteSpace(cp);
}

std::u16string trimSeparator(const std::u16string& raw) {
    std::u16string kept; // without bidi and other format marks
    for (std::size_t i = 0; i < raw.size();) {
        std::size_t start = i;
        UChar32 cp;
        U16_NEXT(raw.data(), i, raw.size(), cp);
        if (u_charType(cp) != U_FORMAT_CHAR) kept.append(raw, start, i - start);
    }
    std::size_t first = 0;
    std::size_t last = kept.size();
    while (first < last && isTrimmable(kept[first]))
        ++first;
    while (last > first && isTrimmable(kept[last - 1]))
        --last;
    return first == last ? kept : kept.substr(first, last - first);
}

} // namespace

std::u16string cldrDateToPicture(std::u16string_view cldr, bool eraYears) {
    std::u16string out;
    bool dropped = false; // the last field was dropped: spaces around it would double up
    for (const Piece& piece : splitPattern(cldr)) {
        if (piece.letter == 0) {
            std::u16string_view text = piece.text;
            if (dropped && (out.empty() || out.back() == u' '))
                text.remove_prefix(std::min(text.size(), text.find_first_not_of(u' ')));
            appendLiteral(out, text);
            continue;
        }
        std::u16string token = fieldToken(piece.letter, piece.count, eraYears);
        dropped = token.empty();
        if (dropped) continue;
        // Two tokens of one letter in a row would read as one longer run ("dddd" + "d" is the
        // short date); an empty quote pair writes nothing and keeps them apart.
        if (!out.empty() && foldAscii(out.back()) == foldAscii(token.front())) out.append(u"''");
        out += token;
    }
    if (dropped)
        while (!out.empty() && out.back() == u' ')
            out.pop_back();
    return out;
}

std::optional<std::u16string> cldrSeparator(std::u16string_view cldr,
                                            std::u16string_view fieldLetters) {
    bool inside = false; // after the first matching field
    std::u16string between;
    for (const Piece& piece : splitPattern(cldr)) {
        bool matches = piece.letter != 0 && fieldLetters.find(piece.letter) != fieldLetters.npos;
        if (matches && inside) return trimSeparator(between);
        if (matches)
            inside = true;
        else if (inside && piece.letter == 0)
            between += piece.text;
    }
    return std::nullopt;
}

std::optional<CldrTimeFlags> cldrTimeFlags(std::u16string_view cldr) {
    bool markSeen = false;
    for (const Piece& piece : splitPattern(cldr)) {
        char16_t c = piece.letter;
        if (c == u'a' || c == u'b' || c == u'B') markSeen = true;
        if (c == u'h' || c == u'K' || c == u'H' || c == u'k')
            return CldrTimeFlags{c == u'H' || c == u'k', piece.count >= 2, markSeen};
    }
    return std::nullopt;
}

std::optional<int> windowsCalendarType(std::string_view cal) {
    if (cal == "gregorian" || cal == "gregory" || cal == "iso8601") return 1;
    if (cal == "japanese") return 3;
    if (cal == "roc") return 4;
    if (cal == "dangi") return 5;
    if (cal == "islamic-umalqura") return 23;
    if (cal == "islamic" || cal.starts_with("islamic-")) return 6;
    if (cal == "buddhist") return 7;
    if (cal == "hebrew") return 8;
    if (cal == "persian") return 22;
    return std::nullopt;
}

} // namespace zrm58::linux_backend
