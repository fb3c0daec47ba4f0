// The user's preferred languages as the Linux environment gives them (gettext's reading).
#include "platform/linux/UserLocale.h"
#include <gtest/gtest.h>

namespace zrm58::linux_backend {
namespace {

using Env = std::optional<std::string>;
const Env unset = std::nullopt;

struct EnvCase {
    const char* what;
    Env forced, language, lcAll, lcMessages, lang;
    std::vector<std::string> expected;
};

TEST(UserLanguagesTest, MessagesLocaleDecidesAndLanguageListsWhenThereIsOne) {
    // clang-format off
    const EnvCase cases[] = {
        // what                                   ZRM58_LANGUAGE LANGUAGE   LC_ALL         LC_MESSAGES    LANG
        {"nothing set: no language",              unset, unset,       unset,         unset,         unset,         {}},
        {"LANG alone",                            unset, unset,       unset,         unset,         "de_DE.UTF-8", {"de_DE.UTF-8"}},
        {"LC_MESSAGES before LANG",               unset, unset,       unset,         "ja_JP.UTF-8", "en_US.UTF-8", {"ja_JP.UTF-8"}},
        {"LC_ALL before LC_MESSAGES",             unset, unset,       "en_US.UTF-8", "ja_JP.UTF-8", unset,         {"en_US.UTF-8"}},
        {"empty values are skipped",              unset, unset,       "",            "",            "ja_JP.UTF-8", {"ja_JP.UTF-8"}},
        {"LANGUAGE's list comes first",           unset, "de:ja::en", unset,         unset,         "en_US.UTF-8", {"de", "ja", "en"}},
        {"an empty LANGUAGE is no list",          unset, "",          unset,         unset,         "ja_JP.UTF-8", {"ja_JP.UTF-8"}},
        {"LC_ALL=C: no language, LANGUAGE ignored", unset, "en_US:en", "C",          unset,         "ja_JP.UTF-8", {}},
        {"POSIX",                                 unset, unset,       unset,         unset,         "POSIX",       {}},
        {"C.UTF-8",                               unset, "de",        unset,         "C.UTF-8",     unset,         {}},
        {"LANGUAGE without any locale is ignored", unset, "en",       unset,         unset,         unset,         {}},
        {"ZRM58_LANGUAGE wins over everything",   "en",  "ja",        "C",           unset,         unset,         {"en"}},
        {"an empty ZRM58_LANGUAGE is not set",    "",    unset,       unset,         unset,         "de_DE",       {"de_DE"}},
    };
    // clang-format on
    for (const EnvCase& c : cases)
        EXPECT_EQ(preferredLanguages(c.forced, c.language, c.lcAll, c.lcMessages, c.lang),
                  c.expected)
            << c.what;
}

} // namespace
} // namespace zrm58::linux_backend
