#pragma once
#include "platform/Clock.h"
#include <optional>
#include <string>
#include <vector>

namespace zrm58::cli {

enum class Piece { All, Date, Memory, Cpu };

// What the command line asked for. Absent options are std::nullopt: the settings file (or its
// defaults) then decide.
struct LineOptions {
    std::optional<std::string> format;       // UTF-8
    std::optional<std::string> separator;    // UTF-8
    std::optional<LocalTime> at;             // render this instant instead of reading the clock
    std::optional<std::string> settingsFile; // another settings file than the program's own
    std::optional<int> intervalMs;           // overrides the settings' interval
    Piece only = Piece::All;
    bool follow = false;
    bool json = false; // one JSON object per line: line, details, load step and figure
    bool help = false;
    bool version = false;
};

struct ParseResult {
    LineOptions options;
    std::string error; // non-empty: one line for standard error, exit code 2
};

ParseResult parseLineOptions(const std::vector<std::string>& args);

// The longest interval the line samples over, in milliseconds (one day).
constexpr int kMaxLineIntervalMs = 86'400'000;
// The default interval, used where the settings give none the line can use.
constexpr int kDefaultLineIntervalMs = 1000;

// The interval the line samples over: --interval as given (already bounded by the parser), else
// the stored one when it is within 1 .. kMaxLineIntervalMs, else the default. `refused` is set
// when the stored value was above the bound (0 and below mean "no tick" to the strip and are
// no mistake).
int lineIntervalMs(std::optional<int> given, int stored, bool& refused);

// "YYYY-MM-DDTHH:MM:SS[.mmm]" as a valid local date and time; std::nullopt otherwise.
std::optional<LocalTime> parseInstant(const std::string& text);

const char* usageText();

} // namespace zrm58::cli
