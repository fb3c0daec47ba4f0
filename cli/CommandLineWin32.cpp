#include "cli/CommandLine.h"
#include "platform/win32/Win32Text.h"

#include <cerrno>
#include <cstdlib>

#include <windows.h>
// CommandLineToArgvW after windows.h
#include <shellapi.h>

namespace zrm58::cli {
namespace {

UINT originalOutputCodePage = 0;

void restoreOutputCodePage() {
    if (originalOutputCodePage != 0) SetConsoleOutputCP(originalOutputCodePage);
}

} // namespace

std::vector<std::string> argumentsOfCommandLine(const wchar_t* commandLine) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    if (arguments == nullptr) return {};
    std::vector<std::string> utf8;
    for (int i = 1; i < count; ++i)
        utf8.push_back(win32::narrow(arguments[i]));
    LocalFree(arguments);
    return utf8;
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    // argv holds the arguments in the ANSI code page, each character it lacks made a '?'.
    const wchar_t* line = GetCommandLineW();
    if (line != nullptr && line[0] != L'\0') return argumentsOfCommandLine(line);
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void prepareUtf8Output() {
    // Without a console (a pipe, a file, a service) the call fails and nothing changes.
    const UINT current = GetConsoleOutputCP();
    if (current == 0 || current == CP_UTF8) return;
    if (SetConsoleOutputCP(CP_UTF8)) {
        originalOutputCodePage = current;
        std::atexit(restoreOutputCodePage);
    }
}

bool readerWentAway(int error) {
    // The C runtime gives a pipe closed at the reading end as EINVAL; the system's own error of
    // the failed write tells (ERROR_NO_DATA on Windows, ERROR_PIPE_NOT_CONNECTED under Wine).
    const DWORD last = GetLastError();
    return error == EPIPE || last == ERROR_NO_DATA || last == ERROR_BROKEN_PIPE ||
           last == ERROR_PIPE_NOT_CONNECTED;
}

} // namespace zrm58::cli
