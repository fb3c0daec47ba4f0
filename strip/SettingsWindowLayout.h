#pragma once
// The settings window `Form2` without a toolkit: its title and size, and every control with its
// kind, text, place, range and hover hint, in the keyboard's order. Every face builds its window
// by walking this table, so a text or a place is written here once.
#include "strip/StripGeometry.h"
#include "texts/Texts.h"
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zrm58 {

// The client area, in the design's logical pixels.
inline constexpr Size kSettingsClient{559, 473};

// The controls by their design names, in the table's order.
enum class Control {
    GroupBox3,
    GroupBox1,
    GroupBox2,
    GraCheck,
    ComboColorBox2,
    ComboColorBox1,
    DirectionBox1,
    GazouCheck,
    SelectFileBtn,
    Label1,
    FontColorBox1,
    BoldCheck,
    ShadowCheck,
    Label9,
    ComboBox1,
    Label3,
    OpSpin,
    Label2,
    SpinBox1,
    ShowTaskCheck,
    TopCheck,
    Label4,
    OrgWidthSpin,
    Label6,
    Edit1,
    Label8,
    Edit2,
    ListBox1,
    Label5,
    CloseBtn,
};

enum class ControlKind {
    Group,        // a framed group box with a caption; holds the controls that name it
    Label,        // a text
    CheckBox,     //
    NumberBox,    // a spin box: text field and arrows
    TextField,    // one line of text
    List,         // a list of entries, always open
    DropDown,     // a drop-down list of entries
    ColourPicker, // shows an ARGB colour and edits it
    Button,       // a push button
};

// A spin box's numbers: its range (a value outside it is taken at the nearest bound), the step
// of its arrows and how many decimals it shows.
struct NumberFormat {
    double min = 0;
    double max = 0;
    double step = 0;
    int decimals = 0;
};

struct ControlDescription {
    Control control;
    std::string_view name; // the design name
    ControlKind kind;
    Control group;                 // the group box it sits in; itself for a control of the window
    std::optional<TextId> caption; // its text (localText), none where it shows a value
    // Its top-left corner within its group (or the window) and its size, in the design's
    // logical pixels; a face widens a text that its font makes wider than this.
    Rect place;
    NumberFormat number{};           // NumberBox only
    std::optional<TextId> hint = {}; // the hover hint, none for none
    int listHeight = 0; // DropDown: the height of the list when open, where the toolkit asks
};

// Every control, groups first, then the keyboard's order through the window: the group "背景"
// (the second colour before the first), then "文字", then "Form", then Close. Labels and groups
// take no keyboard focus.
std::span<const ControlDescription> settingsControls();
const ControlDescription& describe(Control control);

// The window's title, and a control's caption and hover hint in the strip's language (empty
// where it has none).
std::u16string_view settingsTitle();
std::u16string_view captionOf(const ControlDescription& control);
std::u16string_view hintOf(const ControlDescription& control);
// Whether the control takes the keyboard focus (Tab moves to it).
bool takesFocus(ControlKind kind);
// The control's place within the window itself: its group's corner added.
Rect windowPlace(const ControlDescription& control);
// The entries a list or drop-down list holds at first, in order (UTF-16, one character an
// entry for the separators); none for any other control.
std::vector<std::u16string> controlEntries(Control control);

} // namespace zrm58
