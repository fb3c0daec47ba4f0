// The strip's start-up, tick and closing.
#include "strip/Strip.h"
#include "settings/Utf.h"
#include "status/StatusTexts.h"
#include "strip/LineFit.h"
#include "strip/SettingLimits.h"
#include "strip/StatusLine.h"
#include "texts/Texts.h"
#include <algorithm>
#include <cstdio>
#include <exception>
#include <utility>

namespace zrm58 {
namespace {

// The menu button's three-bar glyph and the load glyph shown before the first tick.
constexpr char16_t kMenuGlyph = 0xE700;
constexpr char16_t kLoadUnknownGlyph = 0xE1E9;

std::u16string errorText(const std::exception& e) {
    return fromUtf8OrWindows1252(e.what());
}

} // namespace

std::u16string withFullStop(std::u16string text) {
    if (!text.empty() && text.back() > u'.') text += u'.';
    return text;
}

Strip::Strip(StripFace& face, const StripServices& services) : face_(face), services_(services) {
    Label1.family = u"Segoe UI";
    Label1.size = 12;
    Label2.text = std::u16string(1, kLoadUnknownGlyph);
    Label2.family = u"Segoe MDL2 Assets";
    Label2.size = 12;
    SpeedButton1.text = std::u16string(1, kMenuGlyph);
    SpeedButton1.family = u"Segoe MDL2 Assets";
    SpeedButton1.size = 16;
}

Strip::~Strip() {
    // A destroyed handler must never be offered a message: leave the list before going.
    TMessageDispatcherWin::UnregisterHandler(this);
}

const MessageHandler::Table& Strip::messageTable() const {
    static const Entry entries[] = {
        {kMsgQueryEndSession,
         [](MessageHandler& h, MessageRecord& m) { static_cast<Strip&>(h).WMQueryEndSession(m); }},
    };
    static const Table table{&MessageHandler::BaseTable(), entries};
    return table;
}

void Strip::FormCreate() {
    placed_ = face_.geometry(); // the design frame
    const std::size_t slash = services_.settingsPath.find_last_of("/\\");
    fitPending_ = !files().exists(services_.settingsPath);
    HomePath =
        slash == std::string::npos ? std::string() : services_.settingsPath.substr(0, slash + 1);
    ReadIniFile();
    // A first start in another language than Japanese gets a pattern without Japanese literals;
    // a settings file's pattern, or its absence from an existing file, is never changed.
    if (fitPending_ && currentLanguage() != Language::Japanese)
        DateFormatStr = kDefaultDateFormatWithoutJapanese;
    applyStartWidth();
    applyBold();
    applyTextColours();
    Label2.size = 20;
    ShadowEffect1.enabled = isShadow;
    UpdateBackground();
    applyWindowStyle();
    applyTaskBar();
    applyFontFamily();
    TMessageDispatcherWin::RegisterHandler(this);
    FormResize();
}

void Strip::showFirst() {
    if (!movedSinceCreation_) {
        // Nothing moved the strip from its design position: centre it on the primary screen.
        if (const std::optional<Rect> desk = face_.primaryScreen()) {
            Rect frame = placed_;
            frame.left = desk->left + (desk->width - frame.width) / 2;
            frame.top = desk->top + (desk->height - frame.height) / 2;
            place(frame);
        }
    }
    keepReachable();
    face_.createWindow();
    applyWindowStyle();
    applyTaskBar();
    face_.showWindow();
}

// --- The tick ---

void Strip::Timer1Timer() {
    UpdateDateInfo();
    UpdateMemoryInfo();
    UpdateCpuInfo();
    std::u16string line = composeLine(SepStr, dateInfo, memoryInfo, cpuInfo);
    // Only what changed is repainted.
    if (line != Label1.text) {
        Label1.text = std::move(line);
        face_.repaintLine();
        if (fitPending_) fitFirstLine();
    }
    if (CpuBusyInfo != Label2.text) {
        Label2.text = CpuBusyInfo;
        face_.repaintGlyph();
    }
    face_.ticked();
}

void Strip::fitFirstLine() {
    fitPending_ = false;
    // Never wider than the screen the strip is on.
    double most = limits::kMaxWidthFactor;
    const std::optional<Rect> area = face_.workArea();
    if (area) most = std::min(most, (area->width - 10) / linefit::kDesignWidth);
    // The first line with the processor piece at its widest (100 %), so that neither a later
    // load nor the load at this tick (a busy machine at start) changes the width taken.
    const double needed =
        face_.lineWidth(composeLine(SepStr, dateInfo, memoryInfo, formatCpuInfo(100)));
    const std::optional<double> factor = linefit::factorFitting(needed, MuWidth, most);
    if (!factor) return;
    MuWidth = *factor;
    applyDialogWidth();
    if (area) { // keep the widened strip's right end on the screen
        Rect frame = placed_;
        const int areaRight = area->left + area->width - 1;
        if (frame.left + frame.width - 1 > areaRight) {
            frame.left = std::max(area->left, areaRight - frame.width + 1);
            place(frame);
        }
    }
}

void Strip::UpdateDateInfo() {
    const EraContext era{services_.altCalendar, services_.startupLocale};
    dateInfo =
        renderDatePiece(DateFormatStr, services_.clock->now(), services_.localeSettings, era);
}

void Strip::UpdateMemoryInfo() {
    bool read = true;
    memoryInfo =
        zrm58::UpdateMemoryInfo(*services_.memory, services_.localeSettings.decimalSep, &read);
    if (!read && !std::exchange(memoryFailureSaid_, true))
        std::fprintf(stderr, "zrm58: cannot read the memory figures; the line shows none\n");
}

void Strip::UpdateCpuInfo() {
    CpuTexts texts = zrm58::UpdateCpuInfo();
    cpuInfo = std::move(texts.cpuInfo);
    CpuBusyInfo = std::move(texts.busyGlyph);
    if (!texts.read && !std::exchange(cpuFailureSaid_, true))
        std::fprintf(stderr, "zrm58: cannot read the processor times; the line shows no load\n");
}

void Strip::setTimerInterval(int ms) {
    if (ms == timerInterval_) return; // the same interval leaves the running period alone
    timerInterval_ = ms;
    face_.setTimerInterval(ms);
}

// --- Closing ---

bool Strip::FormCloseQuery() {
    // The close never refuses, but a save that fails abandons it unless the user chooses to end
    // without saving (the file then stays as it was).
    try {
        WriteIniFile();
        return true;
    } catch (const std::exception& e) {
        return face_.showFailedSaveAtClose(withFullStop(errorText(e))) ==
               FailedSaveChoice::EndWithoutSaving;
    }
}

void Strip::WMQueryEndSession(MessageRecord& message) {
    savedAtSessionEnd_ = false;
    try {
        WriteIniFile();
        savedAtSessionEnd_ = true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zrm58: saving the settings at the session end failed: %s\n",
                     e.what());
    }
    message.result = 1;
}

void Strip::SetCmdExecute() {
    // While the window is open the strip's menu cannot open; a second command is ignored.
    if (settingsOpen_) return;
    settingsOpen_ = true;
    settingsWindow_.fillFromStrip();
    // The strip keeps ticking meanwhile. Every way of closing the window applies the values:
    // the Close button copies back before its save, every other way leaves it to here.
    try {
        face_.runSettingsWindow(settingsWindow_);
    } catch (...) {
        settingsOpen_ = false;
        throw;
    }
    settingsOpen_ = false;
    if (!settingsWindow_.copiedBackByClose()) settingsWindow_.copyBackToStrip();
}

void Strip::CloseCmdExecute() {
    face_.requestClose();
}

} // namespace zrm58
