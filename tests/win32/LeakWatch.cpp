// leak_watch.exe TICKS SPELL [STATUS]: drives the running strip (class ZRM58Strip, titled ZRM58)
// through TICKS ticks, its details panel shown for SPELL ticks and hidden for the next SPELL in
// turn, and checks that the strip's GDI objects, user objects and private bytes stay flat: measured
// after a first fifth of the ticks (caches filled) and again at the end, both with the panel
// hidden. Bounded by ticks counted, not by time: each tick is a WM_TIMER sent (and so finished)
// before the next. Prints both readings; exit status 0 when flat, 1 when something grew, 2 on a
// fault.
//
// GetGuiResources answers the counts on Windows; Wine has it as a stub (0 and
// ERROR_CALL_NOT_IMPLEMENTED). There the GDI count is read from the process's GDI handle table
// (the PEB's GdiSharedHandleTable, one entry per live handle) and the user count is the number
// of the process's windows, top-level, child and message-only. Wine answers no private bytes
// (PrivateUsage 0) either: there STATUS, the host's /proc/PID/status of the strip's process as
// a Windows path (Z:\proc\PID\status), gives its anonymous resident memory (RssAnon) instead.
#include <windows.h>
// After windows.h, which they need.
#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The strip window's timers: the tick (1) and the details panel's rest before showing (2).
constexpr WPARAM kTickTimer = 1, kRestTimer = 2;

// Growth allowed between the two readings: a leak of one object per tick over the ticks between
// them is thousands; caches that fill late, allocator slack and Wine's own bookkeeping are a few.
constexpr long kMaxObjectGrowth = 20;
constexpr long long kMaxPrivateGrowth = 1024 * 1024;

struct Reading {
    long gdi = 0, user = 0;
    long long privateBytes = 0;
};

// One entry of the GDI handle table as Windows and Wine lay it out (24 bytes on x64).
struct GdiEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t userPointer;
};
static_assert(sizeof(GdiEntry) == 24);
constexpr std::size_t kGdiEntries = 0x10000;

long gdiFromTable(HANDLE process) {
    PROCESS_BASIC_INFORMATION info{};
    ULONG got = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, &got) != 0)
        return -1;
    // PEB.GdiSharedHandleTable, at 0xF8 in the 64-bit PEB.
    std::uint64_t table = 0;
    SIZE_T read = 0;
    const auto* peb = static_cast<const char*>(static_cast<const void*>(info.PebBaseAddress));
    if (!ReadProcessMemory(process, peb + 0xF8, &table, sizeof table, &read) || table == 0)
        return -1;
    std::vector<GdiEntry> entries(kGdiEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size() * sizeof(GdiEntry), &read))
        return -1;
    long live = 0;
    for (const GdiEntry& e : entries)
        if (e.type != 0 && e.object != 0) ++live;
    return live;
}

struct WindowCount {
    DWORD pid;
    long count = 0;
};

BOOL CALLBACK countChild(HWND hwnd, LPARAM lp) {
    auto* c = reinterpret_cast<WindowCount*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == c->pid) ++c->count;
    return TRUE;
}

BOOL CALLBACK countTop(HWND hwnd, LPARAM lp) {
    countChild(hwnd, lp);
    EnumChildWindows(hwnd, countChild, lp);
    return TRUE;
}

long windowsOf(DWORD pid) {
    WindowCount c{pid};
    EnumWindows(countTop, reinterpret_cast<LPARAM>(&c));
    for (HWND h = nullptr; (h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr));)
        countTop(h, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

// RssAnon of a /proc/PID/status file, in bytes; 0 when it cannot be read.
long long anonymousResident(const char* statusPath) {
    std::ifstream in(statusPath);
    std::string key;
    long long kib = 0;
    while (in >> key) {
        if (key == "RssAnon:" && in >> kib) return kib * 1024;
        in.ignore(1 << 16, '\n');
    }
    return 0;
}

Reading read(HANDLE process, DWORD pid, const char* statusPath) {
    Reading r;
    SetLastError(0);
    r.gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
    if (r.gdi == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        r.gdi = gdiFromTable(process);
        r.user = windowsOf(pid);
    } else {
        r.user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
    }
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory))
        r.privateBytes = static_cast<long long>(memory.PrivateUsage);
    if (r.privateBytes == 0 && statusPath) r.privateBytes = anonymousResident(statusPath);
    return r;
}

void print(const char* when, const Reading& r) {
    std::printf("%s: gdi %ld user %ld private %lld\n", when, r.gdi, r.user, r.privateBytes);
}

// Ticks from `from` to `to` (exclusive); the panel shows in the first SPELL of every 2 x SPELL.
bool drive(HWND strip, long from, long to, long spell) {
    for (long i = from; i < to; ++i) {
        const long phase = i % (2 * spell);
        if (phase == 0) SendMessageW(strip, WM_TIMER, kRestTimer, 0); // the rest ended: shows
        if (phase == spell) SendMessageW(strip, WM_MOUSELEAVE, 0, 0); // the pointer left: hides
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(strip, WM_TIMER, kTickTimer, 0, SMTO_NORMAL, 60000, &answer))
            return false; // the strip is gone or hangs
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) return 2;
    const char* statusPath = argc == 4 ? argv[3] : nullptr;
    const long ticks = std::atol(argv[1]), spell = std::atol(argv[2]);
    if (ticks < 10 || spell < 1) return 2;
    HWND strip = FindWindowW(L"ZRM58Strip", L"ZRM58");
    DWORD pid = 0;
    if (strip) GetWindowThreadProcessId(strip, &pid);
    HANDLE process =
        pid ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid) : nullptr;
    if (!process) {
        std::fprintf(stderr, "leak_watch: no strip window or process\n");
        return 2;
    }
    // The baseline after a fifth of the ticks, at the start of a hidden spell's end.
    long warm = ticks / 5;
    warm -= warm % (2 * spell);
    if (!drive(strip, 0, warm, spell)) return 2;
    SendMessageW(strip, WM_MOUSELEAVE, 0, 0);
    const Reading before = read(process, pid, statusPath);
    print("after warm-up", before);
    long end = ticks - ticks % (2 * spell);
    if (!drive(strip, warm, end, spell)) return 2;
    SendMessageW(strip, WM_MOUSELEAVE, 0, 0);
    const Reading after = read(process, pid, statusPath);
    print("at the end", after);
    std::printf("ticks %ld, spell %ld\n", end, spell);
    CloseHandle(process);
    if (before.gdi < 0 || after.gdi < 0 || before.privateBytes <= 0) {
        std::fprintf(stderr, "leak_watch: the GDI handle table or the memory could not be read\n");
        return 2;
    }
    const bool flat = after.gdi - before.gdi <= kMaxObjectGrowth &&
                      after.user - before.user <= kMaxObjectGrowth &&
                      after.privateBytes - before.privateBytes <= kMaxPrivateGrowth;
    return flat ? 0 : 1;
}
