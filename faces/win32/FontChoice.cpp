#include "faces/win32/FontChoice.h"
#include "faces/win32/Gdip.h"

namespace zrm58::win32face {

FontChoice::FontChoice(const std::u16string& name) {
    static const wchar_t* const kFallbacks[] = {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic",
                                                L"Noto Sans CJK JP", L"Noto Sans JP"};
    const std::wstring wide(name.begin(), name.end());
    own_ = std::make_unique<Gdiplus::FontFamily>(wide.c_str());
    for (const wchar_t* fallback : kFallbacks) {
        if (own_->IsAvailable()) break;
        own_ = std::make_unique<Gdiplus::FontFamily>(fallback);
    }
    family_ = own_->IsAvailable() ? own_.get() : Gdiplus::FontFamily::GenericSansSerif();
}

FontChoice::~FontChoice() = default;

} // namespace zrm58::win32face
