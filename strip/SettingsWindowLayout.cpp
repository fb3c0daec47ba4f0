#include "strip/SettingsWindowLayout.h"
#include "strip/SettingsLists.h"
#include "strip/SettingsModel.h"

namespace zrm58 {
namespace {

using C = Control;
using K = ControlKind;
using M = SettingsModel;

// The toolkit's default sizes the design leaves some controls at.
constexpr int kDefaultLabelWidth = 120, kDefaultLabelHeight = 17;
constexpr int kDefaultButtonWidth = 80, kDefaultButtonHeight = 22;

constexpr ControlDescription kControls[] = {
    {C::GroupBox3, "GroupBox3", K::Group, C::GroupBox3, TextId::WindowGroup, {16, 16, 305, 321}},
    {C::GroupBox1,
     "GroupBox1",
     K::Group,
     C::GroupBox1,
     TextId::BackgroundGroup,
     {328, 16, 217, 161}},
    {C::GroupBox2, "GroupBox2", K::Group, C::GroupBox2, TextId::TextGroup, {328, 184, 217, 153}},
    // 背景
    {C::GraCheck, "GraCheck", K::CheckBox, C::GroupBox1, TextId::GradientCheck, {24, 32, 89, 19}},
    {C::ComboColorBox2,
     "ComboColorBox2",
     K::ColourPicker,
     C::GroupBox1,
     std::nullopt,
     {120, 72, 81, 22}},
    {C::ComboColorBox1,
     "ComboColorBox1",
     K::ColourPicker,
     C::GroupBox1,
     std::nullopt,
     {24, 72, 81, 22}},
    {C::DirectionBox1,
     "DirectionBox1",
     K::DropDown,
     C::GroupBox1,
     std::nullopt,
     {112, 32, 81, 22},
     {},
     std::nullopt,
     200},
    {C::GazouCheck,
     "GazouCheck",
     K::CheckBox,
     C::GroupBox1,
     TextId::PictureCheck,
     {24, 120, 89, 19}},
    {C::SelectFileBtn,
     "SelectFileBtn",
     K::Button,
     C::GroupBox1,
     TextId::PictureButton,
     {120, 120, kDefaultButtonWidth, kDefaultButtonHeight}},
    // 文字
    {C::Label1, "Label1", K::Label, C::GroupBox2, TextId::TextColourLabel, {16, 24, 41, 17}},
    {C::FontColorBox1,
     "FontColorBox1",
     K::ColourPicker,
     C::GroupBox2,
     std::nullopt,
     {7, 40, 90, 22}},
    {C::BoldCheck, "BoldCheck", K::CheckBox, C::GroupBox2, TextId::BoldCheck, {119, 25, 81, 19}},
    {C::ShadowCheck,
     "ShadowCheck",
     K::CheckBox,
     C::GroupBox2,
     TextId::ShadowCheck,
     {119, 57, 82, 19}},
    {C::Label9, "Label9", K::Label, C::GroupBox2, TextId::FontLabel, {16, 88, 81, 17}},
    {C::ComboBox1,
     "ComboBox1",
     K::DropDown,
     C::GroupBox2,
     std::nullopt,
     {16, 112, 185, 22},
     {},
     std::nullopt,
     300},
    // Form
    {C::Label3, "Label3", K::Label, C::GroupBox3, TextId::OpacityLabel, {16, 64, 57, 17}},
    {C::OpSpin,
     "OpSpin",
     K::NumberBox,
     C::GroupBox3,
     std::nullopt,
     {72, 64, 57, 22},
     {M::kMinOpacity, M::kMaxOpacity, 0.1, 1}},
    {C::Label2, "Label2", K::Label, C::GroupBox3, TextId::IntervalLabel, {144, 64, 65, 17}},
    {C::SpinBox1,
     "SpinBox1",
     K::NumberBox,
     C::GroupBox3,
     std::nullopt,
     {216, 59, 57, 22},
     {M::kMinSeconds, M::kMaxSeconds, 1, 0}},
    {C::ShowTaskCheck,
     "ShowTaskCheck",
     K::CheckBox,
     C::GroupBox3,
     TextId::TaskBarCheck,
     {16, 32, 113, 19},
     {},
     TextId::RestartHint},
    {C::TopCheck, "TopCheck", K::CheckBox, C::GroupBox3, TextId::TopCheck, {144, 32, 73, 19}},
    {C::Label4, "Label4", K::Label, C::GroupBox3, TextId::WidthLabel, {16, 104, 49, 17}},
    {C::OrgWidthSpin,
     "OrgWidthSpin",
     K::NumberBox,
     C::GroupBox3,
     std::nullopt,
     {64, 104, 68, 22},
     {M::kMinWidthFactor, M::kMaxWidthFactor, 0.02, 2}},
    {C::Label6,
     "Label6",
     K::Label,
     C::GroupBox3,
     TextId::FormatLabel,
     {16, 248, kDefaultLabelWidth, kDefaultLabelHeight}},
    {C::Edit1, "Edit1", K::TextField, C::GroupBox3, std::nullopt, {8, 280, 273, 22}},
    // 85 wide rather than the design's 73: room for its text in the window's 12-pixel font, so
    // that a face fitting the text does not push Edit2 and ListBox1 along its row.
    {C::Label8, "Label8", K::Label, C::GroupBox3, TextId::SeparatorLabel, {16, 160, 85, 17}},
    {C::Edit2, "Edit2", K::TextField, C::GroupBox3, std::nullopt, {104, 160, 65, 22}},
    {C::ListBox1, "ListBox1", K::List, C::GroupBox3, std::nullopt, {200, 120, 73, 121}},
    // The window itself
    {C::Label5, "Label5", K::Label, C::Label5, TextId::FormatReminder, {8, 360, 545, 17}},
    {C::CloseBtn, "CloseBtn", K::Button, C::CloseBtn, TextId::CloseButton, {128, 408, 209, 41}},
};

// Each row stands at its control's place in the enumeration, so describe() is an index.
constexpr bool inOrder() {
    for (std::size_t i = 0; i < std::size(kControls); ++i)
        if (static_cast<std::size_t>(kControls[i].control) != i) return false;
    return std::size(kControls) == static_cast<std::size_t>(Control::CloseBtn) + 1;
}
static_assert(inOrder(), "one row per control, in the enumeration's order");

} // namespace

std::span<const ControlDescription> settingsControls() {
    return kControls;
}

const ControlDescription& describe(Control control) {
    return kControls[static_cast<std::size_t>(control)];
}

std::u16string_view settingsTitle() {
    return localText(TextId::SettingsTitle);
}

std::u16string_view captionOf(const ControlDescription& control) {
    return control.caption ? localText(*control.caption) : std::u16string_view{};
}

std::u16string_view hintOf(const ControlDescription& control) {
    return control.hint ? localText(*control.hint) : std::u16string_view{};
}

bool takesFocus(ControlKind kind) {
    return kind != ControlKind::Group && kind != ControlKind::Label;
}

Rect windowPlace(const ControlDescription& control) {
    Rect r = control.place;
    if (control.group != control.control) {
        const Rect& group = describe(control.group).place;
        r.left += group.left;
        r.top += group.top;
    }
    return r;
}

std::vector<std::u16string> controlEntries(Control control) {
    std::vector<std::u16string> entries;
    switch (control) {
    case Control::DirectionBox1: // gradient directions, index 0..2
        for (const TextId id :
             {TextId::DirectionVertical, TextId::DirectionHorizontal, TextId::DirectionDiagonal})
            entries.emplace_back(localText(id));
        break;
    case Control::ListBox1:
        for (std::size_t i = 0; i < kSeparatorEntries.size(); ++i)
            entries.push_back(separatorEntry(static_cast<int>(i)));
        break;
    case Control::ComboBox1:
        entries.assign(kFontFamilies.begin(), kFontFamilies.end());
        break;
    default:
        break;
    }
    return entries;
}

} // namespace zrm58
