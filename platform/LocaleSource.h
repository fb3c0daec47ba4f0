#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zrm58 {

// Windows locale item numbers; the locale source answers them from the platform's own data.
namespace LocaleItem {
inline constexpr std::uint32_t SDECIMAL = 0x0E;
inline constexpr std::uint32_t SDATE = 0x1D;
inline constexpr std::uint32_t STIME = 0x1E;
inline constexpr std::uint32_t SSHORTDATE = 0x1F;
inline constexpr std::uint32_t SLONGDATE = 0x20;
inline constexpr std::uint32_t ITIME = 0x23;
inline constexpr std::uint32_t ITLZERO = 0x25;
inline constexpr std::uint32_t S1159 = 0x28;
inline constexpr std::uint32_t S2359 = 0x29;
inline constexpr std::uint32_t SDAYNAME1 = 0x2A;         // Monday; ..7 = 0x30 Sunday
inline constexpr std::uint32_t SABBREVDAYNAME1 = 0x31;   // Monday; ..7 = 0x37 Sunday
inline constexpr std::uint32_t SMONTHNAME1 = 0x38;       // January .. 0x43
inline constexpr std::uint32_t SABBREVMONTHNAME1 = 0x44; // January .. 0x4F
inline constexpr std::uint32_t ITIMEMARKPOSN = 0x1005;
inline constexpr std::uint32_t ICALENDARTYPE = 0x1009;
} // namespace LocaleItem

// The locale service: the thread's locale identifier (a Windows LCID), whether an identifier is
// installed, and the locale's items as text.
// Contract: localeInfo() returns std::nullopt when the item cannot be read for that locale, the
// item's full text otherwise (possibly empty). Number items are returned as decimal text. Buffer
// limits are the caller's business: the source never truncates.
class LocaleSource {
public:
    virtual ~LocaleSource() = default;
    // Make the user's default locale the thread's locale.
    virtual void setThreadLocaleToUserDefault() = 0;
    // The thread's locale identifier; 0 when there is none.
    virtual std::uint32_t threadLocale() const = 0;
    virtual bool isValidLocale(std::uint32_t lcid) const = 0;
    virtual std::optional<std::u16string> localeInfo(std::uint32_t lcid,
                                                     std::uint32_t item) const = 0;
};

} // namespace zrm58
