// GDI objects and contexts: selection, deletion, the desktop and window
// contexts, and what happens with handles that name nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/gdi/gdi.h"

using namespace plat;

namespace {

struct Bitmap {
    explicit Bitmap(int w, int h, std::uint32_t fill = 0) : width(w), height(h), pixels(std::size_t(w) * h, fill) {
        dc = gdi::CreateMemoryDC(pixels.data(), w, h, w * 4);
    }
    ~Bitmap() { gdi::DeleteMemoryDC(dc); }
    int width, height;
    std::vector<std::uint32_t> pixels;
    HDC dc;
};

TEST(GdiObjects, SelectObjectHandsBackWhatWasSelected) {
    Bitmap bitmap(4, 4);
    ASSERT_NE(bitmap.dc, nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
    ASSERT_NE(brush, nullptr);
    ASSERT_NE(pen, nullptr);

    // A new context comes with a white brush and a pen already selected.
    HGDIOBJ firstBrush = SelectObject(bitmap.dc, brush);
    ASSERT_NE(firstBrush, nullptr);
    COLORREF color = 0;
    EXPECT_TRUE(gdi::BrushColor(firstBrush, &color));
    EXPECT_EQ(color, RGB(255, 255, 255));
    HGDIOBJ firstPen = SelectObject(bitmap.dc, pen);
    ASSERT_NE(firstPen, nullptr);
    EXPECT_NE(firstPen, firstBrush);
    EXPECT_FALSE(gdi::BrushColor(firstPen, &color));  // a pen is no brush

    // Brushes and pens have a slot each.
    EXPECT_EQ(SelectObject(bitmap.dc, firstBrush), brush);
    EXPECT_EQ(SelectObject(bitmap.dc, firstPen), pen);
    EXPECT_EQ(SelectObject(bitmap.dc, brush), firstBrush);
    EXPECT_EQ(SelectObject(bitmap.dc, brush), brush);
    EXPECT_EQ(SelectObject(bitmap.dc, firstBrush), brush);

    EXPECT_EQ(DeleteObject(brush), TRUE);
    EXPECT_EQ(DeleteObject(pen), TRUE);
    EXPECT_EQ(DeleteObject(brush), FALSE);  // already gone
    EXPECT_FALSE(gdi::BrushColor(brush, &color));
    // The stock objects are never deleted.
    EXPECT_EQ(DeleteObject(firstBrush), TRUE);
    EXPECT_TRUE(gdi::BrushColor(firstBrush, &color));
}

TEST(GdiObjects, ObjectDeletedWhileSelectedLivesUntilDeselected) {
    Bitmap bitmap(4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(9, 8, 7));
    HGDIOBJ old = SelectObject(bitmap.dc, brush);
    EXPECT_EQ(DeleteObject(brush), TRUE);
    // The context still paints with it...
    EXPECT_EQ(FloodFill(bitmap.dc, 0, 0, RGB(255, 0, 0)), TRUE);
    EXPECT_EQ(GetPixel(bitmap.dc, 3, 3), RGB(9, 8, 7));
    // ...but the handle cannot be selected anew, and goes with the deselection.
    Bitmap other(2, 2);
    EXPECT_EQ(SelectObject(other.dc, brush), nullptr);
    EXPECT_EQ(SelectObject(bitmap.dc, old), brush);
    COLORREF color;
    EXPECT_FALSE(gdi::BrushColor(brush, &color));
    EXPECT_EQ(DeleteObject(brush), FALSE);
}

TEST(GdiObjects, DeletingTheContextLetsGoOfItsObjects) {
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    {
        Bitmap bitmap(4, 4);
        SelectObject(bitmap.dc, pen);
        EXPECT_EQ(DeleteObject(pen), TRUE);  // pending while the context holds it
    }
    Bitmap later(4, 4);
    EXPECT_EQ(SelectObject(later.dc, pen), nullptr);  // gone with the context
}

TEST(GdiObjects, NullStaleAndForeignHandlesFail) {
    Bitmap bitmap(4, 4);
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    const HDC bogusDc = reinterpret_cast<HDC>(std::uintptr_t{0xDEADBEEF});
    const HGDIOBJ bogusObject = reinterpret_cast<HGDIOBJ>(std::uintptr_t{0xDEADBEEF});

    EXPECT_EQ(SelectObject(nullptr, brush), nullptr);
    EXPECT_EQ(SelectObject(bogusDc, brush), nullptr);
    EXPECT_EQ(SelectObject(bitmap.dc, nullptr), nullptr);
    EXPECT_EQ(SelectObject(bitmap.dc, bogusObject), nullptr);
    // A context handle is not an object handle.
    EXPECT_EQ(SelectObject(bitmap.dc, reinterpret_cast<HGDIOBJ>(bitmap.dc)), nullptr);
    EXPECT_EQ(DeleteObject(nullptr), FALSE);
    EXPECT_EQ(DeleteObject(bogusObject), FALSE);
    EXPECT_EQ(DeleteObject(reinterpret_cast<HGDIOBJ>(bitmap.dc)), FALSE);
    EXPECT_FALSE(gdi::BrushColor(nullptr, nullptr));

    for (HDC dc : {HDC{nullptr}, bogusDc}) {
        POINT previous{7, 7};
        EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 0);
        EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
        EXPECT_EQ(FloodFill(dc, 0, 0, 0), FALSE);
        EXPECT_EQ(MoveToEx(dc, 1, 1, &previous), FALSE);
        EXPECT_EQ(previous.x, 7);
        EXPECT_EQ(LineTo(dc, 2, 2), FALSE);
        EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    }
    gdi::DeleteMemoryDC(nullptr);
    gdi::DeleteMemoryDC(bogusDc);

    std::uint32_t pixels[4] = {};
    EXPECT_EQ(gdi::CreateMemoryDC(nullptr, 2, 2, 8), nullptr);
    EXPECT_EQ(gdi::CreateMemoryDC(pixels, 0, 2, 8), nullptr);
    EXPECT_EQ(gdi::CreateMemoryDC(pixels, 2, -1, 8), nullptr);
    EXPECT_EQ(gdi::CreateMemoryDC(pixels, 2, 2, 4), nullptr);  // rows would overlap
    EXPECT_EQ(gdi::CreateMemoryDC(pixels, 2, 2, 9), nullptr);  // rows must stay aligned
    EXPECT_EQ(CreatePen(3, 1, 0), nullptr);                    // only solid pens
    EXPECT_EQ(DeleteObject(brush), TRUE);
}

TEST(GdiContexts, DesktopAndWindowContextsAnswerButDrawNowhere) {
    HDC desktop = GetDC(nullptr);
    ASSERT_NE(desktop, nullptr);
    // The offscreen display is XRGB8888: 24 significant bits, stored in 32.
    EXPECT_EQ(GetDeviceCaps(desktop, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(desktop, BITSPIXEL), gdi::DesktopBitsPerPixel());
    EXPECT_EQ(ReleaseDC(nullptr, desktop), 1);
    EXPECT_EQ(ReleaseDC(nullptr, desktop), 0);
    EXPECT_EQ(GetDeviceCaps(desktop, BITSPIXEL), 0);

    HWND window = reinterpret_cast<HWND>(std::uintptr_t{0x5000});
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    HBRUSH brush = CreateSolidBrush(RGB(5, 5, 5));
    HGDIOBJ old = SelectObject(dc, brush);
    EXPECT_NE(old, nullptr);
    EXPECT_EQ(FloodFill(dc, 1, 1, 0), FALSE);
    POINT previous{};
    EXPECT_EQ(MoveToEx(dc, 3, 4, nullptr), TRUE);
    EXPECT_EQ(LineTo(dc, 30, 40), TRUE);
    EXPECT_EQ(MoveToEx(dc, 0, 0, &previous), TRUE);
    EXPECT_EQ(previous.x, 30);
    EXPECT_EQ(previous.y, 40);
    EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 0);  // not the window it came from
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(DeleteObject(brush), TRUE);  // no longer selected anywhere

    Bitmap bitmap(2, 2);
    EXPECT_EQ(ReleaseDC(nullptr, bitmap.dc), 0);  // memory contexts go another way
    EXPECT_EQ(GetPixel(bitmap.dc, 0, 0), RGB(0, 0, 0));
}

TEST(GdiContexts, DesktopDepthCanBeOverridden) {
    Bitmap bitmap(2, 2);
    HDC desktop = GetDC(nullptr);
    setenv("KESTROVA_DESKTOP_BPP", "16", 1);
    EXPECT_EQ(GetDeviceCaps(desktop, BITSPIXEL), 16);
    EXPECT_EQ(GetDeviceCaps(bitmap.dc, BITSPIXEL), 32);  // memory is what it is
    setenv("KESTROVA_DESKTOP_BPP", "8", 1);
    EXPECT_EQ(GetDeviceCaps(desktop, BITSPIXEL), 8);
    for (const char* nonsense : {"", "abc", "16bits", "0", "-32", "99999999999999999999"}) {
        setenv("KESTROVA_DESKTOP_BPP", nonsense, 1);
        EXPECT_EQ(GetDeviceCaps(desktop, BITSPIXEL), 32) << '"' << nonsense << '"';
    }
    unsetenv("KESTROVA_DESKTOP_BPP");
    EXPECT_EQ(GetDeviceCaps(desktop, BITSPIXEL), 32);
    ReleaseDC(nullptr, desktop);
}

}  // namespace
