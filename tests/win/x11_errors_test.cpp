// On a real X display: an event another connection sends to one of the
// program's windows just destroyed (SDL's wake-ups from other threads) must
// not end the program through Xlib's error handler.
#include "tests/win/win_test_support.h"

// After our own headers: Xlib's macros (None, Bool, Status) must not reach them.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace wintest {
namespace {

TEST(X11Errors, AnEventSentToAWindowAlreadyDestroyedLeavesTheProgramRunning) {
    EnsureClass("X11Errors");
    HWND window = CreateWindowExA(0, "X11Errors", "", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") != 0) GTEST_SKIP() << "SDL's video driver is not x11";
    SDL_Window* gone = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_HIDDEN);
    ASSERT_NE(gone, nullptr);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(gone, &info));
    const ::Window id = info.info.x11.window;
    SDL_DestroyWindow(gone);

    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    XClientMessageEvent wake{};
    wake.type = ClientMessage;
    wake.window = id;
    wake.format = 8;
    XSendEvent(other, id, False, NoEventMask, reinterpret_cast<XEvent*>(&wake));
    XSync(other, False);  // the BadWindow comes back here
    XCloseDisplay(other);
    DestroyWindow(window);
}

}  // namespace
}  // namespace wintest
