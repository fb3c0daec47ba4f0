// Which language the strip's own texts take, from the user's preferred languages.
#include "texts/Language.h"
#include <gtest/gtest.h>

namespace zrm58 {
namespace {

struct LanguageCase {
    const char* what;
    std::vector<std::string> preferred;
    Language expected;
};

TEST(LanguageTest, FirstTranslatedEntryWinsElseEnglishAndNoLanguageIsJapanese) {
    const LanguageCase cases[] = {
        {"no language: the C or POSIX locale", {}, Language::Japanese},
        {"Japanese locale", {"ja_JP.UTF-8"}, Language::Japanese},
        {"Japanese tag", {"ja-JP"}, Language::Japanese},
        {"bare ja", {"ja"}, Language::Japanese},
        {"US English", {"en_US.UTF-8"}, Language::English},
        {"British tag, upper case", {"EN-GB"}, Language::English},
        {"German: no translation", {"de_DE.UTF-8"}, Language::English},
        {"German, then Japanese: the first translated entry", {"de", "ja"}, Language::Japanese},
        {"English before Japanese", {"en", "ja"}, Language::English},
        {"nothing translated anywhere", {"de", "fr_FR"}, Language::English},
        {"a modifier does not hide the language", {"ja_JP@calendar=japanese"}, Language::Japanese},
        {"javanese is not Japanese", {"jv_ID"}, Language::English},
    };
    for (const LanguageCase& c : cases)
        EXPECT_EQ(chooseLanguage(c.preferred), c.expected) << c.what;
}

} // namespace
} // namespace zrm58
