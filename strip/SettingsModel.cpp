#include "strip/SettingsModel.h"
#include "settings/Utf.h"
#include "strip/FontFamilies.h"
#include "strip/SettingsLists.h"
#include "strip/Strip.h"
#include <algorithm>
#include <cmath>
#include <exception>

namespace zrm58 {
namespace {

// NaN takes the range's lower bound, as a spin box given one shows it.
double limited(double v, double lo, double hi) {
    return std::isnan(v) ? lo : std::clamp(v, lo, hi);
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
    const Strip& s = strip_;
    ComboColorBox1 = s.BC0;
    ComboColorBox2 = s.BC1;
    FontColorBox1 = s.FontColor;
    GraCheck = s.isGradient;
    DirectionBox1 = s.Direction >= 0 ? s.Direction : -1;
    SpinBox1 = intervalSeconds(s.timerInterval());
    GazouCheck = s.isGazou;
    OpSpin = limited(s.Rectangle1.opacity(), kMinOpacity, kMaxOpacity);
    ShowTaskCheck = s.isShowTask;
    TopCheck = s.IsTop;
    BoldCheck = s.isBold;
    ShadowCheck = s.isShadow;
    OrgWidthSpin = limited(s.MuWidth, kMinWidthFactor, kMaxWidthFactor);
    Edit1 = s.DateFormatStr;
    Edit2 = s.SepStr;
    fontFamilies = fontFamilyEntries(s.face().installedFontFamilies());
    ComboBox1 = fontFamilyIndex(s.FontFamilyName, fontFamilies);
    given_ = {Given{OpSpin, std::nullopt, false}, Given{OrgWidthSpin, std::nullopt, false}};
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

void SettingsModel::copyBackToStrip() {
    Strip& s = strip_;
    s.FontColor = FontColorBox1;
    s.isGradient = GraCheck;
    s.BC0 = ComboColorBox1;
    s.BC1 = ComboColorBox2;
    s.Direction = DirectionBox1;
    s.setTimerInterval(SpinBox1 * 1000);
    s.isGazou = GazouCheck;
    s.Rectangle1.setOpacity(static_cast<float>(taken(Box::Opacity, OpSpin)));
    s.face().repaintBackground(); // the opacity is applied when the background is drawn
    s.isShowTask = ShowTaskCheck; // takes effect at the next start
    s.isShadow = ShadowCheck;     // the shadow itself was switched at once
    s.MuWidth = taken(Box::WidthFactor, OrgWidthSpin);
    s.applyDialogWidth();
    s.applyBold();
    s.applyTextColours();
    s.DateFormatStr = Edit1; // both texts as typed, without any check
    s.SepStr = Edit2;
    s.UpdateBackground();
    s.applyWindowStyle();
    // With no entry selected (a stored family that is none of the entries, and none picked),
    // the strip keeps its family.
    if (ComboBox1 >= 0 && ComboBox1 < static_cast<int>(fontFamilies.size())) {
        s.FontFamilyName = fontFamilies[static_cast<std::size_t>(ComboBox1)];
        s.applyFontFamily();
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
