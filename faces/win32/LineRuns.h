#pragma once
#include "faces/win32/Gdip.h"
#include <memory>
#include <string>
#include <vector>

// The strip's line laid out on one line in runs of one font each, cut where its box ends: each
// character is drawn with the first font of a chain that has a glyph for it (the chosen family,
// the families that carry the Japanese texts, then the emoji and symbol families), as the
// system's own text drawing falls back. Runs with characters beyond U+FFFF are drawn by glyph
// index from the font's own character map: GDI+ looks glyphs up per UTF-16 unit on some systems
// and draws a surrogate pair as two missing glyphs.
namespace zrm58::win32face {

class LineRuns {
public:
    // `text` in the family (a name longer than a font name can be names no font), at `size`
    // logical pixels, cut to what a box `boxWidth` wide can show.
    LineRuns(const std::u16string& text, const std::u16string& family, float size, bool bold,
             float boxWidth);
    ~LineRuns();
    // Draws the runs from x, vertically centred in [top, top + height), clipped to the box.
    void draw(Gdiplus::Graphics& g, float x, float top, float width, float height,
              std::uint32_t color) const;
    // The width the runs take, laid out under `g`'s transform.
    double width(Gdiplus::Graphics& g) const;
    bool empty() const { return runs_.empty(); }

private:
    struct Face;
    struct Run;
    static const Face& keptFace(const Gdiplus::FontFamily* family, const std::wstring& name,
                                float size, bool bold);
    double runWidth(Gdiplus::Graphics& g, const Run& run) const;
    void drawRun(Gdiplus::Graphics& g, const Run& run, float x, float baseline,
                 const Gdiplus::Brush& brush) const;

    std::u16string text_;
    float size_;
    // The chosen family; the fallbacks taken are installedFamily's.
    std::unique_ptr<class FontChoice> choice_;
    std::vector<const Face*> faces_; // faces_[0]: the line's own
    std::vector<Run> runs_;
};

} // namespace zrm58::win32face
