// send_to_strip.exe MESSAGE: sends one message to the running strip (the window of class
// ZRM58Strip titled ZRM58) the way Windows or a user would, for the end-to-end test:
//   queryendsession  WM_QUERYENDSESSION (a log-off asking whether the session may end)
//   close            WM_CLOSE
//   memory           the strip process's private bytes and working set, in bytes (private bytes
//                    as the commit charge: Wine leaves PrivateUsage at 0)
//   cputime          the strip process's processor time so far, user and kernel, in 100 ns
//   topmost          another program's SetWindowPos(strip, HWND_TOPMOST, ...)
// Prints the window procedure's answer; exit status 1 when no strip was found. What the window
// system knows of the strip:
//   exstyle          its extended window style, as 8 hexadecimal digits
//   visible          1 when it is shown, else 0
//   boxes            how many message boxes (class #32770) are shown
// And, for the settings window (class ZRM58Settings), what a screen reader would ask of a
// control:
//   settings-text ID  the control's text in UTF-8
//   settings-rect ID  its frame on the screen: left top right bottom
//   settings-clipped PX  the texts of its labels and check boxes that do not fit their
//                     controls in the window's font family at PX pixels (the design's 12 at
//                     96 DPI, scaled), one per line
//   colour-hex TEXT   types TEXT into the open colour dialog's hexadecimal field and presses OK
#include "faces/win32/FontChoice.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

namespace {

std::string utf8(const wchar_t* text) {
    char out[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

std::wstring wide(const char* text) {
    wchar_t out[1024] = L"";
    MultiByteToWideChar(CP_UTF8, 0, text, -1, out, 1024);
    return out;
}

// A check box's square and the gap after it: 20 pixels at 96 DPI.
int checkSquare(int px) {
    return MulDiv(20, px, 12);
}

int settingsClipped(int px) {
    HWND settings = FindWindowW(L"ZRM58Settings", nullptr);
    if (!settings) return 1;
    // The font is the other process's: made again here from its family and the size asked.
    const std::wstring family = zrm58::win32face::coveringFamily(
        u"Yu Gothic UI", u"タスクバーに表示前面表示透明度インターバル表示幅");
    HFONT font = CreateFontW(-px, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                             CLEARTYPE_QUALITY, 0, family.c_str());
    for (HWND c = GetWindow(settings, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[32] = L"", text[1024] = L"";
        GetClassNameW(c, cls, 32);
        GetWindowTextW(c, text, 1024);
        const LONG type = GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK;
        const bool label = _wcsicmp(cls, L"Static") == 0;
        const bool check = _wcsicmp(cls, L"Button") == 0 && type == BS_AUTOCHECKBOX;
        if ((!label && !check) || !*text) continue;
        RECT box{};
        GetClientRect(c, &box);
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, font);
        const LONG room = box.right - (check ? checkSquare(px) : 0);
        RECT need{0, 0, room, 0};
        // A label may wrap at its spaces; a check box's text is one line.
        DrawTextW(dc, text, -1, &need,
                  DT_CALCRECT | DT_NOPREFIX | (label ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        if (need.right > room || need.bottom > box.bottom) std::printf("%s\n", utf8(text).c_str());
    }
    DeleteObject(font);
    return 0;
}

BOOL CALLBACK findDialog(HWND h, LPARAM lp) {
    wchar_t cls[16] = L"";
    GetClassNameW(h, cls, 16);
    if (std::wcscmp(cls, L"#32770") == 0 && IsWindowVisible(h)) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

// The colour dialog's row below it: the hexadecimal field.
constexpr int kHexField = 0x7A4;

int colourHex(const char* text) {
    // The dialog opens after the click that asked for it: waited for (60 s at the most, a bound
    // that only turns a hang into a failure on a loaded machine).
    HWND dialog = nullptr, hex = nullptr;
    for (int tries = 0; tries < 600 && !hex; ++tries) {
        if (tries > 0) Sleep(100);
        HWND settings = FindWindowW(L"ZRM58Settings", nullptr);
        dialog = nullptr;
        if (settings)
            EnumThreadWindows(GetWindowThreadProcessId(settings, nullptr), findDialog,
                              reinterpret_cast<LPARAM>(&dialog));
        hex = dialog ? GetDlgItem(dialog, kHexField) : nullptr;
    }
    if (!hex) {
        std::fprintf(stderr, "send_to_strip: no colour dialog with a hexadecimal field\n");
        return 1;
    }
    SendMessageW(hex, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide(text).c_str()));
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return 0;
}

} // namespace

int settingsControl(const char* what, int id) {
    HWND settings = FindWindowW(L"ZRM58Settings", nullptr);
    HWND control = settings ? GetDlgItem(settings, id) : nullptr;
    if (!control) {
        std::fprintf(stderr, "send_to_strip: no settings control %d\n", id);
        return 1;
    }
    if (std::strcmp(what, "settings-rect") == 0) {
        RECT r{};
        GetWindowRect(control, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    // WM_GETTEXT itself: GetWindowTextW gives another process only a window's caption.
    wchar_t text[1024] = L"";
    SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    std::printf("%s\n", utf8(text).c_str());
    return 0;
}

int processFigures(HWND strip, const char* what) {
    DWORD pid = 0;
    GetWindowThreadProcessId(strip, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return 1;
    if (std::strcmp(what, "memory") == 0) {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(process, &counters, sizeof counters);
        std::printf("%llu %llu\n", static_cast<unsigned long long>(counters.PagefileUsage),
                    static_cast<unsigned long long>(counters.WorkingSetSize));
    } else {
        FILETIME created, ended, kernel, user;
        GetProcessTimes(process, &created, &ended, &kernel, &user);
        const auto value = [](FILETIME t) {
            return static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
        };
        std::printf("%llu\n", value(kernel) + value(user));
    }
    CloseHandle(process);
    return 0;
}

BOOL CALLBACK countBox(HWND hwnd, LPARAM lp) {
    wchar_t name[16] = L"";
    GetClassNameW(hwnd, name, 16);
    if (std::wcscmp(name, L"#32770") == 0 && IsWindowVisible(hwnd)) ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

int main(int argc, char** argv) {
    SetProcessDPIAware(); // the other windows' frames in pixels, as they are
    if (argc == 3 && std::strcmp(argv[1], "settings-clipped") == 0)
        return settingsClipped(std::atoi(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "colour-hex") == 0) return colourHex(argv[2]);
    if (argc == 3) return settingsControl(argv[1], std::atoi(argv[2]));
    if (argc != 2) return 2;
    if (std::strcmp(argv[1], "boxes") == 0) {
        int boxes = 0;
        EnumWindows(countBox, reinterpret_cast<LPARAM>(&boxes));
        std::printf("%d\n", boxes);
        return 0;
    }
    HWND strip = FindWindowW(L"ZRM58Strip", L"ZRM58");
    if (!strip) {
        std::fprintf(stderr, "send_to_strip: no strip window\n");
        return 1;
    }
    if (std::strcmp(argv[1], "memory") == 0 || std::strcmp(argv[1], "cputime") == 0)
        return processFigures(strip, argv[1]);
    LRESULT answer = 0;
    if (std::strcmp(argv[1], "queryendsession") == 0) {
        answer = SendMessageW(strip, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    } else if (std::strcmp(argv[1], "close") == 0) {
        answer = SendMessageW(strip, WM_CLOSE, 0, 0);
    } else if (std::strcmp(argv[1], "topmost") == 0) {
        answer =
            SetWindowPos(strip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else if (std::strcmp(argv[1], "exstyle") == 0) {
        std::printf("%08lx\n", static_cast<unsigned long>(GetWindowLongPtrW(strip, GWL_EXSTYLE)));
        return 0;
    } else if (std::strcmp(argv[1], "visible") == 0) {
        std::printf("%d\n", IsWindowVisible(strip) ? 1 : 0);
        return 0;
    } else {
        return 2;
    }
    std::printf("%lld\n", static_cast<long long>(answer));
    return 0;
}
