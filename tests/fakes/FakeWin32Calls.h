#pragma once
// Stand-ins for the Win32 calls behind the Windows backend, answering as Windows documents the
// calls, where Wine answers otherwise. Windows builds only.
#include "platform/win32/Win32AltCalendar.h"
#include "platform/win32/Win32ProcessSource.h"

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zrm58::fakes {

inline FILETIME fileTime(std::uint64_t units) {
    return FILETIME{static_cast<DWORD>(units & 0xFFFFFFFFu), static_cast<DWORD>(units >> 32)};
}

// The process calls over a table of processes. Handles are fake values that the fake counts;
// every failure has its switch.
class FakeWin32ProcessCalls {
public:
    struct Process {
        std::uint64_t kernel = 0, user = 0; // 100-ns units
        bool ended = false;                 // its handles are signalled
        bool grantsSynchronize = true;      // false: only PROCESS_QUERY_LIMITED_INFORMATION
        std::uint64_t created = 1;          // creation time, 100-ns units since 1601
    };
    std::map<DWORD, Process> processes;
    std::uint64_t systemIdle = 0, systemKernel = 0, systemUser = 0;

    bool snapshotFails = false;
    bool firstFails = false;
    std::set<DWORD> openRefused; // OpenProcess fails for these ids (gone, or access denied)
    bool processTimesFail = false;
    bool systemTimesFail = false;

    int opens = 0, closes = 0, snapshots = 0;
    std::vector<DWORD> openAccess; // the access asked by each OpenProcess

    // Ends a process and lets a new one take its id (Windows reuses ids).
    void reuseId(DWORD pid, Process next) {
        for (auto& [handle, open] : open_)
            if (open.pid == pid && !open.snapshot) open.ended = true;
        processes[pid] = next;
    }
    int openHandles() const { return static_cast<int>(open_.size()); }

    win32::ProcessCalls calls() {
        win32::ProcessCalls c;
        c.createToolhelp32Snapshot = [this](DWORD flags, DWORD) -> HANDLE {
            if (snapshotFails || flags != TH32CS_SNAPPROCESS) return INVALID_HANDLE_VALUE;
            ++snapshots;
            ids_.clear();
            for (const auto& [pid, p] : processes)
                ids_.push_back(pid);
            next_ = 0;
            return newHandle({0, true, false});
        };
        c.process32First = [this](HANDLE, PROCESSENTRY32W* e) -> BOOL {
            if (firstFails || e->dwSize != sizeof(PROCESSENTRY32W)) return FALSE;
            next_ = 0;
            return step(e);
        };
        c.process32Next = [this](HANDLE, PROCESSENTRY32W* e) -> BOOL { return step(e); };
        c.openProcess = [this](DWORD access, BOOL, DWORD pid) -> HANDLE {
            openAccess.push_back(access);
            const auto it = processes.find(pid);
            if (it == processes.end() || openRefused.contains(pid) || pid == 0) return nullptr;
            if ((access & SYNCHRONIZE) && !it->second.grantsSynchronize) return nullptr;
            ++opens;
            return newHandle({pid, false, false});
        };
        c.waitForSingleObject = [this](HANDLE h, DWORD) -> DWORD {
            return open_.at(h).ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
        };
        c.getProcessTimes = [this](HANDLE h, FILETIME* created, FILETIME* exited, FILETIME* k,
                                   FILETIME* u) -> BOOL {
            const Open& open = open_.at(h);
            if (processTimesFail) return FALSE;
            // Documented: the times of the process the handle names, whichever process asks.
            const Process& p = processes.at(open.pid);
            *created = fileTime(p.created), *exited = fileTime(0);
            *k = fileTime(p.kernel), *u = fileTime(p.user);
            return TRUE;
        };
        c.getSystemTimes = [this](FILETIME* idle, FILETIME* k, FILETIME* u) -> BOOL {
            if (systemTimesFail) return FALSE;
            *idle = fileTime(systemIdle), *k = fileTime(systemKernel), *u = fileTime(systemUser);
            return TRUE;
        };
        c.closeHandle = [this](HANDLE h) -> BOOL {
            if (open_.erase(h) == 0) return FALSE;
            ++closes;
            return TRUE;
        };
        return c;
    }

private:
    struct Open {
        DWORD pid;
        bool snapshot;
        bool ended;
    };
    HANDLE newHandle(Open open) {
        const HANDLE h =
            reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x1000 + 4 * ++made_));
        open_.emplace(h, open);
        return h;
    }
    BOOL step(PROCESSENTRY32W* e) {
        if (next_ >= ids_.size()) {
            SetLastError(ERROR_NO_MORE_FILES);
            return FALSE;
        }
        e->th32ProcessID = ids_[next_++];
        return TRUE;
    }
    std::map<HANDLE, Open> open_;
    std::vector<DWORD> ids_;
    std::size_t next_ = 0;
    int made_ = 0;
};

// GetDateFormatW with DATE_USE_ALT_CALENDAR as Windows answers it for ja-JP, whose alternate
// calendar is the Japanese Emperor Era calendar: "gg" the era name, "yy" the year in the era
// with two digits at least (the first year of an era is 1). Only the two latest eras, and
// no other picture.
class FakeWin32DateFormat {
public:
    LCID threadLocale = 0x0411;
    bool fails = false;
    int shrinkBuffersBy = 0; // the second call meets a buffer this much too short, once

    struct Call {
        LCID locale;
        DWORD flags;
        SYSTEMTIME date;
        std::wstring picture;
        int size;
        bool withBuffer;
    };
    std::vector<Call> calls;

    win32::DateFormatCalls dateFormatCalls() {
        return {[this] { return threadLocale; },
                [this](LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR picture,
                       LPWSTR buffer,
                       int size) { return format(locale, flags, date, picture, buffer, size); }};
    }

private:
    int format(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCWSTR picture, LPWSTR buffer,
               int size) {
        calls.push_back({locale, flags, *date, picture, size, buffer != nullptr});
        if (fails || locale != 0x0411 || !(flags & DATE_USE_ALT_CALENDAR)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        if (std::wstring_view(picture) != L"gg" && std::wstring_view(picture) != L"yy") {
            SetLastError(ERROR_INVALID_PARAMETER); // not a picture this fake knows
            return 0;
        }
        const std::wstring text = answer(*date, picture);
        const int needed = static_cast<int>(text.size()) + 1;
        if (buffer == nullptr) return needed;
        const int room = size - std::exchange(shrinkBuffersBy, 0);
        if (room < needed) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::copy(text.c_str(), text.c_str() + needed, buffer);
        return needed;
    }
    static std::wstring answer(const SYSTEMTIME& d, const std::wstring& picture) {
        const int ymd = d.wYear * 10000 + d.wMonth * 100 + d.wDay;
        const bool reiwa = ymd >= 20190501;
        const int year = d.wYear - (reiwa ? 2018 : 1988);
        if (picture == L"gg") return reiwa ? L"令和" : L"平成";
        std::wstring digits = std::to_wstring(year);
        if (digits.size() < 2) digits.insert(0, 1, L'0');
        return digits;
    }
};

} // namespace zrm58::fakes
