#pragma once
#include "platform/ProcessSource.h"

#include <functional>
#include <memory>

#include <windows.h>
// toolhelp after windows.h
#include <tlhelp32.h>

namespace zrm58::win32 {

// The Win32 calls behind the process source, one member per call with the call's own signature,
// so that tests can stand in for a call where Wine does not answer as Windows does.
struct ProcessCalls {
    std::function<HANDLE(DWORD flags, DWORD pid)> createToolhelp32Snapshot;
    std::function<BOOL(HANDLE snapshot, PROCESSENTRY32W* entry)> process32First;
    std::function<BOOL(HANDLE snapshot, PROCESSENTRY32W* entry)> process32Next;
    std::function<HANDLE(DWORD access, BOOL inherit, DWORD pid)> openProcess;
    std::function<DWORD(HANDLE handle, DWORD milliseconds)> waitForSingleObject;
    std::function<BOOL(HANDLE process, FILETIME* creation, FILETIME* exit, FILETIME* kernel,
                       FILETIME* user)>
        getProcessTimes;
    std::function<BOOL(FILETIME* idle, FILETIME* kernel, FILETIME* user)> getSystemTimes;
    std::function<BOOL(HANDLE handle)> closeHandle;
};

// The calls of kernel32.
ProcessCalls systemProcessCalls();

// The process source on `calls`: a toolhelp snapshot lists the processes; each process is
// opened once with PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE and its handle kept from
// tick to tick (as the Linux backend keeps /proc descriptors). A kept handle whose process has
// ended (signalled) is closed and the id, which may by then name a new process, opened afresh;
// handles of ids missing from the latest snapshot are closed. A process that grants no
// SYNCHRONIZE is opened, read and closed on every tick. Not thread-safe: one sampler owns it.
std::unique_ptr<ProcessSource> createWin32ProcessSource(ProcessCalls calls);

// A FILETIME as one count of 100-nanosecond units.
inline std::uint64_t fileTimeUnits(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

} // namespace zrm58::win32
