// Drawing into 32-bit memory: border flood fill, lines with pen widths and the
// left-out end point, clipping, and the colour order of the pixels.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

using namespace plat;

namespace {

constexpr std::uint32_t kGuard = 0xA5A5A5A5;  // fills the padding at each row's end

// A picture whose rows are longer than its width, so writes past the right
// edge land in guard pixels that the tests check.
class Canvas {
public:
    Canvas(int width, int height, std::uint32_t fill = 0, int padding = 3)
        : width_(width), height_(height), stride_(width + padding), pixels_(std::size_t(stride_) * height, kGuard) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) At(x, y) = fill;
        dc_ = gdi::CreateMemoryDC(pixels_.data(), width, height, stride_ * 4);
    }
    ~Canvas() {
        gdi::DeleteMemoryDC(dc_);
        for (HGDIOBJ object : objects_) DeleteObject(object);
    }

    HDC dc() const { return dc_; }
    std::uint32_t& At(int x, int y) { return pixels_[std::size_t(y) * stride_ + x]; }

    void UseBrush(COLORREF color) { Select(CreateSolidBrush(color)); }
    void UsePen(int width, COLORREF color) { Select(CreatePen(PS_SOLID, width, color)); }

    bool GuardsIntact() const {
        for (int y = 0; y < height_; ++y)
            for (int x = width_; x < stride_; ++x)
                if (pixels_[std::size_t(y) * stride_ + x] != kGuard) return false;
        return true;
    }
    int Count(std::uint32_t value) {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) n += At(x, y) == value;
        return n;
    }

private:
    void Select(HGDIOBJ object) {
        objects_.push_back(object);
        // Objects go after the context, so whatever stays selected is not deleted from under it.
        SelectObject(dc_, object);
    }

    int width_, height_, stride_;
    std::vector<std::uint32_t> pixels_;
    std::vector<HGDIOBJ> objects_;
    HDC dc_;
};

constexpr std::uint32_t kBorderPixel = 0x0000FF00;  // RGB(0, 255, 0) in display order
constexpr COLORREF kBorder = RGB(0, 255, 0);
constexpr std::uint32_t kRedPixel = 0x00FF0000;
constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(GdiFloodFill, FillsInsideTheBorderOnly) {
    Canvas canvas(20, 12);
    for (int x = 4; x <= 12; ++x) canvas.At(x, 2) = canvas.At(x, 9) = kBorderPixel;
    for (int y = 2; y <= 9; ++y) canvas.At(4, y) = canvas.At(12, y) = kBorderPixel;
    canvas.UseBrush(kRed);

    EXPECT_EQ(FloodFill(canvas.dc(), 8, 5, kBorder), TRUE);
    EXPECT_EQ(canvas.Count(kRedPixel), 7 * 6);
    EXPECT_EQ(canvas.At(5, 3), kRedPixel);
    EXPECT_EQ(canvas.At(11, 8), kRedPixel);
    EXPECT_EQ(canvas.At(3, 5), 0u);
    EXPECT_EQ(canvas.At(4, 5), kBorderPixel);
    EXPECT_EQ(canvas.Count(kBorderPixel), 2 * 9 + 2 * 6);

    // From outside, everything but the box and its border.
    canvas.UseBrush(RGB(0, 0, 255));
    EXPECT_EQ(FloodFill(canvas.dc(), 0, 0, kBorder), TRUE);
    EXPECT_EQ(canvas.Count(0x000000FF), 20 * 12 - 9 * 8);
    EXPECT_EQ(canvas.Count(kRedPixel), 7 * 6);
    EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(GdiFloodFill, RefusesBorderPixelsAndPointsOffThePicture) {
    Canvas canvas(8, 8);
    canvas.At(3, 3) = kBorderPixel;
    canvas.UseBrush(kRed);
    EXPECT_EQ(FloodFill(canvas.dc(), 3, 3, kBorder), FALSE);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {8, 0}, {0, 8}, {INT_MIN, INT_MAX}}) {
        EXPECT_EQ(FloodFill(canvas.dc(), x, y, kBorder), FALSE);
    }
    EXPECT_EQ(canvas.Count(kRedPixel), 0);
}

TEST(GdiFloodFill, BrushOfTheColourAlreadyThereStillFinishes) {
    // Nothing tells filled pixels from unfilled ones by colour here.
    Canvas canvas(16, 16, kRedPixel);
    for (int y = 0; y < 16; ++y) canvas.At(8, y) = kBorderPixel;
    canvas.UseBrush(kRed);
    EXPECT_EQ(FloodFill(canvas.dc(), 2, 2, kBorder), TRUE);
    EXPECT_EQ(canvas.Count(kBorderPixel), 16);
    EXPECT_EQ(canvas.Count(kRedPixel), 16 * 15);
}

TEST(GdiFloodFill, WindingCorridorIsFilledEndToEndWithoutRecursion) {
    // Walls every other column, open alternately at the top and the bottom: one
    // corridor snaking through a large picture. A recursive fill would overflow
    // the stack here; a scanline fill has to turn back up and down at each end.
    const int size = 1500;
    Canvas canvas(size, size);
    for (int x = 1; x < size; x += 2) {
        const bool openAtTop = (x / 2) % 2 == 1;
        for (int y = 0; y < size; ++y) {
            if (openAtTop ? y != 0 : y != size - 1) canvas.At(x, y) = kBorderPixel;
        }
    }
    const int walls = canvas.Count(kBorderPixel);
    canvas.UseBrush(kRed);
    EXPECT_EQ(FloodFill(canvas.dc(), 0, 0, kBorder), TRUE);
    EXPECT_EQ(canvas.Count(kRedPixel), size * size - walls);
    EXPECT_EQ(canvas.At(size - 2, size / 2), kRedPixel);  // the far end of the corridor
}

TEST(GdiLines, EndPointIsLeftOutInEveryDirection) {
    Canvas canvas(16, 16);
    canvas.UsePen(1, kRed);
    POINT previous{};
    EXPECT_EQ(MoveToEx(canvas.dc(), 2, 5, &previous), TRUE);
    EXPECT_EQ(LineTo(canvas.dc(), 10, 5), TRUE);
    for (int x = 2; x < 10; ++x) EXPECT_EQ(canvas.At(x, 5), kRedPixel) << x;
    EXPECT_EQ(canvas.At(10, 5), 0u);
    EXPECT_EQ(canvas.Count(kRedPixel), 8);

    // Backwards: from (10, 7) to (2, 7) leaves out x = 2.
    MoveToEx(canvas.dc(), 10, 7, nullptr);
    LineTo(canvas.dc(), 2, 7);
    EXPECT_EQ(canvas.At(10, 7), kRedPixel);
    EXPECT_EQ(canvas.At(3, 7), kRedPixel);
    EXPECT_EQ(canvas.At(2, 7), 0u);

    // Vertical and diagonal.
    MoveToEx(canvas.dc(), 14, 1, nullptr);
    LineTo(canvas.dc(), 14, 4);
    EXPECT_EQ(canvas.At(14, 1), kRedPixel);
    EXPECT_EQ(canvas.At(14, 3), kRedPixel);
    EXPECT_EQ(canvas.At(14, 4), 0u);
    MoveToEx(canvas.dc(), 0, 8, nullptr);
    LineTo(canvas.dc(), 6, 14);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(canvas.At(i, 8 + i), kRedPixel) << i;
    EXPECT_EQ(canvas.At(6, 14), 0u);

    // A line to where the pen already is draws nothing.
    const int before = canvas.Count(kRedPixel);
    EXPECT_EQ(LineTo(canvas.dc(), 6, 14), TRUE);
    EXPECT_EQ(canvas.Count(kRedPixel), before);
}

TEST(GdiLines, LineToMovesThePenSoSegmentsJoin) {
    Canvas canvas(10, 10);
    canvas.UsePen(1, kRed);
    MoveToEx(canvas.dc(), 1, 1, nullptr);
    LineTo(canvas.dc(), 5, 1);
    LineTo(canvas.dc(), 5, 5);  // starts at the first segment's left-out end
    EXPECT_EQ(canvas.At(5, 1), kRedPixel);
    EXPECT_EQ(canvas.At(5, 4), kRedPixel);
    EXPECT_EQ(canvas.At(5, 5), 0u);
    POINT previous{};
    MoveToEx(canvas.dc(), 0, 0, &previous);
    EXPECT_EQ(previous.x, 5);
    EXPECT_EQ(previous.y, 5);
}

TEST(GdiLines, PenWidthSpreadsAcrossTheLine) {
    Canvas canvas(20, 20);
    canvas.UsePen(2, kRed);
    MoveToEx(canvas.dc(), 0, 10, nullptr);
    LineTo(canvas.dc(), 19, 10);
    EXPECT_EQ(canvas.At(0, 9), kRedPixel);
    EXPECT_EQ(canvas.At(0, 10), kRedPixel);
    EXPECT_EQ(canvas.At(18, 9), kRedPixel);
    EXPECT_EQ(canvas.At(19, 10), 0u);
    EXPECT_EQ(canvas.Count(kRedPixel), 2 * 19);

    canvas.UsePen(3, RGB(0, 0, 255));
    MoveToEx(canvas.dc(), 5, 0, nullptr);
    LineTo(canvas.dc(), 5, 4);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(canvas.At(3, y), 0u);
        EXPECT_EQ(canvas.At(4, y), 0x000000FFu);
        EXPECT_EQ(canvas.At(5, y), 0x000000FFu);
        EXPECT_EQ(canvas.At(6, y), 0x000000FFu);
        EXPECT_EQ(canvas.At(7, y), 0u);
    }

    // A negative width draws as its absolute value.
    canvas.UsePen(-3, RGB(0, 255, 0));
    MoveToEx(canvas.dc(), 12, 0, nullptr);
    LineTo(canvas.dc(), 12, 4);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(canvas.At(10, y), 0u);
        for (int x = 11; x <= 13; ++x) EXPECT_EQ(canvas.At(x, y), kBorderPixel) << x << ", " << y;
        EXPECT_EQ(canvas.At(14, y), 0u);
    }
    EXPECT_EQ(canvas.Count(kBorderPixel), 3 * 4);

    // Width 0 is the thinnest pen, one pixel, as in GDI.
    canvas.UsePen(0, RGB(255, 255, 255));
    MoveToEx(canvas.dc(), 0, 15, nullptr);
    LineTo(canvas.dc(), 4, 15);
    EXPECT_EQ(canvas.At(1, 15), 0x00FFFFFFu);
    EXPECT_EQ(canvas.At(1, 14), 0u);
    EXPECT_EQ(canvas.At(1, 16), 0u);
    EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(GdiLines, FarAwayCoordinatesAreClippedToThePicture) {
    Canvas canvas(32, 16);
    canvas.UsePen(5, kRed);
    // Along the edges, half the pen hangs off the picture.
    MoveToEx(canvas.dc(), -1000000, 0, nullptr);
    LineTo(canvas.dc(), 1000000, 0);
    MoveToEx(canvas.dc(), 31, INT_MIN, nullptr);
    LineTo(canvas.dc(), 31, INT_MAX);
    EXPECT_TRUE(canvas.GuardsIntact());
    EXPECT_EQ(canvas.At(0, 0), kRedPixel);
    EXPECT_EQ(canvas.At(31, 2), kRedPixel);
    EXPECT_EQ(canvas.At(0, 3), 0u);
    EXPECT_EQ(canvas.At(28, 8), 0u);
    EXPECT_EQ(canvas.At(29, 8), kRedPixel);

    // Corner to corner of the whole coordinate range: the slope is one, so it
    // passes through every (i, i); only the visible steps are visited.
    canvas.UsePen(1, RGB(0, 0, 255));
    MoveToEx(canvas.dc(), INT_MIN, INT_MIN, nullptr);
    LineTo(canvas.dc(), INT_MAX, INT_MAX);
    for (int i = 5; i < 16; ++i) EXPECT_EQ(canvas.At(i, i), 0x000000FFu) << i;
    EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(GdiPixels, ColorrefIsSwappedIntoDisplayOrder) {
    Canvas canvas(4, 4);
    canvas.At(1, 2) = 0x00123456;                              // red 0x12, green 0x34, blue 0x56
    EXPECT_EQ(GetPixel(canvas.dc(), 1, 2), RGB(0x12, 0x34, 0x56));  // 0x00563412
    canvas.At(2, 2) = 0xFF123456;                              // the unused byte is ignored
    EXPECT_EQ(GetPixel(canvas.dc(), 2, 2), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(GetPixel(canvas.dc(), 4, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(canvas.dc(), 0, -1), CLR_INVALID);

    canvas.UsePen(1, RGB(0xAB, 0xCD, 0xEF));
    MoveToEx(canvas.dc(), 0, 0, nullptr);
    LineTo(canvas.dc(), 2, 0);
    EXPECT_EQ(canvas.At(0, 0), 0x00ABCDEFu);
    // A border given with the unused byte set still matches its colour.
    canvas.UseBrush(kRed);
    EXPECT_EQ(FloodFill(canvas.dc(), 1, 0, 0xFF000000u | RGB(0xAB, 0xCD, 0xEF)), FALSE);
}

}  // namespace
