// send_to_strip.exe MESSAGE: sends one message to the running strip (the window of class
// ZRM58Strip titled ZRM58) the way Windows or a user would, for the end-to-end test:
//   queryendsession  WM_QUERYENDSESSION (a log-off asking whether the session may end)
//   close            WM_CLOSE
// Prints the window procedure's answer; exit status 1 when no strip was found.
#include <cstdio>
#include <cstring>
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    HWND strip = FindWindowW(L"ZRM58Strip", L"ZRM58");
    if (!strip) {
        std::fprintf(stderr, "send_to_strip: no strip window\n");
        return 1;
    }
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
