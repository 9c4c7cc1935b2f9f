// A top-level window that carries a context follows a change of the display's
// scale as per-monitor aware programs must: it takes the rectangle Windows
// suggests, while every other message still reaches the window's own procedure.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/gl/gl_context.h"
#include "platform/gl/gl_probe.h"
#include "tests/support/gl_required.h"

namespace {

constexpr UINT kAsk = WM_USER + 1;

LRESULT CALLBACK OwnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == kAsk ? 42 : DefWindowProcA(window, message, wParam, lParam);
}

TEST(ContextWgl, AWindowWithAContextTakesTheRectangleOfANewScale) {
    KESTROVA_REQUIRE_GL(plat::gl::ProbeRenderer().available);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = OwnProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KestrovaScaleTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(plat::gl::MakeCurrent(window));

    RECT suggested{40, 30, 40 + 300, 30 + 225};
    EXPECT_EQ(SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested)), 0);
    RECT now{};
    GetWindowRect(window, &now);
    EXPECT_EQ(now.left, suggested.left);
    EXPECT_EQ(now.top, suggested.top);
    EXPECT_EQ(now.right, suggested.right);
    EXPECT_EQ(now.bottom, suggested.bottom);
    EXPECT_EQ(SendMessageA(window, kAsk, 0, 0), 42);

    // A new context for the same window must not stack a second hook on the first.
    plat::gl::ReleaseWindow(window);
    ASSERT_TRUE(plat::gl::MakeCurrent(window));
    EXPECT_EQ(SendMessageA(window, kAsk, 0, 0), 42);
    plat::gl::ReleaseWindow(window);
    DestroyWindow(window);
}

}  // namespace
