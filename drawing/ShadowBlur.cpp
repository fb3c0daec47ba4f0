#include "drawing/ShadowBlur.h"
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <vector>

namespace zrm58 {
namespace {

// quotient[sum] = sum / (2 * radius + 1) for every sum a box of 8-bit values reaches: a table
// lookup in the inner loops costs a fraction of a division.
std::vector<std::uint8_t> boxQuotients(int radius) {
    const int span = 2 * radius + 1;
    std::vector<std::uint8_t> q(static_cast<std::size_t>(255 * span + 1));
    for (std::size_t s = 0; s < q.size(); ++s)
        q[s] = static_cast<std::uint8_t>(s / span);
    return q;
}

// One box pass along a row of `count` values, in place; `line` has room for `count`. The
// middle, where the box lies wholly inside the row, runs without the edge clamps.
void boxPassRow(std::uint8_t* row, int count, int radius, const std::uint8_t* quotient, int* line) {
    for (int i = 0; i < count; ++i)
        line[i] = row[i];
    int sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += line[std::clamp(i, 0, count - 1)];
    const int middleBegin = std::min(radius, count),
              middleEnd = std::max(middleBegin, count - radius - 1);
    int i = 0;
    for (; i < middleBegin; ++i) {
        row[i] = quotient[sum];
        sum += line[std::min(i + radius + 1, count - 1)] - line[std::max(i - radius, 0)];
    }
    for (; i < middleEnd; ++i) {
        row[i] = quotient[sum];
        sum += line[i + radius + 1] - line[i - radius];
    }
    for (; i < count; ++i) {
        row[i] = quotient[sum];
        sum += line[std::min(i + radius + 1, count - 1)] - line[std::max(i - radius, 0)];
    }
}

// One box pass down every column of a w x h plane (rows `stride` apart), in place, row by row
// so that memory is read in order.
void boxPassColumns(std::uint8_t* plane, int w, int h, std::ptrdiff_t stride, int radius,
                    const std::uint8_t* quotient, std::vector<std::uint8_t>& copy,
                    std::vector<int>& sums) {
    copy.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        std::copy_n(plane + y * stride, w, copy.begin() + static_cast<std::ptrdiff_t>(y) * w);
    auto row = [&](int y) {
        return copy.data() + static_cast<std::ptrdiff_t>(std::clamp(y, 0, h - 1)) * w;
    };
    sums.assign(static_cast<std::size_t>(w), 0);
    for (int i = -radius; i <= radius; ++i) {
        const std::uint8_t* r = row(i);
        for (int x = 0; x < w; ++x)
            sums[x] += r[x];
    }
    for (int y = 0; y < h; ++y) {
        std::uint8_t* out = plane + y * stride;
        const std::uint8_t* in = row(y + radius + 1);
        const std::uint8_t* outgoing = row(y - radius);
        for (int x = 0; x < w; ++x) {
            out[x] = quotient[sums[x]];
            sums[x] += in[x] - outgoing[x];
        }
    }
}

} // namespace

void blurAlphaPlane(std::uint8_t* plane, int w, int h, int radius) {
    if (w < 1 || h < 1 || radius <= 0) return;
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* a = plane + static_cast<std::ptrdiff_t>(y) * w;
        const auto first = std::find_if(a, a + w, [](std::uint8_t v) { return v != 0; });
        if (first == a + w) continue;
        const auto last =
            std::find_if(std::make_reverse_iterator(a + w), std::make_reverse_iterator(first),
                         [](std::uint8_t v) { return v != 0; });
        left = std::min(left, static_cast<int>(first - a));
        right = std::max(right, static_cast<int>(last.base() - a) - 1);
        top = std::min(top, y), bottom = y;
    }
    if (right < 0) return;
    const int spread = 3 * radius + 1;
    // Kept between calls: the radius changes only with the strip's height. One user-interface
    // thread draws.
    static int quotientRadius = -1;
    static std::vector<std::uint8_t> quotient;
    if (quotientRadius != radius) quotient = boxQuotients(radius), quotientRadius = radius;
    left = std::max(0, left - spread), right = std::min(w - 1, right + spread);
    top = std::max(0, top - spread), bottom = std::min(h - 1, bottom + spread);
    const int bw = right - left + 1, bh = bottom - top + 1;
    std::vector<int> line(static_cast<std::size_t>(bw)), sums;
    std::vector<std::uint8_t> copy;
    std::uint8_t* box = plane + static_cast<std::ptrdiff_t>(top) * w + left;
    for (int k = 0; k < 3; ++k) {
        for (int y = 0; y < bh; ++y)
            boxPassRow(box + static_cast<std::ptrdiff_t>(y) * w, bw, radius, quotient.data(),
                       line.data());
        boxPassColumns(box, bw, bh, w, radius, quotient.data(), copy, sums);
    }
}

} // namespace zrm58
