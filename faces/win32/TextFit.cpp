#include "faces/win32/TextFit.h"
#include "faces/win32/Dpi.h"
#include <algorithm>
#include <string>
#include <vector>

namespace zrm58::win32face {
namespace {

enum class Kind { Other, Label, Check, Group };

struct Box {
    HWND hwnd;
    RECT r;
    Kind kind;
    std::wstring text;
};

Kind kindOf(HWND h) {
    wchar_t cls[32] = L"";
    GetClassNameW(h, cls, 32);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    if (_wcsicmp(cls, L"Static") == 0) return Kind::Label;
    if (_wcsicmp(cls, L"Button") != 0) return Kind::Other;
    const LONG type = style & BS_TYPEMASK;
    if (type == BS_GROUPBOX) return Kind::Group;
    if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON ||
        type == BS_RADIOBUTTON || type == BS_AUTO3STATE || type == BS_3STATE)
        return Kind::Check;
    return Kind::Other;
}

bool rowsOverlap(const RECT& a, const RECT& b) {
    return a.top < b.bottom && b.top < a.bottom;
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

class Layout {
public:
    Layout(HWND parent, HDC dc, UINT dpi) : dc_(dc), dpi_(dpi) {
        for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            Box b{h, {}, kindOf(h), {}};
            GetWindowRect(h, &b.r);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&b.r), 2);
            b.text.resize(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1);
            b.text.resize(static_cast<std::size_t>(
                GetWindowTextW(h, b.text.data(), static_cast<int>(b.text.size()))));
            boxes_.push_back(std::move(b));
        }
    }

    int fit(int clientWidth) {
        const LONG designRight = rightmost();
        for (std::size_t i = 0; i < boxes_.size(); ++i) {
            const Box& b = boxes_[i];
            if ((b.kind != Kind::Label && b.kind != Kind::Check) || b.text.empty()) continue;
            const int need = needed(b);
            if (need <= b.r.right - b.r.left) continue;
            if (b.kind == Kind::Label && b.r.left + need > clientWidth && aloneOnRow(i))
                wrap(i);
            else
                widen(i, need);
        }
        for (const Box& b : boxes_)
            MoveWindow(b.hwnd, b.r.left, b.r.top, b.r.right - b.r.left, b.r.bottom - b.r.top,
                       FALSE);
        // The window keeps its right margin: wider by what the controls grew beyond it.
        return clientWidth + std::max<LONG>(0, rightmost() - designRight);
    }

private:
    LONG rightmost() const {
        LONG right = 0;
        for (const Box& b : boxes_)
            right = std::max(right, b.r.right);
        return right;
    }

    int textWidth(const std::wstring& text) const {
        RECT r{0, 0, 0, 0};
        DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        return r.right - r.left;
    }

    // The text's width and, for a check box, its square and the gap after it.
    int needed(const Box& b) const {
        const int square = b.kind == Kind::Check ? scaled(20, dpi_) : 0;
        return textWidth(b.text) + square + scaled(2, dpi_);
    }

    bool aloneOnRow(std::size_t i) const {
        for (std::size_t j = 0; j < boxes_.size(); ++j)
            if (j != i && boxes_[j].kind != Kind::Group && rowsOverlap(boxes_[i].r, boxes_[j].r))
                return false;
        return true;
    }

    void wrap(std::size_t i) {
        Box& b = boxes_[i];
        RECT r{0, 0, b.r.right - b.r.left, 0};
        DrawTextW(dc_, b.text.c_str(), static_cast<int>(b.text.size()), &r,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        b.r.bottom = std::max(b.r.bottom, b.r.top + r.bottom);
    }

    // Box i gets `width`; what lies right of it on its rows moves right as one by what it
    // needs; a group box that no longer holds a control grows in turn.
    void widen(std::size_t i, int width) {
        const RECT before = boxes_[i].r;
        boxes_[i].r.right = before.left + width;
        const bool group = boxes_[i].kind == Kind::Group;
        std::vector<std::size_t> right;
        LONG nearest = LONG_MAX;
        for (std::size_t j = 0; j < boxes_.size(); ++j) {
            const Box& o = boxes_[j];
            if (j == i || !rowsOverlap(before, o.r) || o.r.left < before.right) continue;
            if (!group && o.kind == Kind::Group) continue; // the row's containers stay
            right.push_back(j);
            nearest = std::min(nearest, o.r.left);
        }
        const LONG gap = std::min<LONG>(nearest - before.right, scaled(4, dpi_));
        const LONG shift = right.empty() ? 0 : std::max<LONG>(0, boxes_[i].r.right + gap - nearest);
        for (std::size_t j : right)
            OffsetRect(&boxes_[j].r, shift, 0);
        // A group box that held box i (or a control it moved) before and no longer does.
        std::vector<std::size_t> moved = right;
        moved.push_back(i);
        for (std::size_t g = 0; g < boxes_.size(); ++g) {
            if (boxes_[g].kind != Kind::Group || g == i) continue;
            LONG outgrown = 0;
            for (std::size_t j : moved) {
                RECT was = boxes_[j].r;
                if (j == i)
                    was = before;
                else
                    OffsetRect(&was, -shift, 0);
                if (inside(was, boxes_[g].r))
                    outgrown = std::max<LONG>(outgrown, boxes_[j].r.right + scaled(8, dpi_) -
                                                            boxes_[g].r.right);
            }
            if (outgrown > 0) widen(g, boxes_[g].r.right - boxes_[g].r.left + outgrown);
        }
    }

    HDC dc_;
    UINT dpi_;
    std::vector<Box> boxes_;
};

} // namespace

int fitTexts(HWND parent, HFONT font, UINT dpi, int clientWidth) {
    HDC dc = GetDC(parent);
    HGDIOBJ old = SelectObject(dc, font);
    Layout layout(parent, dc, dpi);
    const int width = layout.fit(clientWidth);
    SelectObject(dc, old);
    ReleaseDC(parent, dc);
    return width;
}

} // namespace zrm58::win32face
