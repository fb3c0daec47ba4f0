#include "faces/win32/SingleInstance.h"
#include "faces/win32/StripWindow.h"
#include "platform/win32/Win32Text.h"
#include "settings/Utf.h"
#include "texts/Texts.h"
#include <algorithm>
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
    owner_ = mutex_ && GetLastError() != ERROR_ALREADY_EXISTS;
    shown_ = CreateEventW(nullptr, TRUE, FALSE, (name + L"-shown").c_str());
    // Left set by a strip that ended while a waiting start still held the event open.
    if (owner_ && shown_) ResetEvent(shown_);
}

SingleInstance::~SingleInstance() {
    if (owner_) {
        if (shown_) ResetEvent(shown_);
        ReleaseMutex(mutex_);
    }
    if (shown_) CloseHandle(shown_);
    if (mutex_) CloseHandle(mutex_);
}

bool SingleInstance::takeOwnership(DWORD status) {
    // A first start that ended, also one that died, hands the mutex to one waiting start.
    if (status != WAIT_OBJECT_0 && status != WAIT_ABANDONED_0) return false;
    owner_ = true;
    if (shown_) ResetEvent(shown_);
    return true;
}

HWND SingleInstance::findStrip() const {
    Search search{pathHash(key_)};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

SingleInstance::Role SingleInstance::claim() {
    if (!mutex_ || owner_) return Role::First;
    // The first start may still be starting (slowly, on a busy machine, or held by its start-up
    // error box), or ending. Waits for its strip to show or for its end, whichever comes first.
    const ULONGLONG deadline = GetTickCount64() + kWaitMs;
    for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
        const DWORD left = static_cast<DWORD>(deadline - now);
        const HANDLE objects[] = {mutex_, shown_};
        // Without the event, the window is looked for every 100 ms.
        const DWORD status = shown_ ? WaitForMultipleObjects(2, objects, FALSE, left)
                                    : WaitForSingleObject(mutex_, std::min<DWORD>(left, 100));
        if (takeOwnership(status)) return Role::First;
        if (status == WAIT_FAILED) break;
        if (HWND strip = findStrip()) {
            DWORD pid = 0;
            GetWindowThreadProcessId(strip, &pid);
            AllowSetForegroundWindow(pid);
            PostMessageW(strip, kMsgComeForward, 0, 0);
            return Role::HandedOver;
        }
        // Shown, and its window gone again: the strip is ending and frees the mutex next.
        if (status == WAIT_OBJECT_0 + 1 &&
            takeOwnership(WaitForSingleObject(mutex_, std::min<DWORD>(left, 100))))
            return Role::First;
    }
    const std::u16string key(key_.begin(), key_.end());
    const std::u16string seconds = fromUtf8OrWindows1252(std::to_string(kWaitMs / 1000));
    const std::u16string text =
        fillText(localText(TextId::NoWindowFromEarlierStart), {key, seconds});
    problem_.assign(text.begin(), text.end());
    return Role::NoAnswer;
}

void SingleInstance::ready(HWND strip) {
    SetPropW(strip, kMarkProperty,
             reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(pathHash(key_))));
    if (shown_) SetEvent(shown_);
}

} // namespace zrm58::win32face
