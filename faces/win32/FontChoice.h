#pragma once
#include <memory>
#include <string>

namespace Gdiplus {
class FontFamily;
}

namespace zrm58::win32face {

// The font family for a name the user chose and the text it is to show: the first installed of
// that family and the families that carry the Japanese texts (Windows' own, then the Noto CJK
// family that a Wine on Linux finds) that has a glyph for every character of the text; else the
// first installed of them; else GDI+'s generic sans-serif. GDI+ itself falls back to another
// family for a missing glyph only on some systems.
// What the system answers (a family installed, a character's glyph in it) is asked once per
// family and character and kept for the program's life: the strip chooses anew at every tick.
class FontChoice {
public:
    FontChoice(const std::u16string& name, const std::u16string& text);
    const Gdiplus::FontFamily* get() const { return family_; }

private:
    const Gdiplus::FontFamily* family_ = nullptr;
};

// The installed family of that name, made once and kept for the program's life (never freed,
// so nothing of GDI+ is touched after its shutdown); null when the system lacks it.
const Gdiplus::FontFamily* installedFamily(const std::wstring& name);

// The name of the family FontChoice picks for GDI's own controls.
std::wstring coveringFamily(const std::u16string& name, const std::u16string& text);

} // namespace zrm58::win32face
