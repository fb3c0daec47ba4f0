#pragma once
// The settings window `TForm2` without a toolkit: the values its controls hold while it is open,
// the fill from the strip and the copy-back, and its handlers' effects on the strip.
#include "settings/StripSettings.h"
#include "strip/SettingsLists.h"
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zrm58 {

class Strip;
struct StripBinding;

class SettingsModel {
public:
    explicit SettingsModel(Strip& strip) : strip_(strip) {}

    Strip& strip() const { return strip_; }

    // The settings command's first half: every control from the strip's fields, in the fixed
    // order. The check boxes' change handlers are the face's to run when it shows the values.
    void fillFromStrip();
    // The second half, after the window closed: every value back into the strip's fields, then
    // the appearance re-applied.
    void copyBackToStrip();
    // True when the Close button has copied the values back (and saved them); the settings
    // command then does not copy back again.
    bool copiedBackByClose() const { return copiedBackByClose_; }

    // The fractional boxes show OpSpin and OrgWidthSpin rounded to a few decimals (0.55 as 0.6),
    // yet a value nobody touched comes back as the fill gave it. The face tells the model what
    // such a box shows once it has been filled, and when the user edits it (types in it, steps
    // it); the copy-back then keeps the value the fill gave while the box is unedited and still
    // shows that value.
    enum class Box { Opacity, WidthFactor };
    void boxShown(Box box, double shown);
    void boxEdited(Box box);

    // --- Handlers, called by the face with the window's values already in the model ---

    // Only the strip's field: its text changes weight when the window closes.
    void BoldCheckChange();
    // The strip's shadow at once; isShadow itself is taken when the window closes.
    void ShadowCheckChange();
    // The strip's IsTop and its window style at once.
    void TopCheckChange();
    // Appends ListBox1's entry `index` to Edit2 (the face shows Edit2 again afterwards); an
    // index that names no entry appends nothing.
    void ListBox1Click(int index);
    // The file-open dialog; a chosen file becomes the strip's GazouFile at once.
    void SelectFileBtnClick();
    // Copies back, then saves. True when the window may close; a failed save shows the error
    // dialog and keeps the window open with everything the user set.
    bool CloseBtnClick();

    // --- The controls' values ---
    std::uint32_t ComboColorBox1 = 0; // first background colour
    std::uint32_t ComboColorBox2 = 0; // second background colour
    std::uint32_t FontColorBox1 = 0;  // text colour
    bool GraCheck = false;
    // DirectionBox1's selected index: 0..2, or a value that names no entry (kept as given, a
    // negative one as -1) until the user picks one.
    std::int32_t DirectionBox1 = 0;
    int SpinBox1 = 1; // interval in whole seconds, 1..5
    bool GazouCheck = false;
    double OpSpin = 0.5; // opacity, 0.1..1.0
    bool ShowTaskCheck = true;
    bool TopCheck = false;
    bool BoldCheck = false;
    bool ShadowCheck = true;
    double OrgWidthSpin = 1; // width factor, 0.1..10
    std::u16string Edit1;    // date-time format
    std::u16string Edit2;    // separator
    int ComboBox1 = -1;      // font family index into fontFamilies; -1: none selected
    // ComboBox1's entries: the fixed families, then those the face found installed
    // (fontFamilyEntries), taken at every fill.
    std::vector<std::u16string> fontFamilies{kFontFamilies.begin(), kFontFamilies.end()};

    // The values' ranges, as the settings declare them.
    static constexpr double kMinOpacity = settingDef(SettingKey::Opacity).range.min;
    static constexpr double kMaxOpacity = settingDef(SettingKey::Opacity).range.max;
    static constexpr int kMinSeconds =
        static_cast<int>(settingDef(SettingKey::Interval).range.min / 1000);
    static constexpr int kMaxSeconds =
        static_cast<int>(settingDef(SettingKey::Interval).range.max / 1000);
    static constexpr double kMinWidthFactor = settingDef(SettingKey::Original).range.min;
    static constexpr double kMaxWidthFactor = settingDef(SettingKey::Original).range.max;

private:
    // What the fill gave a fractional box, and what the box showed for it.
    struct Given {
        double value = 0;
        std::optional<double> shown; // none: the face told nothing, the field is taken as it is
        bool edited = false;
    };
    // The value the copy-back takes for the box, whose field now holds `value`.
    double taken(Box box, double value) const;
    // A control from the strip's value, as the binding shows it.
    void fill(const StripBinding& binding, const SettingValue& value);
    // The strip's value from the control; none when the copy-back leaves the strip's field.
    std::optional<SettingValue> copied(const StripBinding& binding) const;

    Strip& strip_;
    bool copiedBackByClose_ = false;
    std::array<Given, 2> given_{};
};

// The index of the first of the fixed font families (or of `entries`) equal to `family`, as
// sameFamily compares; -1 when there is none.
int fontFamilyIndex(std::u16string_view family);
int fontFamilyIndex(std::u16string_view family, const std::vector<std::u16string>& entries);
// The timer's interval in whole seconds for SpinBox1: halves go to the even neighbour (1500 ms
// and 2500 ms both give 2), then the range 1..5.
int intervalSeconds(int milliseconds);
// ListBox1's entry `index` as UTF-16 (one character, two units for an astral one); empty when
// the index names no entry.
std::u16string separatorEntry(int index);

} // namespace zrm58
