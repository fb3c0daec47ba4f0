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

// "YYYY-MM-DDTHH:MM:SS[.mmm]" as a valid local date and time; std::nullopt otherwise.
std::optional<LocalTime> parseInstant(const std::string& text);

const char* usageText();

} // namespace zrm58::cli
