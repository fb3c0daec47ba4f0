// The details source on Win32 calls: GlobalMemoryStatusEx and GetPerformanceInfo for memory,
// GetIfTable2 for the network counters, QueryFullProcessImageNameW for process names. Windows
// offers no processor temperature to an ordinary program (only WMI's ACPI thermal zone, as an
// administrator), so that figure is never available.
#include "platform/SystemDetailsSource.h"
#include "platform/win32/Win32Text.h"

// In this order: winsock2 before windows.h, ws2ipdef before iphlpapi (its GetIfTable2 part).
#include <winsock2.h>
// (kept apart so that include sorting keeps the order)
#include <windows.h>
// after windows.h
#include <ws2ipdef.h>
// after ws2ipdef.h
#include <iphlpapi.h>
#include <psapi.h>

namespace zrm58 {
namespace {

class Win32SystemDetailsSource final : public SystemDetailsSource {
public:
    std::optional<MemoryBreakdown> memoryBreakdown() override {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
        MemoryBreakdown m;
        m.total = status.ullTotalPhys;
        m.available = status.ullAvailPhys;
        PERFORMANCE_INFORMATION perf{};
        perf.cb = sizeof perf;
        if (GetPerformanceInfo(&perf, sizeof perf)) {
            const std::uint64_t page = perf.PageSize;
            m.cacheAndBuffers = std::uint64_t{perf.SystemCache} * page;
            // The paging files are the commit limit beyond physical memory; what of them is
            // free is the commit room left, at most their size.
            if (perf.CommitLimit > perf.PhysicalTotal) {
                m.swapTotal = std::uint64_t{perf.CommitLimit - perf.PhysicalTotal} * page;
                const std::uint64_t room =
                    perf.CommitLimit > perf.CommitTotal
                        ? std::uint64_t{perf.CommitLimit - perf.CommitTotal} * page
                        : 0;
                m.swapFree = std::min(room, m.swapTotal);
            }
        }
        return m;
    }

    std::optional<std::vector<InterfaceCounters>> networkCounters() override {
        MIB_IF_TABLE2* table = nullptr;
        if (GetIfTable2(&table) != NO_ERROR || table == nullptr) return std::nullopt;
        std::vector<InterfaceCounters> counters;
        for (ULONG i = 0; i < table->NumEntries; ++i) {
            const MIB_IF_ROW2& row = table->Table[i];
            // Physical and virtual adapters once each, not their filter layers; no loopback.
            if (row.Type == IF_TYPE_SOFTWARE_LOOPBACK ||
                row.InterfaceAndOperStatusFlags.FilterInterface)
                continue;
            // The LUID, not the alias, tells one adapter from another that takes its name.
            counters.push_back(
                {win32::narrow(row.Alias), row.InOctets, row.OutOctets, row.InterfaceLuid.Value});
        }
        FreeMibTable(table);
        return counters;
    }

    std::optional<double> temperatureCelsius() override { return std::nullopt; }

    std::optional<std::string> processName(std::uint32_t pid) override {
        const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        if (process == nullptr) return std::nullopt;
        std::wstring path(MAX_PATH, L'\0');
        DWORD size = static_cast<DWORD>(path.size());
        const BOOL ok = QueryFullProcessImageNameW(process, 0, path.data(), &size);
        CloseHandle(process);
        if (!ok) return std::nullopt;
        path.resize(size);
        const auto slash = path.find_last_of(L"\\/");
        return win32::narrow(slash == std::wstring::npos ? path : path.substr(slash + 1));
    }
};

} // namespace

std::unique_ptr<SystemDetailsSource> createSystemDetailsSource() {
    return std::make_unique<Win32SystemDetailsSource>();
}

} // namespace zrm58
