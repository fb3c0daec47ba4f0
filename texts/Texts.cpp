#include "texts/Texts.h"
#include <array>
#include <atomic>

namespace zrm58 {
namespace {

struct Entry {
    TextId id;
    std::u16string_view japanese;
    std::u16string_view english;
};

// clang-format off
constexpr Entry kEntries[] = {
    {TextId::MenuResize,          u"リサイズ",        u"Resize"},
    {TextId::MenuSettings,        u"設定",            u"Settings"},
    {TextId::MenuClose,           u"終了",            u"Exit"},
    {TextId::SettingsTitle,       u"設定",            u"Settings"},
    {TextId::WindowGroup,         u"Form",            u"Window"},
    {TextId::BackgroundGroup,     u"背景",            u"Background"},
    {TextId::TextGroup,           u"文字",            u"Text"},
    {TextId::GradientCheck,       u"グラジエント",    u"Gradient"},
    {TextId::DirectionVertical,   u"垂直",            u"Vertical"},
    {TextId::DirectionHorizontal, u"水平",            u"Horizontal"},
    {TextId::DirectionDiagonal,   u"斜め",            u"Diagonal"},
    {TextId::PictureCheck,        u"画像表示",        u"Picture"},
    {TextId::PictureButton,       u"画像選択",        u"Choose..."},
    {TextId::TextColourLabel,     u"文字色",          u"Color"},
    {TextId::BoldCheck,           u"ボールド",        u"Bold"},
    {TextId::ShadowCheck,         u"影を付ける",      u"Shadow"},
    {TextId::FontLabel,           u"フォント名",      u"Font"},
    {TextId::TaskBarCheck,        u"タスクバーに表示", u"In taskbar"},
    {TextId::TopCheck,            u"前面表示",        u"On top"},
    {TextId::OpacityLabel,        u"透明度",          u"Opacity"},
    {TextId::IntervalLabel,       u"インターバル",    u"Interval"},
    {TextId::WidthLabel,          u"表示幅",          u"Width"},
    {TextId::SeparatorLabel,      u"セパレート文字",  u"Separator"},
    {TextId::FormatLabel,         u"日付・時間フォーマット", u"Date and time format"},
    {TextId::FormatReminder,
     u"yyyy:年 mm:月 dd:日付 ddd:曜日  gg:年号 ee:年号の年  hh:時 nn:分 ss:秒 シングル文字の場合は0無し表示",
     u"yyyy:year mm:month dd:day ddd:weekday  gg:era ee:year of era  hh:hour nn:minute ss:second  "
     u"one letter: no leading zero"},
    {TextId::RestartHint,         u"再起動が必要です", u"Takes effect after a restart"},
    {TextId::CloseButton,         u"Close",           u"Close"},
    {TextId::DetailsProcessors,   u"プロセッサ",      u"Processors"},
    {TextId::DetailsMemory,       u"メモリ",          u"Memory"},
    {TextId::DetailsInUse,        u"使用中",          u"in use"},
    {TextId::DetailsAvailable,    u"利用可能",        u"available"},
    {TextId::DetailsCache,        u"キャッシュ・バッファ", u"cache and buffers"},
    {TextId::DetailsSwap,         u"スワップ",        u"Swap"},
    {TextId::DetailsNoSwap,       u"なし",            u"none"},
    {TextId::DetailsNetwork,      u"ネットワーク",    u"Network"},
    {TextId::DetailsReceived,     u"受信",            u"received"},
    {TextId::DetailsSent,         u"送信",            u"sent"},
    {TextId::DetailsTemperature,  u"温度",            u"Temperature"},
    {TextId::DetailsProcesses,    u"プロセス",        u"Processes"},
    {TextId::ErrorTitle,          u"アプリケーションエラー", u"Application Error"},
    {TextId::KeepRunningButton,   u"終了しない",      u"Keep running"},
    {TextId::EndWithoutSavingButton, u"保存せずに終了", u"Exit without saving"},
    {TextId::CannotOpenFile,      u"ファイル %1 は開けません。 %2 ", u"Cannot open file %1. %2 "},
    {TextId::CannotCreateFile,    u"ファイル \"%1\" を作成できません。%2", u"Cannot create file \"%1\". %2"},
    {TextId::NotAnInteger,        u"'$%1' は整数ではありません", u"'$%1' is not a valid integer value"},
    {TextId::PictureNotLoaded,    u"ビットマップの読み込みに失敗しました (%1)。", u"Could not load the picture (%1)."},
    {TextId::NoWindowFromEarlierStart,
     u"%1 のストリップは起動中ですが、%2 秒以内にウィンドウを表示しませんでした。",
     u"A strip on %1 is starting but showed no window within %2 s."},
    {TextId::AlphaLabel,          u"アルファ",        u"Alpha"},
    {TextId::HexLabel,            u"16進",            u"Hex"},
};
// clang-format on

constexpr std::size_t kCount = static_cast<std::size_t>(TextId::Count);

// The entries by id; building it checks at compile time that every id has exactly its own entry.
constexpr std::array<Entry, kCount> byId() {
    static_assert(std::size(kEntries) == kCount, "every text has one entry");
    std::array<Entry, kCount> out{};
    for (const Entry& e : kEntries)
        out[static_cast<std::size_t>(e.id)] = e;
    for (std::size_t i = 0; i < kCount; ++i)
        if (static_cast<std::size_t>(out[i].id) != i || out[i].japanese.empty())
            throw "a text is missing or declared twice";
    return out;
}
constexpr std::array<Entry, kCount> kTable = byId();

std::atomic<Language> chosen{Language::Japanese};

} // namespace

Language currentLanguage() {
    return chosen.load(std::memory_order_relaxed);
}

void useLanguage(Language language) {
    chosen.store(language, std::memory_order_relaxed);
}

std::u16string_view localText(TextId id, Language language) {
    const Entry& e = kTable[static_cast<std::size_t>(id)];
    return language == Language::Japanese ? e.japanese : e.english;
}

std::u16string_view localText(TextId id) {
    return localText(id, currentLanguage());
}

std::u16string fillText(std::u16string_view text, std::initializer_list<std::u16string_view> args) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9') {
            const std::size_t n = static_cast<std::size_t>(text[i + 1] - u'1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace zrm58
