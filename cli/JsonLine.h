#pragma once
#include "cli/LineOptions.h"
#include "platform/ProcessSource.h"
#include "platform/SystemDetailsSource.h"
#include "status/SystemDetails.h"
#include <memory>
#include <string>
#include <string_view>

// zrm58-line --json: one JSON object per line for a bar's custom module,
// {"text": LINE, "tooltip": DETAILS, "class": STEP, "percentage": CPU}.
namespace zrm58::cli {

// `text` as a JSON string with its quotes: '"', '\' and the control characters below U+0020
// escaped (\n, \t, ... or \u00XX); everything else kept as it is (written out as UTF-8 later).
std::u16string jsonString(std::u16string_view text);

// The object for one line: `line` exactly as printed without --json, the details as text lines
// joined by "\n", the class of the glyph's step for the rounded load and that load.
std::u16string jsonRecord(std::u16string_view line, const std::vector<std::u16string>& tooltip,
                          double load);

// The details behind --json: started at construction (the per-process sampling and the
// baselines for the per-processor and network figures), so the first record, one interval
// later, has every figure. The per-process sampling ends with it.
class JsonLine {
public:
    JsonLine(ProcessSource& processes, char16_t decimalSep);
    ~JsonLine();
    JsonLine(const JsonLine&) = delete;
    JsonLine& operator=(const JsonLine&) = delete;

    // The record for `line`, rendered just before, with `load`, the machine's load of the same
    // interval (the line's own figure when it has the processor piece). Takes this interval's
    // per-process sample for the busiest processes.
    std::u16string record(std::u16string_view line, double load);

private:
    std::unique_ptr<SystemDetailsSource> source_;
    SystemDetails details_;
    char16_t decimalSep_;
};

} // namespace zrm58::cli
