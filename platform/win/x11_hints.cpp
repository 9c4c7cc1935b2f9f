// The window manager hints SDL has no call for, set with Xlib on the X window
// behind an SDL window: the class, the dialog type and the frame's buttons.
#include "platform/win/window_manager.h"
#include "platform/win/window_system.h"

// After our own headers: Xlib's macros (None, Bool, Status) must not reach them.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace plat::win {
namespace {

// _MOTIF_WM_HINTS, as Motif defined it and window managers still read it.
struct MotifHints {
    unsigned long flags;
    unsigned long functions;
    unsigned long decorations;
    long inputMode;
    unsigned long status;
};
constexpr unsigned long kMotifFunctions = 1ul << 0;
constexpr unsigned long kMotifDecorations = 1ul << 1;
constexpr unsigned long kMotifResize = 1ul << 1;
constexpr unsigned long kMotifMove = 1ul << 2;
constexpr unsigned long kMotifMinimize = 1ul << 3;
constexpr unsigned long kMotifMaximize = 1ul << 4;
constexpr unsigned long kMotifClose = 1ul << 5;
constexpr unsigned long kMotifBorder = 1ul << 1;
constexpr unsigned long kMotifResizeHandle = 1ul << 2;
constexpr unsigned long kMotifTitle = 1ul << 3;
constexpr unsigned long kMotifMenu = 1ul << 4;
constexpr unsigned long kMotifMinimizeButton = 1ul << 5;
constexpr unsigned long kMotifMaximizeButton = 1ul << 6;

void SetAtomProperty(Display* display, ::Window window, const char* property, const char* value) {
    Atom atom = XInternAtom(display, value, False);
    XChangeProperty(display, window, XInternAtom(display, property, False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&atom), 1);
}

}  // namespace

void TellWindowManager(SDL_Window* native, DWORD style) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!native || !driver || std::strcmp(driver, "x11") != 0) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(native, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    ::Window window = info.info.x11.window;

    // Every window of the program has one class, whatever the program file is called.
    char name[] = "kestrova";
    char className[32];
    std::strncpy(className, kWindowClassName, sizeof className - 1);
    className[sizeof className - 1] = '\0';
    XClassHint classHint{name, className};
    XSetClassHint(display, window, &classHint);

    if ((style & WS_CAPTION) == WS_CAPTION) {
        if ((style & WS_POPUP) != 0) SetAtomProperty(display, window, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG");
        // What the frame may do and which buttons it draws, both from the
        // style: managers differ in which of the two lists they read.
        MotifHints hints{kMotifFunctions | kMotifDecorations, kMotifMove, kMotifBorder | kMotifTitle, 0, 0};
        if ((style & WS_THICKFRAME) != 0) {
            hints.functions |= kMotifResize;
            hints.decorations |= kMotifResizeHandle;
        }
        if ((style & WS_MINIMIZEBOX) != 0) {
            hints.functions |= kMotifMinimize;
            hints.decorations |= kMotifMinimizeButton;
        }
        if ((style & WS_MAXIMIZEBOX) != 0) {
            hints.functions |= kMotifMaximize;
            hints.decorations |= kMotifMaximizeButton;
        }
        if ((style & WS_SYSMENU) != 0) {
            hints.functions |= kMotifClose;
            hints.decorations |= kMotifMenu;
        }
        Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
        XChangeProperty(display, window, motif, motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&hints),
                        sizeof hints / sizeof(long));
    }
    XFlush(display);
}

// A window gone is gone from the desktop.
bool KeepsLastPicture(SDL_Window*) { return false; }

}  // namespace plat::win
