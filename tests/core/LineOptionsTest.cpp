// zrm58-line's command line: what is accepted, and the one-line errors for what is not.
#include "cli/LineOptions.h"
#include <gtest/gtest.h>

using namespace zrm58::cli;

struct OptionCase {
    const char* what;
    std::vector<std::string> args;
    bool ok;
};

class LineOptionsTable : public ::testing::TestWithParam<OptionCase> {};

TEST_P(LineOptionsTable, AcceptsOrExplains) {
    const OptionCase& c = GetParam();
    const ParseResult r = parseLineOptions(c.args);
    EXPECT_EQ(r.error.empty(), c.ok) << c.what << ": " << r.error;
    if (!c.ok) {
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(r.error.rfind("zrm58-line: ", 0), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, LineOptionsTable,
    ::testing::Values(OptionCase{"nothing", {}, true},
                      OptionCase{"all options",
                                 {"--format", "yyyy", "--sep", "|", "--only", "date", "--at",
                                  "2023-01-03T08:04:03.007", "--settings", "x.ini", "--interval",
                                  "500", "--follow"},
                                 true},
                      OptionCase{"inline values", {"--format=hh:nn", "--only=cpu"}, true},
                      OptionCase{"empty pattern is a pattern", {"--format", ""}, true},
                      OptionCase{"unknown option", {"--colour"}, false},
                      OptionCase{"stray word", {"date"}, false},
                      OptionCase{"missing value", {"--format"}, false},
                      OptionCase{"bad piece", {"--only", "disk"}, false},
                      OptionCase{"interval zero", {"--interval", "0"}, false},
                      OptionCase{"interval not a number", {"--interval", "1s"}, false},
                      OptionCase{"at without seconds", {"--at", "2023-01-03T08:04"}, false}));

struct IntervalCase {
    const char* what;
    std::optional<int> given;
    int stored;
    int want;
    bool refused;
};

class LineIntervalTable : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(LineIntervalTable, StoredValueHasTheOptionsBound) {
    const IntervalCase& c = GetParam();
    bool refused = !c.refused;
    EXPECT_EQ(lineIntervalMs(c.given, c.stored, refused), c.want) << c.what;
    EXPECT_EQ(refused, c.refused) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, LineIntervalTable,
    ::testing::Values(IntervalCase{"stored", std::nullopt, 2000, 2000, false},
                      IntervalCase{"the option wins", 500, 2000, 500, false},
                      IntervalCase{"the option wins over a bad stored", 500, 2147483647, 500,
                                   false},
                      IntervalCase{"stored 0: no tick for the strip", std::nullopt, 0, 1000, false},
                      IntervalCase{"stored negative", std::nullopt, -5, 1000, false},
                      IntervalCase{"stored one day", std::nullopt, 86400000, 86400000, false},
                      IntervalCase{"stored above one day", std::nullopt, 86400001, 1000, true},
                      IntervalCase{"stored largest int", std::nullopt, 2147483647, 1000, true}));

struct InstantCase {
    const char* text;
    bool valid;
};

class InstantTable : public ::testing::TestWithParam<InstantCase> {};

TEST_P(InstantTable, ValidLocalTimesOnly) {
    EXPECT_EQ(parseInstant(GetParam().text).has_value(), GetParam().valid) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, InstantTable,
    ::testing::Values(
        InstantCase{"2023-01-03T08:04:03", true}, InstantCase{"2023-01-03T08:04:03.007", true},
        InstantCase{"2023-01-03 08:04:03", true}, // a space for the T
        InstantCase{"2024-02-29T00:00:00", true}, // leap day
        InstantCase{"2023-02-29T00:00:00", false}, InstantCase{"2023-13-01T00:00:00", false},
        InstantCase{"2023-00-10T00:00:00", false}, InstantCase{"0000-01-01T00:00:00", false},
        InstantCase{"2023-01-03T24:00:00", false}, InstantCase{"2023-01-03T08:60:00", false},
        InstantCase{"2023-01-03T08:04:03.07", false}, InstantCase{"2023-01-03T08:04:03Z", false},
        InstantCase{"", false}));

TEST(Cli, InstantFieldsAreKeptExactly) {
    const auto t = parseInstant("2023-01-03T08:04:03.007");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->year, 2023);
    EXPECT_EQ(t->month, 1);
    EXPECT_EQ(t->day, 3);
    EXPECT_EQ(t->hour, 8);
    EXPECT_EQ(t->minute, 4);
    EXPECT_EQ(t->second, 3);
    EXPECT_EQ(t->millisecond, 7);
}
