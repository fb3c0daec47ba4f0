// The memory and processor pieces of the status line and the load glyph.
#include "status/StatusTexts.h"
#include "fakes/FakeMemorySource.h"
#include "fakes/FakeSystemTimesSource.h"
#include "status/CpuLoad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zrm58 {
namespace {

constexpr std::uint64_t MiB = 1048576;

std::string utf8(const std::u16string& s) { // ASCII plus the glyphs, for messages
    std::string out;
    for (const char16_t c : s)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

struct MemoryRow {
    const char* what;
    std::optional<MemoryStatus> status;
    char16_t sep;
    std::u16string text;
};

MemoryStatus usedOf(std::uint64_t usedMiB, std::uint64_t totalMiB) {
    return {totalMiB * MiB, (totalMiB - usedMiB) * MiB};
}

const MemoryRow memoryRows[] = {
    {"worked example", usedOf(6963, 16303), u'.', u"RAM: 42% (6.8/15.9)"},
    {"comma separator", usedOf(6963, 16303), u',', u"RAM: 42% (6,8/15,9)"},
    {"exact half", usedOf(8000, 16000), u'.', u"RAM: 50% (7.8/15.6)"},
    {"exactly 53% comes out 52", usedOf(8480, 16000), u'.', u"RAM: 52% (8.3/15.6)"},
    {"exactly 29% stays 29", usedOf(4640, 16000), u'.', u"RAM: 29% (4.5/15.6)"},
    {"all available", usedOf(0, 16000), u'.', u"RAM: 0% (0.0/15.6)"},
    {"none available", usedOf(16384, 16384), u'.', u"RAM: 100% (16.0/16.0)"},
    {"1280 MiB is 1.25, away from zero", usedOf(1280, 16384), u'.', u"RAM: 7% (1.3/16.0)"},
    {"15616 MiB is 15.25", usedOf(15616, 16384), u'.', u"RAM: 95% (15.3/16.0)"},
    {"768 MiB is 0.75", usedOf(768, 16384), u'.', u"RAM: 4% (0.8/16.0)"},
    {"used rounded down from bytes", MemoryStatus{16384 * MiB, 16384 * MiB - (MiB - 1)}, u'.',
     u"RAM: 0% (0.0/16.0)"},
    {"total rounded down from bytes", MemoryStatus{16384 * MiB + MiB - 1, 0}, u'.',
     u"RAM: 100% (16.0/16.0)"},
    {"total below 1 MiB", MemoryStatus{MiB - 1, 0}, u'.', u"RAM: 0% (0.0/0.0)"},
    {"unreadable", std::nullopt, u'.', u"RAM: 0% (0.0/0.0)"},
    {"available above total: nothing used", MemoryStatus{1024 * MiB, 2048 * MiB}, u'.',
     u"RAM: 0% (0.0/1.0)"},
    {"18 EiB", MemoryStatus{UINT64_MAX, 0}, u'.', u"RAM: 100% (17179869184.0/17179869184.0)"},
};

class MemoryTextTest : public ::testing::TestWithParam<MemoryRow> {};

TEST_P(MemoryTextTest, Formats) {
    const MemoryRow& row = GetParam();
    EXPECT_EQ(utf8(formatMemoryInfo(row.status, row.sep)), utf8(row.text)) << row.what;
}

INSTANTIATE_TEST_SUITE_P(Rows, MemoryTextTest, ::testing::ValuesIn(memoryRows));

TEST(MemoryTextTest, UpdateReadsTheSourceOnce) {
    fakes::FakeMemorySource memory;
    memory.status = usedOf(6963, 16303);
    EXPECT_EQ(UpdateMemoryInfo(memory, u'.'), u"RAM: 42% (6.8/15.9)");
    EXPECT_EQ(memory.requests, 1);
}

TEST(Fixed1Test, RoundsAsTheStatusLineNeeds) {
    struct Row {
        long double value;
        const char* text;
    };
    const Row rows[] = {
        {0.0L, "0.0"},
        {-0.0L, "0.0"},
        {16.0L, "16.0"},
        {15.625L, "15.6"},
        {1.25L, "1.3"}, // printf gives 1.2 (ties to even)
        {0.75L, "0.8"},
        {0.35L, "0.4"}, // 0.34999...99946 expands to 0.350000000000000000 first
        {0.45L, "0.5"},
        {0.04L, "0.0"},
        {0.05L, "0.1"},
        {0.001L, "0.0"},
        {9.95L, "10.0"}, // carry into a new digit
        {99.96L, "100.0"},
        {-1.25L, "-1.3"}, // away from zero on both sides
        {-0.04L, "-0.0"},
        {123456789.25L, "123456789.3"},
        {17179869184.0L, "17179869184.0"},
        {1e20L, "100000000000000000000.0"},
        {std::numeric_limits<long double>::quiet_NaN(), "nan"},
        {std::numeric_limits<long double>::infinity(), "inf"},
        {-std::numeric_limits<long double>::infinity(), "-inf"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(utf8(formatFixed1(r.value, u'.')), r.text) << static_cast<double>(r.value);
    EXPECT_EQ(formatFixed1(1.25L, u','), u"1,3");
    EXPECT_EQ(formatFixed1(1e4000L, u'.').size(), 4003u); // no fixed buffer to overflow
}

TEST(RoundLoadTest, TiesToEvenAndSaturates) {
    struct Row {
        double load;
        std::int32_t p;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Row rows[] = {
        {0.4, 0},
        {7.5, 8},
        {12.5, 12},
        {13.5, 14},
        {99.5, 100},
        {101.2, 101},
        {1234, 1234},
        {20.4, 20},
        {20.6, 21},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {-3.2, -3},
        {0.49999999999999994, 0},
        {nan, 0},
        {inf, INT32_MAX},
        {-inf, INT32_MIN},
        {3e9, INT32_MAX},
        {2147483647.5, INT32_MAX}, // rounds to 2^31: one past the range
        {-2147483648.5, INT32_MIN},
        {-2147483649.0, INT32_MIN},
    };
    for (const Row& r : rows)
        EXPECT_EQ(roundLoad(r.load), r.p) << r.load;
}

TEST(D3Test, PadsToThreeAndNeverCuts) {
    EXPECT_EQ(formatD3(7), u"  7");
    EXPECT_EQ(formatD3(42), u" 42");
    EXPECT_EQ(formatD3(100), u"100");
    EXPECT_EQ(formatD3(1234), u"1234");
    EXPECT_EQ(formatD3(-3), u" -3");
    EXPECT_EQ(formatD3(INT32_MIN), u"-2147483648");
}

struct CpuRow {
    double load;
    std::u16string text;
    char16_t glyph;
};

const CpuRow cpuRows[] = {
    {0.4, u"CPU:  0%", u'\uEC37'},   {7.5, u"CPU:  8%", u'\uEC37'},
    {12.5, u"CPU: 12%", u'\uEC37'},  {99.5, u"CPU:100%", u'\uEC3B'},
    {101.2, u"CPU:101%", u'\uEC3B'}, {1234, u"CPU:1234%", u'\uEC3B'},
    {-3, u"CPU: -3%", u'\uEC37'},    {20, u"CPU: 20%", u'\uEC37'},
    {21, u"CPU: 21%", u'\uEC38'},    {40, u"CPU: 40%", u'\uEC38'},
    {41, u"CPU: 41%", u'\uEC39'},    {60, u"CPU: 60%", u'\uEC39'},
    {61, u"CPU: 61%", u'\uEC3A'},    {80, u"CPU: 80%", u'\uEC3A'},
    {81, u"CPU: 81%", u'\uEC3B'},    {20.4, u"CPU: 20%", u'\uEC37'}, // the glyph follows
    {20.6, u"CPU: 21%", u'\uEC38'},  {20.5, u"CPU: 20%", u'\uEC37'}, // the rounded load
    {80.5, u"CPU: 80%", u'\uEC3A'},  {-1e300, u"CPU:-2147483648%", u'\uEC37'},
};

class CpuTextTest : public ::testing::TestWithParam<CpuRow> {};

TEST_P(CpuTextTest, TextAndGlyph) {
    const CpuRow& row = GetParam();
    const CpuTexts t = cpuTexts(row.load);
    EXPECT_EQ(utf8(t.cpuInfo), utf8(row.text)) << row.load;
    EXPECT_EQ(t.busyGlyph, std::u16string(1, row.glyph)) << row.load;
}

INSTANTIATE_TEST_SUITE_P(Rows, CpuTextTest, ::testing::ValuesIn(cpuRows));

TEST(CpuTextTest, UpdateTakesExactlyOneSample) {
    fakes::FakeSystemTimesSource machine;
    uTotalCpuUsagePct::ModuleStart(machine);
    machine.readings = 0;
    machine.advance(30, 50); // 37.5 rounds to 38
    const CpuTexts t = UpdateCpuInfo();
    EXPECT_EQ(t.cpuInfo, u"CPU: 38%");
    EXPECT_EQ(t.busyGlyph, u"\uEC38");
    EXPECT_EQ(t.load, 37.5);
    EXPECT_TRUE(t.read);
    EXPECT_EQ(machine.readings, 1);

    machine.fails = true; // a failed reading shows no load and says so
    const CpuTexts failed = UpdateCpuInfo();
    EXPECT_EQ(failed.cpuInfo, u"CPU:  0%");
    EXPECT_FALSE(failed.read);
    uTotalCpuUsagePct::ModuleEnd();
}

TEST(MemoryTextTest, UpdateTellsWhetherTheFiguresWereRead) {
    fakes::FakeMemorySource memory;
    memory.status = MemoryStatus{16ull << 30, 8ull << 30};
    bool read = false;
    (void)UpdateMemoryInfo(memory, u'.', &read);
    EXPECT_TRUE(read);
    memory.status = std::nullopt;
    EXPECT_EQ(UpdateMemoryInfo(memory, u'.', &read), u"RAM: 0% (0.0/0.0)");
    EXPECT_FALSE(read);
}

} // namespace
} // namespace zrm58
