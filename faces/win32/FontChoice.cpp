#include "faces/win32/FontChoice.h"
#include "faces/win32/Gdip.h"
#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace zrm58::win32face {
namespace {

// GDI's answer for each of `chars` (BMP units, no surrogates): whether `family` has a glyph for
// it. Nothing when no font could be made.
std::optional<std::vector<bool>> askGlyphs(const std::wstring& family, const std::wstring& chars) {
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfCharSet = DEFAULT_CHARSET;
    family.copy(lf.lfFaceName, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) return std::nullopt;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<WORD> glyphs(chars.size());
    const DWORD done = GetGlyphIndicesW(dc, chars.c_str(), static_cast<int>(chars.size()),
                                        glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    if (done == GDI_ERROR) return std::nullopt;
    std::vector<bool> has;
    for (WORD g : glyphs)
        has.push_back(g != 0xFFFF);
    return has;
}

// Whether the installed family has a glyph for every character of `text` that lies in the
// Basic Multilingual Plane (astral ones, emoji mostly, are left to the renderer), asked of GDI
// once per family and character.
bool covers(const std::wstring& family, const std::u16string& text) {
    static auto* const known = new std::map<std::wstring, std::map<wchar_t, bool>>;
    std::map<wchar_t, bool>& has = (*known)[family];
    std::wstring bmp, ask;
    for (char16_t c : text)
        if ((c < 0xD800 || c > 0xDFFF) && (c < 0xE000 || c > 0xF8FF) && c > 0x20) {
            bmp += static_cast<wchar_t>(c);
            if (!has.contains(c) && ask.find(static_cast<wchar_t>(c)) == std::wstring::npos)
                ask += static_cast<wchar_t>(c);
        }
    if (!ask.empty()) {
        const std::optional<std::vector<bool>> answers = askGlyphs(family, ask);
        if (!answers) return false;
        for (std::size_t i = 0; i < ask.size(); ++i)
            has[ask[i]] = (*answers)[i];
    }
    return std::all_of(bmp.begin(), bmp.end(), [&](wchar_t c) { return has[c]; });
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
    const Gdiplus::FontFamily* firstAvailable = nullptr;
    for (const std::wstring& candidate : candidates(name)) {
        const Gdiplus::FontFamily* family = installedFamily(candidate);
        if (!family) continue;
        if (covers(candidate, text)) {
            family_ = family;
            break;
        }
        if (!firstAvailable) firstAvailable = family;
    }
    if (!family_) family_ = firstAvailable;
    if (!family_) family_ = Gdiplus::FontFamily::GenericSansSerif();
}

const Gdiplus::FontFamily* installedFamily(const std::wstring& name) {
    static auto* const families = new std::map<std::wstring, Gdiplus::FontFamily*>;
    auto it = families->find(name);
    if (it == families->end()) {
        auto* family = new Gdiplus::FontFamily(name.c_str());
        if (!family->IsAvailable()) {
            delete family;
            family = nullptr;
        }
        it = families->emplace(name, family).first;
    }
    return it->second;
}

std::wstring coveringFamily(const std::u16string& name, const std::u16string& text) {
    for (const std::wstring& candidate : candidates(name))
        if (covers(candidate, text)) return candidate;
    return std::wstring(name.begin(), name.end());
}

} // namespace zrm58::win32face
