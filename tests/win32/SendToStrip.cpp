// send_to_strip.exe MESSAGE: sends one message to the running strip (the window of class
// ZRM58Strip titled ZRM58) the way Windows or a user would, for the end-to-end test:
//   queryendsession  WM_QUERYENDSESSION (a log-off asking whether the session may end)
//   close            WM_CLOSE
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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <windows.h>

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
    char utf8[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s\n", utf8);
    return 0;
}

BOOL CALLBACK countBox(HWND hwnd, LPARAM lp) {
    wchar_t name[16] = L"";
    GetClassNameW(hwnd, name, 16);
    if (std::wcscmp(name, L"#32770") == 0 && IsWindowVisible(hwnd)) ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

int main(int argc, char** argv) {
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
