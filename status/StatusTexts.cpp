#include "status/StatusTexts.h"
#include "status/CpuLoad.h"

#include <cmath>
#include <cstdio>
#include <string_view>

namespace zrm58 {
namespace {

constexpr std::uint64_t bytesPerMiB = 1048576;

std::u16string fromAscii(std::string_view s) {
    return std::u16string(s.begin(), s.end());
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The 18 significant digits and the decimal exponent of |value| (finite), so that
// |value| ~ d0.d1d2...d17 x 10^exponent. printf rounds the last digit to nearest, ties to even.
struct Significand {
    char digits[18];
    int exponent = 0;
};

Significand expand18(long double magnitude) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17Le", magnitude);
    // The decimal point follows the C locale's LC_NUMERIC (which a GUI toolkit may change):
    // take the digits before the 'e' and skip anything else.
    Significand s{};
    int count = 0;
    const char* p = text;
    for (; *p && *p != 'e'; ++p)
        if (isDigit(*p) && count < 18) s.digits[count++] = *p;
    for (; count < 18; ++count)
        s.digits[count] = '0';
    if (*p == 'e') s.exponent = static_cast<int>(std::strtol(p + 1, nullptr, 10));
    return s;
}

// Adds one to a string of decimal digits.
void incrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

std::u16string formatD3(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%3d", static_cast<int>(value));
    return fromAscii(text);
}

std::u16string formatFixed1(long double value, char16_t decimalSep) {
    if (std::isnan(value)) return u"nan";
    if (std::isinf(value)) return value < 0 ? u"-inf" : u"inf";
    const Significand s = expand18(std::fabs(value));
    // Digit at place 10^(exponent - i) is s.digits[i]; places beyond the 18 digits are 0.
    auto digitAt = [&](long i) { return i >= 0 && i < 18 ? s.digits[i] : '0'; };
    std::string kept; // integer digits followed by the one decimal
    for (long i = 0; i <= s.exponent; ++i)
        kept += digitAt(i);
    if (kept.empty()) kept.push_back('0');
    kept += digitAt(s.exponent + 1L);
    if (digitAt(s.exponent + 2L) >= '5') incrementDigits(kept);
    std::u16string result = value < 0 ? u"-" : u"";
    result += fromAscii(std::string_view(kept).substr(0, kept.size() - 1));
    result += decimalSep;
    result += static_cast<char16_t>(kept.back());
    return result;
}

std::int32_t memoryPercentage(std::uint64_t usedMiB, std::uint64_t totalMiB) {
    if (totalMiB == 0 || usedMiB > totalMiB) return 0;
    const long double quotient =
        static_cast<long double>(usedMiB) / static_cast<long double>(totalMiB);
    const long double product = quotient * 100.0L;
    return static_cast<std::int32_t>(product); // truncation toward zero; 0..100 here
}

std::u16string formatMemoryInfo(std::optional<MemoryStatus> status, char16_t decimalSep) {
    const MemoryStatus m = status.value_or(MemoryStatus{});
    const std::uint64_t totalMiB = m.totalPhys / bytesPerMiB;
    // Subtract in bytes, before dividing. Guarded: an unsigned wrap would show exabytes in use.
    const std::uint64_t usedBytes = m.totalPhys >= m.availPhys ? m.totalPhys - m.availPhys : 0;
    const std::uint64_t usedMiB = usedBytes / bytesPerMiB;
    const std::int32_t percent = memoryPercentage(usedMiB, totalMiB);
    return u"RAM: " + fromAscii(std::to_string(percent)) + u"% (" +
           formatFixed1(static_cast<long double>(usedMiB) / 1024.0L, decimalSep) + u"/" +
           formatFixed1(static_cast<long double>(totalMiB) / 1024.0L, decimalSep) + u")";
}

std::int32_t roundLoad(double load) {
    if (std::isnan(load)) return 0;
    double whole = std::floor(load); // exact; so is the difference below
    const double fraction = load - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    if (whole >= 2147483648.0) return INT32_MAX;
    if (whole < -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(whole);
}

std::u16string formatCpuInfo(std::int32_t p) {
    return u"CPU:" + formatD3(p) + u"%";
}

char16_t cpuBusyGlyph(std::int32_t p) {
    if (p > 80) return loadGlyph81up;
    if (p > 60) return loadGlyph61to80;
    if (p > 40) return loadGlyph41to60;
    if (p > 20) return loadGlyph21to40;
    return loadGlyph0to20;
}

CpuTexts cpuTexts(double load) {
    const std::int32_t p = roundLoad(load);
    return {formatCpuInfo(p), std::u16string(1, cpuBusyGlyph(p))};
}

std::u16string UpdateMemoryInfo(const MemorySource& memory, char16_t decimalSep, bool* read) {
    const std::optional<MemoryStatus> status = memory.memoryStatus();
    if (read) *read = status.has_value();
    return formatMemoryInfo(status, decimalSep);
}

CpuTexts UpdateCpuInfo() {
    const double load = uTotalCpuUsagePct::SampleTotalCpuUsage();
    CpuTexts texts = cpuTexts(load);
    texts.load = load;
    texts.read = uTotalCpuUsagePct::LastSampleRead();
    return texts;
}

} // namespace zrm58
