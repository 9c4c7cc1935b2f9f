// Drawing into memory contexts: flood fill, lines with the selected pen, pixels.
// Contexts of the desktop and of windows accept the calls and draw nowhere.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "platform/gdi/gdi_state.h"

namespace plat {

using gdi::detail::Context;
using gdi::detail::Gdi;
using gdi::detail::Object;
using gdi::detail::State;
using gdi::detail::SwapRedBlue;

namespace {

constexpr std::uint32_t kRgbMask = 0x00FFFFFFu;

std::uint32_t* Row(const Context& c, int y) {
    return reinterpret_cast<std::uint32_t*>(reinterpret_cast<unsigned char*>(c.pixels) +
                                            static_cast<std::ptrdiff_t>(y) * c.pitch);
}

bool Inside(const Context& c, long long x, long long y) {
    return x >= 0 && y >= 0 && x < c.width && y < c.height;
}

// Border fill: every pixel reachable from the seed without crossing the border
// colour. Scanline spans on an explicit stack, and a visited map so a brush of
// the colour already there cannot make it loop; memory is bounded by the area.
bool BorderFill(const Context& c, int x, int y, std::uint32_t border, std::uint32_t fill) {
    const std::size_t width = static_cast<std::size_t>(c.width);
    std::vector<bool> visited(width * static_cast<std::size_t>(c.height), false);
    auto open = [&](int px, int py) {
        return !visited[static_cast<std::size_t>(py) * width + px] && (Row(c, py)[px] & kRgbMask) != border;
    };
    std::vector<std::pair<int, int>> seeds;
    seeds.emplace_back(x, y);
    while (!seeds.empty()) {
        auto [sx, sy] = seeds.back();
        seeds.pop_back();
        if (!open(sx, sy)) continue;
        int left = sx, right = sx;
        while (left > 0 && open(left - 1, sy)) --left;
        while (right + 1 < c.width && open(right + 1, sy)) ++right;
        std::uint32_t* row = Row(c, sy);
        for (int i = left; i <= right; ++i) {
            row[i] = fill;
            visited[static_cast<std::size_t>(sy) * width + i] = true;
        }
        for (int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= c.height) continue;
            for (int i = left; i <= right; ++i) {
                if (open(i, ny) && (i == left || !open(i - 1, ny))) seeds.emplace_back(i, ny);
            }
        }
    }
    return true;
}

// The line from (x0, y0) towards (x1, y1), its end point left out. Each step
// along the major axis sets a run of `penWidth` pixels across it, centred so
// that an even width straddles the line (width 2 on row 64 covers rows 63
// and 64). Only the steps that land on the surface are visited, so far-away
// coordinates cost nothing.
void DrawLine(const Context& c, long long x0, long long y0, long long x1, long long y1, std::uint32_t pixel,
              int penWidth) {
    const long long dx = x1 - x0, dy = y1 - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long majorDelta = xMajor ? dx : dy;
    const long long minorDelta = xMajor ? dy : dx;
    const unsigned long long steps = static_cast<unsigned long long>(std::llabs(majorDelta));
    if (steps == 0) return;
    const long long major0 = xMajor ? x0 : y0;
    const long long minor0 = xMajor ? y0 : x0;
    const long long majorLimit = xMajor ? c.width : c.height;
    const long long minorLimit = xMajor ? c.height : c.width;
    const long long sign = majorDelta > 0 ? 1 : -1;

    long long first = 0, last = static_cast<long long>(steps) - 1;
    if (sign > 0) {
        first = std::max(first, -major0);
        last = std::min(last, majorLimit - 1 - major0);
    } else {
        first = std::max(first, major0 - (majorLimit - 1));
        last = std::min(last, major0);
    }
    const unsigned long long minorStep = static_cast<unsigned long long>(std::llabs(minorDelta));
    const long long minorSign = minorDelta < 0 ? -1 : 1;
    const long long half = penWidth / 2;
    for (long long t = first; t <= last; ++t) {
        // t * |minorDelta| / steps rounded half away from zero, in unsigned
        // arithmetic: both factors are below 2^32, so the product fits.
        unsigned long long product = static_cast<unsigned long long>(t) * minorStep;
        unsigned long long q = product / steps, r = product % steps;
        if (r >= steps - r) ++q;
        const long long major = major0 + sign * t;
        const long long minor = minor0 + minorSign * static_cast<long long>(q);
        long long from = std::max(minor - half, 0LL);
        long long to = std::min(minor - half + penWidth - 1, minorLimit - 1);
        for (long long m = from; m <= to; ++m) {
            if (xMajor) {
                Row(c, static_cast<int>(m))[major] = pixel;
            } else {
                Row(c, static_cast<int>(major))[m] = pixel;
            }
        }
    }
}

}  // namespace

BOOL FloodFill(HDC dc, int x, int y, COLORREF border) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    Context* context = gdi::detail::FindContext(state, dc);
    if (!context || context->kind != Context::Kind::Memory || !Inside(*context, x, y)) return FALSE;
    const Object* brush = gdi::detail::SelectedObject(state, context->brush);
    if (!brush) return FALSE;
    const std::uint32_t borderPixel = SwapRedBlue(border & kRgbMask);
    if ((Row(*context, y)[x] & kRgbMask) == borderPixel) return FALSE;  // nothing to fill
    try {
        return BorderFill(*context, x, y, borderPixel, SwapRedBlue(brush->color)) ? TRUE : FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    Context* context = gdi::detail::FindContext(state, dc);
    if (!context) return FALSE;
    if (previous) *previous = context->position;
    context->position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    Context* context = gdi::detail::FindContext(state, dc);
    if (!context) return FALSE;
    const POINT from = context->position;
    context->position = POINT{x, y};
    if (context->kind != Context::Kind::Memory) return TRUE;
    const Object* pen = gdi::detail::SelectedObject(state, context->pen);
    if (!pen) return FALSE;
    DrawLine(*context, from.x, from.y, x, y, SwapRedBlue(pen->color), pen->width);
    return TRUE;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    Context* context = gdi::detail::FindContext(state, dc);
    if (!context || context->kind != Context::Kind::Memory || !Inside(*context, x, y)) return CLR_INVALID;
    return SwapRedBlue(Row(*context, y)[x] & kRgbMask);
}

}  // namespace plat
