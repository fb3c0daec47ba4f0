#pragma once
// The strip's own texts, in every language it speaks, declared once. Both faces and zrm58-line
// take them from here; the Japanese column is the design's text, word for word.
#include "texts/Language.h"
#include <initializer_list>
#include <string>
#include <string_view>

namespace zrm58 {

enum class TextId {
    // The strip's menu.
    MenuResize,
    MenuSettings,
    MenuClose,
    // The settings window: its title, groups, captions, list entries, reminder line and hint.
    SettingsTitle,
    WindowGroup,
    BackgroundGroup,
    TextGroup,
    GradientCheck,
    DirectionVertical,
    DirectionHorizontal,
    DirectionDiagonal,
    PictureCheck,
    PictureButton,
    TextColourLabel,
    BoldCheck,
    ShadowCheck,
    FontLabel,
    TaskBarCheck,
    TopCheck,
    OpacityLabel,
    IntervalLabel,
    WidthLabel,
    SeparatorLabel,
    FormatLabel,
    FormatReminder,
    RestartHint,
    CloseButton,
    // The details panel and zrm58-line's tooltip.
    DetailsProcessors,
    DetailsMemory,
    DetailsInUse,
    DetailsAvailable,
    DetailsCache,
    DetailsSwap,
    DetailsNoSwap,
    DetailsNetwork,
    DetailsReceived,
    DetailsSent,
    DetailsTemperature,
    DetailsProcesses,
    // Error boxes. %1, %2: the arguments of fillText.
    ErrorTitle,
    KeepRunningButton,
    EndWithoutSavingButton,
    CannotOpenFile,   // %1 the path, %2 the system's reason
    CannotCreateFile, // %1 the path, %2 the system's reason
    NotAnInteger,     // %1 the stored text
    PictureNotLoaded, // %1 the picture's path
    // The box of a later start whose earlier strip never showed its window (Windows). %1 the
    // settings file, %2 the seconds waited.
    NoWindowFromEarlierStart,
    // The Windows colour dialog's own controls.
    AlphaLabel,
    HexLabel,
    Count
};

// The language every text below takes, chosen once by the program at start (useLanguage). Until
// then, and in tests that choose none, the design's Japanese.
Language currentLanguage();
void useLanguage(Language language);

// The text in the current language, or in `language`.
std::u16string_view localText(TextId id);
std::u16string_view localText(TextId id, Language language);

// The text with %1, %2 ... replaced by `args` in order (a placeholder without an argument stays).
std::u16string fillText(std::u16string_view text, std::initializer_list<std::u16string_view> args);

} // namespace zrm58
