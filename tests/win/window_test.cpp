// Classes, creation, sizes, minimising and the class brush on screen.
#include <epoxy/gl.h>

#include "platform/gdi/gdi.h"
#include "platform/gl/gl_context.h"
#include "platform/gl/gl_probe.h"
#include "tests/support/gl_required.h"
#include "tests/win/win_test_support.h"

namespace wintest {
namespace {

class WindowSystemTest : public WindowTest {};

LRESULT OtherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(WindowSystemTest, ClassesRegisterLookUpAndRegisterAgain) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_NE(instance, nullptr);
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = instance;
    wc.lpszClassName = "ClassCycle";
    ASSERT_NE(RegisterClassA(&wc), 0);
    EXPECT_EQ(RegisterClassA(&wc), 0) << "a second registration of one name fails";

    WNDCLASSA found{};
    ASSERT_TRUE(GetClassInfoA(instance, "classcycle", &found));  // names ignore case
    EXPECT_EQ(found.lpfnWndProc, &RecordingProc);
    EXPECT_EQ(found.hInstance, instance);
    EXPECT_EQ(found.style, CS_HREDRAW | CS_VREDRAW);

    HWND w = MakeWindow("ClassCycle");
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(UnregisterClassA("ClassCycle", instance)) << "windows of the class still exist";
    DestroyWindow(w);
    ASSERT_TRUE(UnregisterClassA("ClassCycle", found.hInstance));
    EXPECT_FALSE(GetClassInfoA(instance, "ClassCycle", &found));
    EXPECT_EQ(CreateWindowExA(0, "ClassCycle", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, instance,
                              nullptr),
              nullptr);

    wc.lpfnWndProc = OtherProc;
    ASSERT_NE(RegisterClassA(&wc), 0);
    ASSERT_TRUE(GetClassInfoA(instance, "ClassCycle", &found));
    EXPECT_EQ(found.lpfnWndProc, &OtherProc);
    UnregisterClassA("ClassCycle", instance);
}

LPVOID createParam = nullptr;
LRESULT CreateParamProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) createParam = reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams;
    return RecordingProc(window, message, wParam, lParam);
}

TEST_F(WindowSystemTest, CreationSendsCreateWithItsParametersAndSize) {
    int token = 5;
    EnsureClass("CreateParams", CreateParamProc);
    HWND w = Keep(CreateWindowExA(0, "CreateParams", "Kestrova", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), &token));
    ASSERT_NE(w, nullptr);
    int create = IndexSeen(w, WM_CREATE);
    ASSERT_GE(create, 0);
    EXPECT_EQ(createParam, &token);
    int size = IndexSeen(w, WM_SIZE);
    ASSERT_GT(size, create);
    EXPECT_EQ(Log()[size].lParam, MAKELPARAM(400, 300));
    EXPECT_FALSE(IsWindowVisible(w)) << "hidden until shown";
    EXPECT_EQ(CountSeen(w, WM_SHOWWINDOW), 0);
    ShowWindow(w, SW_SHOW);
    EXPECT_EQ(CountSeen(w, WM_SHOWWINDOW), 1);
    EXPECT_TRUE(IsWindowVisible(w));
    char title[16];
    EXPECT_EQ(SendMessageA(w, WM_GETTEXT, sizeof(title), reinterpret_cast<LPARAM>(title)), 8);
    EXPECT_STREQ(title, "Kestrova");
    EXPECT_EQ(WindowFromNative(NativeWindowOf(w)), w);
}

LRESULT RefusingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back({window, message, wParam, lParam});
    if (message == WM_CREATE) return -1;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(WindowSystemTest, ARefusedCreateYieldsNoWindow) {
    EnsureClass("Refusing", RefusingProc);
    HWND w = CreateWindowExA(0, "Refusing", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(w, nullptr);
    ASSERT_FALSE(Log().empty());
    EXPECT_FALSE(IsWindow(Log().front().hwnd));
    EXPECT_EQ(CountSeen(Log().front().hwnd, WM_NCDESTROY), 1);
}

TEST_F(WindowSystemTest, DefaultSizeIsASensibleShareOfTheDesktop) {
    HWND w = Make("DefaultSize", CW_USEDEFAULT, CW_USEDEFAULT);
    ASSERT_NE(w, nullptr);
    SDL_Rect desktop{};
    ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &desktop), 0);
    RECT r{};
    ASSERT_TRUE(GetClientRect(w, &r));
    EXPECT_GE(r.right, std::min(640, desktop.w));
    EXPECT_GE(r.bottom, std::min(480, desktop.h));
    EXPECT_LE(r.right, desktop.w);
    EXPECT_LE(r.bottom, desktop.h);
}

TEST_F(WindowSystemTest, MinimisedWindowsHaveAnEmptyClientArea) {
    HWND w = Make("Minimise", 300, 200);
    ShowWindow(w, SW_SHOW);
    Drain();
    Log().clear();

    ShowWindow(w, SW_MINIMIZE);
    Drain();
    RECT r{};
    ASSERT_TRUE(GetClientRect(w, &r));
    EXPECT_TRUE(IsRectEmpty(&r));
    EXPECT_EQ(r.right, 0);
    int minimised = IndexSeen(w, WM_SIZE);
    ASSERT_GE(minimised, 0);
    EXPECT_EQ(Log()[minimised].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(Log()[minimised].lParam, 0);
    EXPECT_EQ(CountSeen(w, WM_SIZE), 1) << "one WM_SIZE, however the driver reports it";

    Log().clear();
    ShowWindow(w, SW_RESTORE);
    Drain();
    ASSERT_TRUE(GetClientRect(w, &r));
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.bottom, 200);
    int restored = IndexSeen(w, WM_SIZE);
    ASSERT_GE(restored, 0);
    EXPECT_EQ(Log()[restored].wParam, SIZE_RESTORED);
    EXPECT_EQ(Log()[restored].lParam, MAKELPARAM(300, 200));
}

TEST_F(WindowSystemTest, MinimisingOrRestoringAHiddenWindowShowsItWithASizeNotAShowMessage) {
    HWND w = Make("HiddenMinimise", 300, 200);
    Log().clear();
    EXPECT_FALSE(ShowWindow(w, SW_MINIMIZE));
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(CountSeen(w, WM_SHOWWINDOW), 0);
    int size = IndexSeen(w, WM_SIZE);
    ASSERT_GE(size, 0);
    EXPECT_EQ(Log()[size].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(Log()[size].lParam, 0);
    EXPECT_EQ(GetFocus(), nullptr);

    // Restoring a hidden window that was never minimised: its size is the same, WM_SIZE still comes.
    HWND other = Make("HiddenMinimise", 300, 200);
    Log().clear();
    EXPECT_FALSE(ShowWindow(other, SW_RESTORE));
    EXPECT_TRUE(IsWindowVisible(other));
    EXPECT_EQ(CountSeen(other, WM_SHOWWINDOW), 0);
    ASSERT_EQ(CountSeen(other, WM_SIZE), 1);
    size = IndexSeen(other, WM_SIZE);
    EXPECT_EQ(Log()[size].wParam, SIZE_RESTORED);
    EXPECT_EQ(Log()[size].lParam, MAKELPARAM(300, 200));
    EXPECT_EQ(GetFocus(), other);
}

TEST_F(WindowSystemTest, FocusLeavesADestroyedWindowBeforeItsDestroy) {
    HWND parent = Make("FocusFamily");
    ShowWindow(parent, SW_SHOW);
    EnsureClass("FocusFamilyChild");
    HWND child = CreateWindowExA(0, "FocusFamilyChild", "", WS_CHILD | WS_VISIBLE, 5, 5, 50, 20, parent,
                                 reinterpret_cast<HMENU>(7), nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    SetFocus(child);
    Drain();
    Log().clear();
    ASSERT_TRUE(DestroyWindow(child));
    int hidden = IndexSeen(child, WM_SHOWWINDOW);
    int lost = IndexSeen(child, WM_KILLFOCUS);
    int gained = IndexSeen(parent, WM_SETFOCUS);
    int destroyed = IndexSeen(child, WM_DESTROY);
    ASSERT_GE(hidden, 0);
    EXPECT_EQ(Log()[hidden].wParam, static_cast<WPARAM>(FALSE));
    EXPECT_LT(hidden, lost);
    EXPECT_LT(lost, gained);
    EXPECT_LT(gained, destroyed);
    EXPECT_EQ(Log()[lost].wParam, reinterpret_cast<WPARAM>(parent));
    EXPECT_EQ(GetFocus(), parent);

    Log().clear();
    HWND top = MakeWindow("FocusFamily");
    ShowWindow(top, SW_SHOW);
    ASSERT_EQ(GetFocus(), top);
    ASSERT_TRUE(DestroyWindow(top));
    lost = IndexSeen(top, WM_KILLFOCUS);
    ASSERT_GE(lost, 0);
    EXPECT_LT(lost, IndexSeen(top, WM_DESTROY));
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowSystemTest, UserDataKeepsAWholePointer) {
    HWND w = Make("UserData");
    static int target;
    LONG_PTR big = reinterpret_cast<LONG_PTR>(&target);
    EXPECT_EQ(SetWindowLongPtrA(w, GWLP_USERDATA, big), 0);
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), big);
    EXPECT_EQ(GetWindowLongPtrA(nullptr, GWLP_USERDATA), 0);
}

// The pixel at the middle of a plain window's surface, as 0x00RRGGBB.
Uint32 SurfaceMiddle(HWND w) {
    SDL_Surface* s = SDL_GetWindowSurface(NativeWindowOf(w));
    if (!s) return 0xFFFFFFFF;
    Uint8 r, g, b;
    SDL_LockSurface(s);
    auto* row = static_cast<Uint8*>(s->pixels) + (s->h / 2) * s->pitch;
    Uint32 pixel = 0;
    std::memcpy(&pixel, row + (s->w / 2) * s->format->BytesPerPixel, s->format->BytesPerPixel);
    SDL_UnlockSurface(s);
    SDL_GetRGB(pixel, s->format, &r, &g, &b);
    return (Uint32{r} << 16) | (Uint32{g} << 8) | b;
}

TEST_F(WindowSystemTest, TheClassBrushPaintsAPlainWindow) {
    EnsureClass("GreenPlain", RecordingProc, 0, CreateSolidBrush(RGB(0, 127, 0)));
    HWND w = Keep(CreatePlainWindowExA(0, "GreenPlain", "", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr, nullptr,
                                       nullptr, nullptr));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(SDL_GetWindowFlags(NativeWindowOf(w)) & SDL_WINDOW_OPENGL, 0u);
    ShowWindow(w, SW_SHOW);
    Drain();
    EXPECT_GE(CountSeen(w, WM_PAINT), 1);
    EXPECT_EQ(SurfaceMiddle(w), 0x007F00u);
}

TEST_F(WindowSystemTest, TheClassBrushPaintsAnOpenGlWindow) {
    KESTROVA_REQUIRE_GL(gl::ProbeRenderer().available);
    EnsureClass("GreenGl", RecordingProc, 0, CreateSolidBrush(RGB(0, 127, 0)));
    HWND w = Make("GreenGl", 64, 48);
    ASSERT_NE(w, nullptr);
    SDL_Window* native = NativeWindowOf(w);
    ASSERT_TRUE(SDL_GetWindowFlags(native) & SDL_WINDOW_OPENGL) << "where there is OpenGL, windows carry it";
    ShowWindow(w, SW_SHOW);
    Drain();
    ASSERT_GE(CountSeen(w, WM_ERASEBKGND), 1);
    ASSERT_TRUE(gl::MakeCurrent(native));
    // What was presented is the front buffer.
    glReadBuffer(GL_FRONT);
    GLubyte pixel[4] = {1, 2, 3, 4};
    glReadPixels(32, 24, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 127);
    EXPECT_EQ(pixel[2], 0);
}

TEST_F(WindowSystemTest, PaintStaysPendingUntilValidated) {
    HWND w = Make("PaintPending");
    ShowWindow(w, SW_SHOW);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, w, WM_PAINT, WM_PAINT, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&m, w, WM_PAINT, WM_PAINT, PM_REMOVE)) << "not yet painted";
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    EndPaint(w, &ps);
    EXPECT_FALSE(PeekMessageA(&m, w, WM_PAINT, WM_PAINT, PM_REMOVE));
    InvalidateRect(w, nullptr, FALSE);
    Log().clear();
    UpdateWindow(w);
    EXPECT_EQ(CountSeen(w, WM_PAINT), 1);
    EXPECT_FALSE(PeekMessageA(&m, w, WM_PAINT, WM_PAINT, PM_REMOVE));
}

}  // namespace
}  // namespace wintest
