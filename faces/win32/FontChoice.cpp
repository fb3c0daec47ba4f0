#include "faces/win32/FontChoice.h"
#include "faces/win32/Gdip.h"
#include <vector>

namespace zrm58::win32face {
namespace {

// Whether the installed family has a glyph for every character of `text` that lies in the
// Basic Multilingual Plane (astral ones, emoji mostly, are left to the renderer), asked of GDI.
bool covers(const std::wstring& family, const std::u16string& text) {
    std::wstring bmp;
    for (char16_t c : text)
        if ((c < 0xD800 || c > 0xDFFF) && (c < 0xE000 || c > 0xF8FF) && c > 0x20)
            bmp += static_cast<wchar_t>(c);
    if (bmp.empty()) return true;
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfCharSet = DEFAULT_CHARSET;
    family.copy(lf.lfFaceName, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<WORD> glyphs(bmp.size());
    const DWORD done = GetGlyphIndicesW(dc, bmp.c_str(), static_cast<int>(bmp.size()),
                                        glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    if (done == GDI_ERROR) return false;
    for (WORD g : glyphs)
        if (g == 0xFFFF) return false;
    return true;
}

std::vector<std::wstring> candidates(const std::u16string& name) {
    static const wchar_t* const kFallbacks[] = {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic",
                                                L"Noto Sans CJK JP", L"Noto Sans JP"};
    std::vector<std::wstring> all{std::wstring(name.begin(), name.end())};
    for (const wchar_t* fallback : kFallbacks)
        all.emplace_back(fallback);
    return all;
}

} // namespace

FontChoice::FontChoice(const std::u16string& name, const std::u16string& text) {
    std::unique_ptr<Gdiplus::FontFamily> firstAvailable;
    for (const std::wstring& candidate : candidates(name)) {
        auto family = std::make_unique<Gdiplus::FontFamily>(candidate.c_str());
        if (!family->IsAvailable()) continue;
        if (covers(candidate, text)) {
            own_ = std::move(family);
            break;
        }
        if (!firstAvailable) firstAvailable = std::move(family);
    }
    if (!own_) own_ = std::move(firstAvailable);
    family_ = own_ ? own_.get() : Gdiplus::FontFamily::GenericSansSerif();
}

std::wstring coveringFamily(const std::u16string& name, const std::u16string& text) {
    for (const std::wstring& candidate : candidates(name))
        if (covers(candidate, text)) return candidate;
    return std::wstring(name.begin(), name.end());
}

FontChoice::~FontChoice() = default;

} // namespace zrm58::win32face
