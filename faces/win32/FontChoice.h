#pragma once
#include <memory>
#include <string>

namespace Gdiplus {
class FontFamily;
}

namespace zrm58::win32face {

// The font family for a name the user chose: that family when it is installed, else the first
// installed of the families that carry the Japanese texts (Windows' own, then the Noto CJK
// family that a Wine on Linux finds), else GDI+'s generic sans-serif.
class FontChoice {
public:
    explicit FontChoice(const std::u16string& name);
    ~FontChoice();
    const Gdiplus::FontFamily* get() const { return family_; }

private:
    std::unique_ptr<Gdiplus::FontFamily> own_;
    const Gdiplus::FontFamily* family_ = nullptr;
};

} // namespace zrm58::win32face
