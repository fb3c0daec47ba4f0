#include "strip/SettingsModel.h"
#include "settings/Utf.h"
#include "strip/FontFamilies.h"
#include "strip/SettingBindings.h"
#include "strip/SettingsLists.h"
#include "strip/Strip.h"
#include <algorithm>
#include <cmath>
#include <exception>
#include <type_traits>
#include <variant>

namespace zrm58 {
namespace {

// NaN takes the range's lower bound, as a spin box given one shows it.
double limited(double v, double lo, double hi) {
    return std::isnan(v) ? lo : std::clamp(v, lo, hi);
}

// A control's value, of the type the control holds.
SettingValue control(const SettingsModel& m, const ModelField& field) {
    return std::visit(Overloaded{[](std::monostate) -> SettingValue { return {}; },
                                 [&](auto member) -> SettingValue { return m.*member; }},
                      field);
}

void setControl(SettingsModel& m, const ModelField& field, const SettingValue& value) {
    std::visit(Overloaded{[](std::monostate) {},
                          [&](auto member) {
                              using T = std::remove_reference_t<decltype(m.*member)>;
                              m.*member = std::get<T>(value);
                          }},
               field);
}

} // namespace

int fontFamilyIndex(std::u16string_view family) {
    for (std::size_t i = 0; i < kFontFamilies.size(); ++i)
        if (sameFamily(kFontFamilies[i], family)) return static_cast<int>(i);
    return -1;
}

int fontFamilyIndex(std::u16string_view family, const std::vector<std::u16string>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (sameFamily(entries[i], family)) return static_cast<int>(i);
    return -1;
}

int intervalSeconds(int milliseconds) {
    const double seconds = std::nearbyint(milliseconds / 1000.0); // default mode: ties to even
    return static_cast<int>(std::clamp(seconds, double(SettingsModel::kMinSeconds),
                                       double(SettingsModel::kMaxSeconds)));
}

std::u16string separatorEntry(int index) {
    if (index < 0 || index >= static_cast<int>(kSeparatorEntries.size())) return {};
    const char32_t c = kSeparatorEntries[static_cast<std::size_t>(index)];
    if (c < 0x10000) return std::u16string(1, static_cast<char16_t>(c));
    const char32_t v = c - 0x10000;
    return {static_cast<char16_t>(0xD800 + (v >> 10)), static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
}

void SettingsModel::fillFromStrip() {
    copiedBackByClose_ = false;
    for (const StripBinding& b : kStripBindings)
        if (b.shown != Shown::Not) fill(b, strip_.setting(b));
}

void SettingsModel::fill(const StripBinding& b, const SettingValue& value) {
    const Bounds& range = settingDef(b.key).range;
    SettingValue shown = value;
    switch (b.shown) {
    case Shown::Not:
        return;
    case Shown::Same:
    case Shown::ByHandler:
        break;
    case Shown::Seconds:
        shown = std::int32_t{intervalSeconds(std::get<std::int32_t>(value))};
        break;
    case Shown::KeptFraction: {
        const double v = limited(std::get<double>(value), range.min, range.max);
        given_[static_cast<std::size_t>(b.box)] = Given{v, std::nullopt, false};
        shown = v;
        break;
    }
    case Shown::Index:
        shown = std::max(std::get<std::int32_t>(value), -1);
        break;
    case Shown::FontFamilyRow:
        fontFamilies = fontFamilyEntries(strip_.face().installedFontFamilies());
        shown = std::int32_t{fontFamilyIndex(std::get<std::u16string>(value), fontFamilies)};
        break;
    }
    setControl(*this, b.control, shown);
}

void SettingsModel::boxShown(Box box, double shown) {
    Given& g = given_[static_cast<std::size_t>(box)];
    g.shown = shown;
    g.edited = false;
}

void SettingsModel::boxEdited(Box box) {
    given_[static_cast<std::size_t>(box)].edited = true;
}

double SettingsModel::taken(Box box, double value) const {
    const Given& g = given_[static_cast<std::size_t>(box)];
    return g.shown && !g.edited && value == *g.shown ? g.value : value;
}

std::optional<SettingValue> SettingsModel::copied(const StripBinding& b) const {
    const SettingValue value = control(*this, b.control);
    switch (b.shown) {
    case Shown::Not:
    case Shown::ByHandler:
        break;
    case Shown::Same:
    case Shown::Index:
        return value;
    case Shown::Seconds:
        return std::int32_t{std::get<std::int32_t>(value) * 1000};
    case Shown::KeptFraction:
        return taken(b.box, std::get<double>(value));
    case Shown::FontFamilyRow:
        // With no entry selected (a stored family that is none of the entries, and none
        // picked), the strip keeps its family.
        if (const int row = std::get<std::int32_t>(value);
            row >= 0 && row < static_cast<int>(fontFamilies.size()))
            return fontFamilies[static_cast<std::size_t>(row)];
        break;
    }
    return std::nullopt;
}

void SettingsModel::copyBackToStrip() {
    // Every value back first, then each appearance step they need once, in Restyle's order.
    std::array<bool, static_cast<std::size_t>(Restyle::FontFamily) + 1> restyle{};
    for (const StripBinding& b : kStripBindings) {
        if (b.shown == Shown::Not) continue;
        const std::optional<SettingValue> value = copied(b);
        if (value) strip_.holdSetting(b, *value);
        if (value || b.shown == Shown::ByHandler)
            restyle[static_cast<std::size_t>(b.restyle)] = true;
    }
    Strip& s = strip_;
    for (std::size_t step = 0; step < restyle.size(); ++step) {
        if (!restyle[step]) continue;
        switch (static_cast<Restyle>(step)) {
        case Restyle::Nothing:
            break;
        case Restyle::Background:
            s.face().repaintBackground(); // the opacity is applied when the background is drawn
            break;
        case Restyle::DialogWidth:
            s.applyDialogWidth();
            break;
        case Restyle::Bold:
            s.applyBold();
            break;
        case Restyle::TextColours:
            s.applyTextColours();
            break;
        case Restyle::Fill:
            s.UpdateBackground();
            break;
        case Restyle::WindowStyle:
            s.applyWindowStyle();
            break;
        case Restyle::FontFamily:
            s.applyFontFamily();
            break;
        }
    }
}

void SettingsModel::BoldCheckChange() {
    strip_.isBold = BoldCheck;
}

void SettingsModel::ShadowCheckChange() {
    strip_.applyShadow(ShadowCheck);
}

void SettingsModel::TopCheckChange() {
    strip_.IsTop = TopCheck;
    strip_.applyWindowStyle();
}

void SettingsModel::ListBox1Click(int index) {
    // Appended at the end whatever the caret and the selection in the field.
    Edit2 += separatorEntry(index);
}

void SettingsModel::SelectFileBtnClick() {
    // The picture shows only after the window closes, and only if GazouCheck is ticked.
    if (std::optional<std::u16string> file = strip_.face().openFileDialog())
        strip_.GazouFile = std::move(*file);
}

bool SettingsModel::CloseBtnClick() {
    // The copy-back comes before the save, so that the file holds what the window holds, which
    // is also what the strip shows from now on.
    copyBackToStrip();
    try {
        strip_.WriteIniFile();
    } catch (const std::exception& e) {
        strip_.face().showError(withFullStop(fromUtf8OrWindows1252(e.what())));
        return false; // the window stays open with everything the user set
    }
    copiedBackByClose_ = true;
    return true;
}

} // namespace zrm58
