#include "platform/Platform.h"

#include <windows.h>

namespace zrm58 {
namespace {

// The locale service on Windows' national-language support. Items are read with the user's
// overrides, as the Regional settings show them; numbers come as decimal text.
class Win32LocaleSource final : public LocaleSource {
public:
    void setThreadLocaleToUserDefault() override { SetThreadLocale(GetUserDefaultLCID()); }
    std::uint32_t threadLocale() const override { return GetThreadLocale(); }
    bool isValidLocale(std::uint32_t lcid) const override {
        return IsValidLocale(lcid, LCID_INSTALLED) != FALSE;
    }

    std::optional<std::u16string> localeInfo(std::uint32_t lcid,
                                             std::uint32_t item) const override {
        // The size is asked first, so no item is ever cut; the answer counts the terminating
        // null. A user who edits the item between the two calls makes the second one fail with
        // ERROR_INSUFFICIENT_BUFFER: ask again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int size = GetLocaleInfoW(lcid, item, nullptr, 0);
            if (size <= 0) return std::nullopt;
            std::wstring text(static_cast<std::size_t>(size), L'\0');
            const int written = GetLocaleInfoW(lcid, item, text.data(), size);
            if (written > 0) {
                text.resize(static_cast<std::size_t>(written - 1));
                return std::u16string(text.begin(), text.end());
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
        }
        return std::nullopt;
    }
};

} // namespace

std::unique_ptr<LocaleSource> createSystemLocaleSource() {
    return std::make_unique<Win32LocaleSource>();
}

} // namespace zrm58
