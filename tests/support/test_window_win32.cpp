#include <windows.h>

#include <cstdio>

#include "platform/gl/gl_context.h"
#include "tests/support/test_window.h"

namespace testsupport {

plat::gl::NativeWindow CreateHiddenGlWindow(int width, int height) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = module;
    windowClass.lpszClassName = "KestrovaTestWindow";
    RegisterClassA(&windowClass);  // fails harmlessly once registered
    // The client area is the size asked for: a popup has no frame.
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "test", WS_POPUP, 0, 0, width, height, nullptr,
                                  nullptr, module, nullptr);
    if (!window) std::fprintf(stderr, "no window: error %lu\n", GetLastError());
    return window;
}

void ResizeHiddenGlWindow(plat::gl::NativeWindow window, int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowForTest(HWND) {}

void DestroyHiddenGlWindow(plat::gl::NativeWindow window) {
    if (!window) return;
    plat::gl::ReleaseWindow(window);
    DestroyWindow(window);
}

}  // namespace testsupport
