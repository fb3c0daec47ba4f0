#include "faces/win32/SingleInstance.h"
#include "faces/win32/StripWindow.h"
#include "platform/win32/Win32Text.h"
#include <cwctype>

namespace zrm58::win32face {
namespace {

constexpr wchar_t kMarkProperty[] = L"ZRM58.SettingsKey";

// FNV-1a over the path with letters folded: Windows paths compare without case.
std::uint64_t pathHash(const std::wstring& path) {
    std::uint64_t h = 1469598103934665603ull;
    for (wchar_t c : path) {
        h ^= static_cast<std::uint64_t>(std::towlower(c));
        h *= 1099511628211ull;
    }
    return h;
}

struct Search {
    std::uint64_t hash;
    HWND found = nullptr;
};

BOOL CALLBACK visit(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (std::wstring(name) != kStripClass) return TRUE;
    const auto mark = reinterpret_cast<std::uintptr_t>(GetPropW(hwnd, kMarkProperty));
    if (mark != static_cast<std::uintptr_t>(search->hash)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

} // namespace

SingleInstance::SingleInstance(const std::string& settingsPath) : key_(win32::widen(settingsPath)) {
    const std::wstring name = L"Local\\ZRM58-" + std::to_wstring(pathHash(key_));
    mutex_ = CreateMutexW(nullptr, TRUE, name.c_str());
    first_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() {
    if (mutex_) CloseHandle(mutex_);
}

void SingleInstance::mark(HWND strip) const {
    SetPropW(strip, kMarkProperty,
             reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(pathHash(key_))));
}

bool SingleInstance::handOver() const {
    Search search{pathHash(key_)};
    // The first start may still be creating its window: look a few times.
    for (int attempt = 0; attempt < 50 && !search.found; ++attempt) {
        EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(100);
    }
    if (!search.found) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(search.found, &pid);
    AllowSetForegroundWindow(pid);
    PostMessageW(search.found, kMsgComeForward, 0, 0);
    return true;
}

} // namespace zrm58::win32face
