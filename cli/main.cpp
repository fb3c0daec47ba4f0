// zrm58-line: the strip's line on standard output, for terminal bars and scripts.
#include "cli/CommandLine.h"
#include "cli/FollowSchedule.h"
#include "cli/JsonLine.h"
#include "cli/LineOptions.h"
#include "platform/Platform.h"
#include "settings/SettingsFile.h"
#include "settings/Utf.h"
#include "status/DateTimeFormat.h"
#include "status/LocaleFormat.h"
#include "status/StatusTexts.h"
#include "status/uTotalCpuUsagePct.h"
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
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
    return RenderDateTime(ctx.format, makeDateTimeFields(now), ctx.locale.settings,
                          EraContext{ctx.calendar.get(), ctx.locale.locale});
}

std::u16string renderLine(const LineContext& ctx, const LineOptions& opt) {
    switch (opt.only) {
    case Piece::Date:
        return datePiece(ctx, opt);
    case Piece::Memory:
        return UpdateMemoryInfo(*ctx.memory, ctx.locale.settings.decimalSep);
    case Piece::Cpu:
        return UpdateCpuInfo().cpuInfo;
    case Piece::All:
        break;
    }
    const std::u16string date = datePiece(ctx, opt);
    const std::u16string mem = UpdateMemoryInfo(*ctx.memory, ctx.locale.settings.decimalSep);
    const std::u16string cpu = UpdateCpuInfo().cpuInfo;
    return ctx.sep + date + ctx.sep + mem + ctx.sep + cpu;
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
    ctx.intervalMs = opt.intervalMs ? *opt.intervalMs : stored.interval;
    if (ctx.intervalMs <= 0)
        ctx.intervalMs = 1000; // the strip would not tick; a line still needs one

    const bool needsCpu = opt.json || opt.only == Piece::All || opt.only == Piece::Cpu;
    std::unique_ptr<ProcessSource> processes;
    if (needsCpu) {
        processes = createSystemProcessSource();
        uTotalCpuUsagePct::ModuleStart(*processes);
    }
    std::unique_ptr<JsonLine> json; // --json: the line wrapped with the details
    if (opt.json) json = std::make_unique<JsonLine>(*processes, ctx.locale.settings.decimalSep);
    const auto output = [&] {
        return json ? json->record(renderLine(ctx, opt), opt.only) : renderLine(ctx, opt);
    };
    const auto interval = std::chrono::milliseconds(ctx.intervalMs);
    int code = 0;
    if (opt.follow) {
        auto due = FollowClock::now();
        for (;;) {
            due = nextLineDue(due, interval, FollowClock::now());
            std::this_thread::sleep_until(due);
            if (!lineStillDue(due, interval, FollowClock::now())) continue; // held up: skipped
            if (const int error = emit(output())) {
                code = writeFailure(error);
                break;
            }
        }
    } else {
        if (needsCpu) std::this_thread::sleep_for(interval);
        if (const int error = emit(output())) code = writeFailure(error);
    }
    if (needsCpu) uTotalCpuUsagePct::ModuleEnd();
    return code;
}
