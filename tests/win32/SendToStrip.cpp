// send_to_strip.exe MESSAGE: sends one message to the running strip (the window of class
// ZRM58Strip titled ZRM58) the way Windows or a user would, for the end-to-end test:
//   queryendsession  WM_QUERYENDSESSION (a log-off asking whether the session may end)
//   close            WM_CLOSE
//   memory           the strip process's private bytes and working set, in bytes (private bytes
//                    as the commit charge: Wine leaves PrivateUsage at 0)
//   cputime          the strip process's processor time so far, user and kernel, in 100 ns
// Prints the window procedure's answer; exit status 1 when no strip was found. And, for the
// settings window (class ZRM58Settings), what a screen reader would ask of a control:
//   settings-text ID  the control's text in UTF-8
//   settings-rect ID  its frame on the screen: left top right bottom
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

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
    wchar_t text[1024] = L"";
    GetWindowTextW(control, text, 1024);
    char utf8[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s\n", utf8);
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

int main(int argc, char** argv) {
    if (argc == 3) return settingsControl(argv[1], std::atoi(argv[2]));
    if (argc != 2) return 2;
    HWND strip = FindWindowW(L"ZRM58Strip", L"ZRM58");
    if (!strip) {
        std::fprintf(stderr, "send_to_strip: no strip window\n");
        return 1;
    }
    if (std::strcmp(argv[1], "memory") == 0 || std::strcmp(argv[1], "cputime") == 0)
        return processFigures(strip, argv[1]);
    LRESULT answer = 0;
    if (std::strcmp(argv[1], "queryendsession") == 0)
        answer = SendMessageW(strip, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    else if (std::strcmp(argv[1], "close") == 0)
        answer = SendMessageW(strip, WM_CLOSE, 0, 0);
    else
        return 2;
    std::printf("%lld\n", static_cast<long long>(answer));
    return 0;
}
