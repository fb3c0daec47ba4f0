#include "faces/win32/LineRuns.h"
#include "drawing/FontCmap.h"
#include "drawing/TextRuns.h"
#include "faces/win32/FontChoice.h"
#include <cmath>
#include <map>
#include <optional>
#include <tuple>

namespace zrm58::win32face {
namespace {

using namespace zrm58::textruns;

// After the line's own family and the Japanese ones: the families that hold emoji and symbols.
constexpr const wchar_t* kSymbolFamilies[] = {L"Segoe UI Emoji", L"Segoe UI Symbol", L"Symbola"};
constexpr const wchar_t* kJapaneseFamilies[] = {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic",
                                                L"Noto Sans CJK JP", L"Noto Sans JP"};
constexpr DWORD kCmapTag = 0x70616D63; // 'cmap', as GetFontData takes it

// A GDI font of the family, when the system has that family itself (not a substitute).
struct GdiFont {
    GdiFont(const std::wstring& family, int emPixels) {
        if (family.empty() || family.size() >= LF_FACESIZE) return;
        LOGFONTW lf{};
        lf.lfHeight = -emPixels;
        lf.lfCharSet = DEFAULT_CHARSET;
        family.copy(lf.lfFaceName, LF_FACESIZE - 1);
        font = CreateFontIndirectW(&lf);
        dc = CreateCompatibleDC(nullptr);
        if (!font || !dc) return;
        old = SelectObject(dc, font);
        wchar_t face[LF_FACESIZE] = L"";
        GetTextFaceW(dc, LF_FACESIZE, face);
        real = _wcsicmp(face, family.c_str()) == 0;
    }
    ~GdiFont() {
        if (dc && old) SelectObject(dc, old);
        if (dc) DeleteDC(dc);
        if (font) DeleteObject(font);
    }
    HFONT font = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
    bool real = false;
};

// Whether the system has a family of that name, asked without making a font of it: a font of a
// family it lacks is made of a substitute, whose face the system then loads and keeps.
bool installed(const std::wstring& family) {
    if (family.empty() || family.size() >= LF_FACESIZE) return false;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    family.copy(lf.lfFaceName, LF_FACESIZE - 1);
    HDC dc = CreateCompatibleDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(
        dc, &lf,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM lp) -> int {
            *reinterpret_cast<bool*>(lp) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    DeleteDC(dc);
    return found;
}

// The family's own character map; nothing for a family the system lacks. Read at the size the
// coverage check makes its font at (FontChoice), so that the system's kept font serves both.
std::optional<FontCmap> readCmap(const std::wstring& family) {
    if (!installed(family)) return std::nullopt;
    GdiFont gdi(family, 12);
    if (!gdi.real) return std::nullopt;
    const DWORD size = GetFontData(gdi.dc, kCmapTag, 0, nullptr, 0);
    if (size == GDI_ERROR || size == 0) return std::nullopt;
    std::string table(size, '\0');
    if (GetFontData(gdi.dc, kCmapTag, 0, table.data(), size) != size) return std::nullopt;
    return FontCmap::parse(std::move(table));
}

// The character maps of the families asked about so far: read once for the program's life.
const FontCmap* cmapOf(const std::wstring& family) {
    static std::map<std::wstring, std::optional<FontCmap>> maps;
    auto it = maps.find(family);
    if (it == maps.end()) it = maps.emplace(family, readCmap(family)).first;
    return it->second ? &*it->second : nullptr;
}

std::wstring wide(std::u16string_view s) {
    return std::wstring(s.begin(), s.end());
}

// One line, no padding around the glyphs, trailing spaces counted: runs follow each other.
void setRunFormat(Gdiplus::StringFormat& format) {
    format.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap |
                          Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentNear);
}

} // namespace

struct LineRuns::Face {
    Face(const Gdiplus::FontFamily* f, std::wstring n, float size, bool bold)
        : name(std::move(n)), style(bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular),
          font(f, size, style, Gdiplus::UnitPixel) {
        const float em = std::max<float>(1, f->GetEmHeight(style));
        ascent = size * f->GetCellAscent(style) / em;
        lineSpacing = size * f->GetLineSpacing(style) / em;
    }
    std::wstring name;
    INT style;
    Gdiplus::Font font;
    float ascent = 0, lineSpacing = 0;
    const FontCmap* cmap = cmapOf(name);
};

// The face of a family at a size and weight, made once and kept for the program's life (never
// freed, as installedFamily's families): every tick lays its line out in the same faces.
const LineRuns::Face& LineRuns::keptFace(const Gdiplus::FontFamily* family,
                                         const std::wstring& name, float size, bool bold) {
    using Key = std::tuple<std::wstring, float, bool>;
    static auto* const faces = new std::map<Key, Face*>;
    Face*& face = (*faces)[Key{name, size, bold}];
    if (!face) face = new Face(family, name, size, bold);
    return *face;
}

struct LineRuns::Run {
    std::size_t begin, end;
    int face;
    bool astral;
};

LineRuns::LineRuns(const std::u16string& text, const std::u16string& family, float size, bool bold,
                   float boxWidth)
    : size_(std::max(1.0f, std::round(size))) {
    text_ = text.substr(0, shownPrefix(text, roomFor(boxWidth, size_)));
    if (text_.empty()) return;
    // A family name is at most LF_FACESIZE - 1 units: a longer one names no font.
    const std::u16string name = family.size() < LF_FACESIZE ? family : std::u16string();
    choice_ = std::make_unique<FontChoice>(name, text_);
    WCHAR chosen[LF_FACESIZE] = L"";
    choice_->get()->GetFamilyName(chosen);
    std::vector<std::wstring> names{chosen};
    for (const wchar_t* more : kJapaneseFamilies)
        if (_wcsicmp(more, chosen) != 0) names.emplace_back(more);
    for (const wchar_t* more : kSymbolFamilies)
        names.emplace_back(more);
    std::vector<const FontCmap*> maps;
    for (const std::wstring& n : names)
        maps.push_back(cmapOf(n));
    const auto has = [&](int font, char32_t c) {
        if (maps[font]) return maps[font]->glyph(c).has_value();
        return font == 0 && c <= 0xFFFF; // the line's own family, asked of nobody
    };
    std::map<int, int> faceOf; // font index -> index into faces_
    faces_.push_back(&keptFace(choice_->get(), names[0], size_, bold));
    faceOf[0] = 0;
    for (const textruns::Run& r : splitRuns(text_, static_cast<int>(names.size()), has)) {
        auto it = faceOf.find(r.font);
        if (it == faceOf.end()) {
            const Gdiplus::FontFamily* family = installedFamily(names[r.font]);
            if (!family) continue;
            faces_.push_back(&keptFace(family, names[r.font], size_, bold));
            it = faceOf.emplace(r.font, static_cast<int>(faces_.size() - 1)).first;
        }
        runs_.push_back(Run{r.begin, r.end, it->second, r.astral});
    }
}

LineRuns::~LineRuns() = default;

// The glyphs of an astral run, by the face's own character map (the missing glyph for a
// character it lacks; nothing for the joiners and selectors it has no glyph for), and their
// advances in logical pixels.
namespace {
struct Glyphs {
    std::vector<UINT16> ids;
    std::vector<float> advances;
};
} // namespace

static Glyphs glyphsOf(std::u16string_view text, const FontCmap* cmap, const std::wstring& family,
                       float size) {
    Glyphs out;
    for (std::size_t i = 0, units = 1; i < text.size(); i += units) {
        const char32_t c = codePointAt(text, i, &units);
        const std::optional<std::uint16_t> g = cmap ? cmap->glyph(c) : std::nullopt;
        if (g)
            out.ids.push_back(*g);
        else if (c != 0x200D && !(c >= 0xFE00 && c <= 0xFE0F) && !(c >= 0xE0000 && c <= 0xE01EF))
            out.ids.push_back(0);
    }
    // Advances from a GDI font at a large em, where hinting does not round them.
    constexpr int kEm = 1024;
    GdiFont gdi(family, kEm);
    std::vector<INT> widths(out.ids.size(), kEm / 2);
    if (gdi.dc && !out.ids.empty())
        GetCharWidthI(gdi.dc, 0, static_cast<UINT>(out.ids.size()), out.ids.data(), widths.data());
    for (INT w : widths)
        out.advances.push_back(static_cast<float>(w) * size / kEm);
    return out;
}

double LineRuns::runWidth(Gdiplus::Graphics& g, const Run& run) const {
    const Face& face = *faces_[run.face];
    const std::u16string_view part =
        std::u16string_view(text_).substr(run.begin, run.end - run.begin);
    if (run.astral) {
        double w = 0;
        for (float a : glyphsOf(part, face.cmap, face.name, size_).advances)
            w += a;
        return w;
    }
    const std::wstring text = wide(part);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    setRunFormat(format);
    Gdiplus::RectF bounds;
    g.MeasureString(text.c_str(), static_cast<INT>(text.size()), &face.font, Gdiplus::PointF(0, 0),
                    &format, &bounds);
    return bounds.Width;
}

void LineRuns::drawRun(Gdiplus::Graphics& g, const Run& run, float x, float baseline,
                       const Gdiplus::Brush& brush) const {
    const Face& face = *faces_[run.face];
    const std::u16string_view part =
        std::u16string_view(text_).substr(run.begin, run.end - run.begin);
    if (run.astral) {
        const Glyphs glyphs = glyphsOf(part, face.cmap, face.name, size_);
        if (glyphs.ids.empty()) return;
        std::vector<Gdiplus::PointF> at;
        for (float a : glyphs.advances) {
            at.emplace_back(x, baseline);
            x += a;
        }
        g.DrawDriverString(glyphs.ids.data(), static_cast<INT>(glyphs.ids.size()), &face.font,
                           &brush, at.data(), 0, nullptr);
        return;
    }
    const std::wstring text = wide(part);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    setRunFormat(format);
    g.DrawString(text.c_str(), static_cast<INT>(text.size()), &face.font,
                 Gdiplus::PointF(x, baseline - face.ascent), &format, &brush);
}

void LineRuns::draw(Gdiplus::Graphics& g, float x, float top, float width, float height,
                    std::uint32_t color) const {
    if (runs_.empty() || width <= 0) return;
    // One baseline for every run: the line's own font centred in the box, as one line of it.
    const Face& own = *faces_[0];
    const float baseline = top + (height - own.lineSpacing) / 2 + own.ascent;
    Gdiplus::GraphicsState state = g.Save();
    g.IntersectClip(Gdiplus::RectF(x, top, width, height));
    const Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    float at = x;
    for (std::size_t i = 0; i < runs_.size() && at < x + width; ++i) {
        drawRun(g, runs_[i], at, baseline, brush);
        if (i + 1 < runs_.size()) at += static_cast<float>(runWidth(g, runs_[i]));
    }
    g.Restore(state);
}

double LineRuns::width(Gdiplus::Graphics& g) const {
    double w = 0;
    for (const Run& run : runs_)
        w += runWidth(g, run);
    return w;
}

} // namespace zrm58::win32face
