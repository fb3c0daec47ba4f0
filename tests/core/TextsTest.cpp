// The catalogue of the strip's own texts: the design's Japanese word for word, an English text
// for every entry, the same placeholders in both.
#include "texts/Texts.h"
#include <gtest/gtest.h>

namespace zrm58 {
namespace {

bool hasJapanese(std::u16string_view text) {
    for (const char16_t c : text)
        if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF)) return true;
    return false;
}

int placeholders(std::u16string_view text) {
    int mask = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == u'%' && text[i + 1] >= u'1' && text[i + 1] <= u'9')
            mask |= 1 << (text[i + 1] - u'1');
    return mask;
}

TEST(TextsTest, EveryEntryHasEnglishWithoutJapaneseAndTheSamePlaceholders) {
    for (int i = 0; i < static_cast<int>(TextId::Count); ++i) {
        const auto id = static_cast<TextId>(i);
        const std::u16string_view ja = localText(id, Language::Japanese);
        const std::u16string_view en = localText(id, Language::English);
        EXPECT_FALSE(ja.empty()) << "text " << i;
        EXPECT_FALSE(en.empty()) << "text " << i;
        EXPECT_FALSE(hasJapanese(en)) << "text " << i;
        EXPECT_EQ(placeholders(ja), placeholders(en)) << "text " << i;
    }
}

// The design's texts, as the windows showed them before the catalogue existed.
TEST(TextsTest, JapaneseIsTheDesignsText) {
    const std::pair<TextId, std::u16string_view> cases[] = {
        {TextId::MenuResize, u"リサイズ"},
        {TextId::MenuSettings, u"設定"},
        {TextId::MenuClose, u"終了"},
        {TextId::TaskBarCheck, u"タスクバーに表示"},
        {TextId::FormatLabel, u"日付・時間フォーマット"},
        {TextId::FormatReminder, u"yyyy:年 mm:月 dd:日付 ddd:曜日  gg:年号 ee:年号の年  hh:時 "
                                 u"nn:分 ss:秒 シングル文字の場合は0無し表示"},
        {TextId::RestartHint, u"再起動が必要です"},
        {TextId::CloseButton, u"Close"},
        {TextId::DetailsCache, u"キャッシュ・バッファ"},
        {TextId::ErrorTitle, u"アプリケーションエラー"},
        {TextId::KeepRunningButton, u"終了しない"},
        {TextId::EndWithoutSavingButton, u"保存せずに終了"},
        {TextId::CannotOpenFile, u"ファイル %1 は開けません。 %2 "},
        {TextId::NotAnInteger, u"'$%1' は整数ではありません"},
    };
    for (const auto& [id, expected] : cases)
        EXPECT_EQ(localText(id, Language::Japanese), expected);
}

TEST(TextsTest, CurrentLanguageIsJapaneseUntilAProgramChoosesAnother) {
    EXPECT_EQ(localText(TextId::MenuSettings), u"設定");
    useLanguage(Language::English);
    EXPECT_EQ(localText(TextId::MenuSettings), u"Settings");
    useLanguage(Language::Japanese);
    EXPECT_EQ(localText(TextId::MenuSettings), u"設定");
}

TEST(TextsTest, FillTextReplacesNumberedPlaceholders) {
    const struct {
        std::u16string_view text;
        std::initializer_list<std::u16string_view> args;
        std::u16string_view expected;
    } cases[] = {
        {u"a %1 b %2", {u"x", u"y"}, u"a x b y"},
        {u"%2 before %1", {u"x", u"y"}, u"y before x"},
        {u"missing %3 stays", {u"x"}, u"missing %3 stays"},
        {u"a lone % and %% stay", {u"x"}, u"a lone % and %% stay"},
        {u"%1 then %2: an argument is not expanded again",
         {u"%2", u"y"},
         u"%2 then y: an argument is not expanded again"},
        {u"at the end %", {}, u"at the end %"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fillText(c.text, c.args), c.expected)
            << std::string(c.text.begin(), c.text.end());
}

} // namespace
} // namespace zrm58
