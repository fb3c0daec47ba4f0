// zrm58-line: the strip's line on standard output, for terminal bars and scripts.
#include "cli/CommandLine.h"
#include "cli/FollowSchedule.h"
#include "cli/JsonLine.h"
#include "cli/LineOptions.h"
#include "platform/Platform.h"
#include "settings/SettingsFile.h"
#include "settings/Utf.h"
#include "status/CpuLoad.h"
#include "status/DateTimeFormat.h"
#include "status/LocaleFormat.h"
#include "status/StatusTexts.h"
#include "strip/StatusLine.h"
#include "texts/Texts.h"
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <tuple>

using namespace zrm58;
using namespace zrm58::cli;

namespace {

struct LineContext {
    LocaleStartup locale;
    std::unique_ptr<Clock> clock = createSystemClock();
    std::unique_ptr<AltCalendar> calendar = createSystemAltCalendar();
    std::unique_ptr<MemorySource> memory = createSystemMemorySource();
    std::u16string format;
    std::u16string sep;
    int intervalMs = 1000;
};

std::u16string datePiece(const LineContext& ctx, const LineOptions& opt) {
    const LocalTime now = opt.at ? *opt.at : ctx.clock->now();
    return renderDatePiece(ctx.format, now, ctx.locale.settings,
                           EraContext{ctx.calendar.get(), ctx.locale.locale});
}

// One line, with what it took: the processor sample's load when it took one, and what could
// not be read when something could not (the line then holds the figures of a failed read).
struct Rendered {
    std::u16string text;
    std::optional<double> load;
    std::string unreadable; // "the memory figures and the processor times"
};

void noteUnreadable(Rendered& r, const char* what) {
    r.unreadable += r.unreadable.empty() ? what : std::string(" and ") + what;
}

std::u16string memoryPiece(const LineContext& ctx, Rendered& r) {
    bool read = true;
    std::u16string text = UpdateMemoryInfo(*ctx.memory, ctx.locale.settings.decimalSep, &read);
    if (!read) noteUnreadable(r, "the memory figures");
    return text;
}

std::u16string cpuPiece(Rendered& r) {
    const CpuTexts texts = UpdateCpuInfo();
    r.load = texts.load;
    if (!texts.read) noteUnreadable(r, "the processor times");
    return texts.cpuInfo;
}

Rendered renderLine(const LineContext& ctx, const LineOptions& opt) {
    Rendered r;
    switch (opt.only) {
    case Piece::Date:
        r.text = datePiece(ctx, opt);
        return r;
    case Piece::Memory:
        r.text = memoryPiece(ctx, r);
        return r;
    case Piece::Cpu:
        r.text = cpuPiece(r);
        return r;
    case Piece::All:
        break;
    }
    const std::u16string date = datePiece(ctx, opt);
    const std::u16string mem = memoryPiece(ctx, r);
    const std::u16string cpu = cpuPiece(r);
    r.text = composeLine(ctx.sep, date, mem, cpu);
    return r;
}

// Writes one line and flushes it: 0, or the errno of the failed write.
int emit(const std::u16string& line) {
    const std::string out = toUtf8(line) + "\n";
    errno = 0;
    if (std::fwrite(out.data(), 1, out.size(), stdout) == out.size() && std::fflush(stdout) == 0)
        return 0;
    return errno != 0 ? errno : EIO;
}

// The exit code after a failed write: a reader that went away (a closed pipe) is a quiet end;
// any other failure (a full disk, a closed standard output) is told in one line.
int writeFailure(int error) {
    if (readerWentAway(error)) return 0;
    std::cerr << "zrm58-line: cannot write the output: " << std::strerror(error) << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    prepareUtf8Output();
    useLanguage(userLanguage()); // the tooltip's headings
    const ParseResult parsed = parseLineOptions(commandLineArguments(argc, argv));
    if (!parsed.error.empty()) {
        std::cerr << parsed.error << "\n";
        return 2;
    }
    const LineOptions& opt = parsed.options;
    if (opt.help) {
        std::cout << usageText();
        return 0;
    }
    if (opt.version) {
        std::cout << "zrm58-line " << ZRM58_VERSION << "\n";
        return 0;
    }
    // A reader that goes away ends the output quietly, not with a signal.
#ifdef SIGPIPE // POSIX only; on Windows a failed write is the only sign
    std::signal(SIGPIPE, SIG_IGN);
#endif

    std::unique_ptr<LocaleSource> localeSource = createSystemLocaleSource();
    LineContext ctx;
    ctx.locale = initLocaleAtStartup(*localeSource);
    // Only the settings the line uses: a colour the strip would refuse does not stop the line.
    static constexpr SettingKey kLineKeys[] = {SettingKey::Format, SettingKey::Sep,
                                               SettingKey::Interval};
    const std::string path = opt.settingsFile ? *opt.settingsFile : settingsFilePath();
    const SettingsRead read =
        readSettingsKeys(systemFileStore(), path, ctx.locale.settings.decimalSep, kLineKeys);
    if (read.error) {
        std::cerr << "zrm58-line: cannot read " << path << ": " << read.error.message() << "\n";
        return 1;
    }
    const StripSettings& stored = read.settings;
    ctx.format = stored.format;
    ctx.sep = stored.sep;
    for (auto [given, target, name] : {std::tuple{&opt.format, &ctx.format, "--format"},
                                       std::tuple{&opt.separator, &ctx.sep, "--sep"}}) {
        if (!*given) continue;
        const std::optional<std::u16string> text = fromUtf8(**given);
        if (!text) {
            std::cerr << "zrm58-line: " << name << " is not valid UTF-8\n";
            return 2;
        }
        *target = *text;
    }
    // A stored interval of 0 or below means no tick to the strip; a line still needs one.
    bool refused = false;
    ctx.intervalMs = lineIntervalMs(opt.intervalMs, stored.interval, refused);
    if (refused)
        std::cerr << "zrm58-line: " << path << ": Interval=" << stored.interval
                  << " is above the longest interval (" << kMaxLineIntervalMs
                  << " ms); the line samples over " << ctx.intervalMs << " ms\n";

    const bool needsCpu = opt.json || opt.only == Piece::All || opt.only == Piece::Cpu;
    std::unique_ptr<ProcessSource> processes; // the per-process shares of --json's details
    if (needsCpu) uTotalCpuUsagePct::ModuleStart(createSystemTimesSource());
    if (opt.json) processes = createSystemProcessSource();
    std::unique_ptr<JsonLine> json; // --json: the line wrapped with the details
    if (opt.json) json = std::make_unique<JsonLine>(*processes, ctx.locale.settings.decimalSep);
    // The next line to write; std::nullopt after saying on standard error what could not be
    // read (a line of made-up zeros would read as an idle, empty machine).
    const auto output = [&]() -> std::optional<std::u16string> {
        Rendered r = renderLine(ctx, opt);
        if (json && !r.load) (void)cpuPiece(r); // every record has the interval's load
        if (!r.unreadable.empty()) {
            std::cerr << "zrm58-line: cannot read " << r.unreadable << "\n";
            return std::nullopt;
        }
        return json ? json->record(r.text, r.load.value_or(0.0)) : r.text;
    };
    const auto interval = std::chrono::milliseconds(ctx.intervalMs);
    int code = 0;
    if (opt.follow) {
        auto due = FollowClock::now();
        for (;;) {
            due = nextLineDue(due, interval, FollowClock::now());
            std::this_thread::sleep_until(due);
            if (!lineStillDue(due, interval, FollowClock::now())) continue; // held up: skipped
            const std::optional<std::u16string> line = output();
            if (!line) {
                code = 1;
                break;
            }
            if (const int error = emit(*line)) {
                code = writeFailure(error);
                break;
            }
        }
    } else {
        if (needsCpu) std::this_thread::sleep_for(interval);
        if (const std::optional<std::u16string> line = output(); !line)
            code = 1;
        else if (const int error = emit(*line))
            code = writeFailure(error);
    }
    json.reset(); // its per-process sampling ends before the module
    if (needsCpu) uTotalCpuUsagePct::ModuleEnd();
    return code;
}
