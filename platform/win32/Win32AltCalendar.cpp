#include "platform/win32/Win32AltCalendar.h"
#include "platform/Platform.h"

namespace zrm58::win32 {
namespace {

class Win32AltCalendar final : public AltCalendar {
public:
    explicit Win32AltCalendar(DateFormatCalls calls) : calls_(std::move(calls)) {}

    std::optional<std::u16string> formatAltDate(std::u16string_view picture, int year, int month,
                                                int day) const override {
        if (year < 1 || year > 0xFFFF || month < 1 || month > 12 || day < 1 || day > 31)
            return std::nullopt;
        SYSTEMTIME date{};
        date.wYear = static_cast<WORD>(year);
        date.wMonth = static_cast<WORD>(month);
        date.wDay = static_cast<WORD>(day);
        const std::wstring pattern(picture.begin(), picture.end());
        const LCID locale = calls_.getThreadLocale();
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int size = calls_.getDateFormat(locale, DATE_USE_ALT_CALENDAR, &date,
                                                  pattern.c_str(), nullptr, 0);
            if (size <= 0) return std::nullopt;
            std::wstring text(static_cast<std::size_t>(size), L'\0');
            const int written = calls_.getDateFormat(locale, DATE_USE_ALT_CALENDAR, &date,
                                                     pattern.c_str(), text.data(), size);
            if (written > 0) {
                text.resize(static_cast<std::size_t>(written - 1)); // the terminating null
                return std::u16string(text.begin(), text.end());
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
        }
        return std::nullopt;
    }

private:
    DateFormatCalls calls_;
};

} // namespace

DateFormatCalls systemDateFormatCalls() {
    return {GetThreadLocale, GetDateFormatW};
}

std::unique_ptr<AltCalendar> createWin32AltCalendar(DateFormatCalls calls) {
    return std::make_unique<Win32AltCalendar>(std::move(calls));
}

} // namespace zrm58::win32

namespace zrm58 {

std::unique_ptr<AltCalendar> createSystemAltCalendar() {
    return win32::createWin32AltCalendar(win32::systemDateFormatCalls());
}

} // namespace zrm58
