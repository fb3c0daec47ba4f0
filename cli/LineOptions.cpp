#include "cli/LineOptions.h"
#include <charconv>
#include <string>

namespace zrm58::cli {
namespace {

bool digits(const std::string& s, std::size_t pos, std::size_t n, int& out) {
    if (pos + n > s.size()) return false;
    out = 0;
    for (std::size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

} // namespace

std::optional<LocalTime> parseInstant(const std::string& s) {
    int y, mo, d, h, mi, sec, ms = 0;
    if (s.size() != 19 && s.size() != 23) return std::nullopt;
    if (!digits(s, 0, 4, y) || s[4] != '-' || !digits(s, 5, 2, mo) || s[7] != '-' ||
        !digits(s, 8, 2, d) || (s[10] != 'T' && s[10] != ' ') || !digits(s, 11, 2, h) ||
        s[13] != ':' || !digits(s, 14, 2, mi) || s[16] != ':' || !digits(s, 17, 2, sec))
        return std::nullopt;
    if (s.size() == 23 && (s[19] != '.' || !digits(s, 20, 3, ms))) return std::nullopt;
    if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo) || h > 23 || mi > 59 ||
        sec > 59)
        return std::nullopt;
    LocalTime t;
    t.year = static_cast<std::uint16_t>(y);
    t.month = static_cast<std::uint16_t>(mo);
    t.day = static_cast<std::uint16_t>(d);
    t.hour = static_cast<std::uint16_t>(h);
    t.minute = static_cast<std::uint16_t>(mi);
    t.second = static_cast<std::uint16_t>(sec);
    t.millisecond = static_cast<std::uint16_t>(ms);
    return t;
}

ParseResult parseLineOptions(const std::vector<std::string>& args) {
    ParseResult r;
    auto fail = [&](std::string msg) {
        r.error = "zrm58-line: " + std::move(msg) + " (try --help)";
        return r;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            if (auto eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.erase(eq);
            }
        }
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) return inlineValue;
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        if (arg == "--help" || arg == "-h") {
            r.options.help = true;
        } else if (arg == "--version") {
            r.options.version = true;
        } else if (arg == "--follow") {
            r.options.follow = true;
        } else if (arg == "--json") {
            r.options.json = true;
        } else if (arg == "--format" || arg == "--sep" || arg == "--at" || arg == "--only" ||
                   arg == "--settings" || arg == "--interval") {
            const std::optional<std::string> v = value();
            if (!v) return fail("option " + arg + " needs a value");
            if (arg == "--format") r.options.format = *v;
            if (arg == "--sep") r.options.separator = *v;
            if (arg == "--settings") r.options.settingsFile = *v;
            if (arg == "--at") {
                r.options.at = parseInstant(*v);
                if (!r.options.at)
                    return fail("--at wants a local time as YYYY-MM-DDTHH:MM:SS[.mmm], not '" + *v +
                                "'");
            }
            if (arg == "--only") {
                if (*v == "date")
                    r.options.only = Piece::Date;
                else if (*v == "memory")
                    r.options.only = Piece::Memory;
                else if (*v == "cpu")
                    r.options.only = Piece::Cpu;
                else
                    return fail("--only takes date, memory or cpu, not '" + *v + "'");
            }
            if (arg == "--interval") {
                int ms = 0;
                auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), ms);
                if (ec != std::errc() || end != v->data() + v->size() || ms < 1 ||
                    ms > kMaxLineIntervalMs)
                    return fail("--interval takes milliseconds from 1 to " +
                                std::to_string(kMaxLineIntervalMs) + ", not '" + *v + "'");
                r.options.intervalMs = ms;
            }
        } else {
            return fail("unknown option '" + args[i] + "'");
        }
    }
    return r;
}

int lineIntervalMs(std::optional<int> given, int stored, bool& refused) {
    refused = false;
    if (given) return *given;
    if (stored >= 1 && stored <= kMaxLineIntervalMs) return stored;
    refused = stored > kMaxLineIntervalMs;
    return kDefaultLineIntervalMs;
}

const char* usageText() {
    return "Usage: zrm58-line [OPTION]...\n"
           "Print the ZRM58 strip's line (date and time, memory, processor load) in UTF-8.\n"
           "\n"
           "  --format PATTERN   date-time pattern (default: the settings file's)\n"
           "  --sep TEXT         separator placed before each piece\n"
           "  --at YYYY-MM-DDTHH:MM:SS[.mmm]\n"
           "                     render this local instant instead of reading the clock\n"
           "  --only PIECE       print one piece alone: date, memory or cpu\n"
           "  --settings FILE    read pattern, separator and interval from FILE\n"
           "  --interval MS      sampling interval in milliseconds (default: the settings')\n"
           "  --follow           print one line per interval until interrupted\n"
           "  --json             print {\"text\", \"tooltip\", \"class\", \"percentage\"} objects\n"
           "                     for a bar: the line, the details, the load step and figure\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "\n"
           "The processor load is measured over one interval, as the strip's first tick.\n"
           "Exit status: 0 on success, 1 when the settings file cannot be read or the output\n"
           "cannot be written, 2 on a bad option.\n";
}

} // namespace zrm58::cli
