// Window records: creation, destruction and the handle table.
// Handles count up and are never reused, so a stale handle names nothing.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_set>

#include "platform/gl/gl_context.h"
#include "platform/win/host.h"
#include "platform/win/native_window.h"
#include "platform/win/window_manager.h"
#include "platform/win/window_table.h"

namespace plat {
namespace win {
namespace {

std::map<std::uintptr_t, std::unique_ptr<Window>> table;
std::uintptr_t nextId = 1;

std::mutex liveMutex;
std::unordered_set<HWND> liveHandles;

std::atomic<std::uint32_t> wakeEvent{0};

std::uintptr_t IdOf(HWND handle) { return reinterpret_cast<std::uintptr_t>(handle) >> 4; }

HWND MakeHandle() {
    // Shifted so handles look like aligned pointers and never equal small ints.
    return reinterpret_cast<HWND>((nextId++ << 4) | 0x8);
}

// CW_USEDEFAULT: two thirds of the usable desktop, at least 640x480 where it fits.
void DefaultSize(int* width, int* height) {
    SDL_Rect bounds{0, 0, 1024, 768};
    if (SDL_GetDisplayUsableBounds(0, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) bounds = {0, 0, 1024, 768};
    *width = std::max(std::min(640, bounds.w), bounds.w * 2 / 3);
    *height = std::max(std::min(480, bounds.h), bounds.h * 2 / 3);
}

SDL_Window* MakeNative(const std::string& title, DWORD style, int x, int y, int w, int h, bool owned, bool allowGl,
                       bool* opengl) {
    Uint32 flags = SDL_WINDOW_HIDDEN;
    // An owned window goes with its owner: no task-bar entry of its own.
    if (owned) flags |= SDL_WINDOW_SKIP_TASKBAR;
    if ((style & WS_THICKFRAME) != 0) flags |= SDL_WINDOW_RESIZABLE;
    if ((style & WS_POPUP) != 0 && (style & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
    int px = x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : x;
    int py = x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : y;
    *opengl = false;
    if (allowGl && gl::PrepareForWindows()) {
        if (SDL_Window* native = SDL_CreateWindow(title.c_str(), px, py, w, h, flags | SDL_WINDOW_OPENGL)) {
            *opengl = true;
            return native;
        }
    }
    return SDL_CreateWindow(title.c_str(), px, py, w, h, flags);
}

HWND Create(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param, bool allowGl) {
    auto cls = FindClass(className);
    if (!cls) return nullptr;
    bool child = (style & WS_CHILD) != 0;
    if (child && !Find(parent)) return nullptr;
    if (parent && !Find(parent)) return nullptr;
    if (!child && !EnsureSdl()) return nullptr;

    auto record = std::make_unique<Window>();
    Window& w = *record;
    w.handle = MakeHandle();
    w.cls = cls;
    w.proc = cls->wc.lpfnWndProc;
    w.style = style & ~WS_VISIBLE;
    w.exStyle = exStyle;
    w.parent = parent;
    w.title = windowName ? windowName : "";
    w.enabled = (style & WS_DISABLED) == 0;

    if (child) {
        w.id = reinterpret_cast<LONG_PTR>(menu);
        int cx = width == CW_USEDEFAULT ? 0 : std::max(0, width);
        int cy = height == CW_USEDEFAULT ? 0 : std::max(0, height);
        int px = x == CW_USEDEFAULT ? 0 : x;
        int py = y == CW_USEDEFAULT ? 0 : y;
        w.rect = {px, py, px + cx, py + cy};
    } else {
        if (width == CW_USEDEFAULT || width <= 0 || height <= 0) DefaultSize(&width, &height);
        Window* owner = Find(TopLevelOf(parent));
        w.native = MakeNative(w.title, style, x, y, width, height, owner != nullptr, allowGl, &w.opengl);
        if (!w.native) return nullptr;
        // Kept above its owner by the window manager (unsupported without one).
        if (owner && owner->native) SDL_SetWindowModalFor(w.native, owner->native);
        TellWindowManager(w.native, style);
        SDL_SetWindowData(w.native, "kestrova.hwnd", w.handle);
    }

    HWND handle = w.handle;
    cls->windows++;
    table[IdOf(handle)] = std::move(record);
    {
        std::lock_guard<std::mutex> lock(liveMutex);
        liveHandles.insert(handle);
    }

    CREATESTRUCTA create{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                         windowName, className, exStyle};
    if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (Window* created = Find(handle)) ReportSize(*created, SIZE_RESTORED);
    if (!Find(handle)) return nullptr;
    if ((style & WS_VISIBLE) != 0) ShowWindow(handle, SW_SHOW);
    return Find(handle) ? handle : nullptr;
}

}  // namespace

bool EnsureSdl() {
    static bool ready = false;
    if (ready) return true;
    // A signal must reach the program's own handling, not become SDL_QUIT.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Plain windows (boxes, dialogs) draw on a software surface: they must
    // work where OpenGL does not, so SDL may not put a GL renderer behind it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Fingers are translated by the window system itself (touch_translation.cpp).
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) return false;
    SurviveSendsToWindowsGone();
    Uint32 type = SDL_RegisterEvents(1);
    wakeEvent = type == static_cast<Uint32>(-1) ? static_cast<Uint32>(SDL_USEREVENT) : type;
    ready = true;
    return true;
}

std::uint32_t WakeEventType() { return wakeEvent; }

Window* Find(HWND handle) {
    if (!handle) return nullptr;
    auto it = table.find(IdOf(handle));
    if (it == table.end() || it->second->handle != handle) return nullptr;
    return it->second.get();
}

const std::map<std::uintptr_t, std::unique_ptr<Window>>& AllWindows() { return table; }

Window* FromNative(SDL_Window* native) {
    if (!native) return nullptr;
    return Find(static_cast<HWND>(SDL_GetWindowData(native, "kestrova.hwnd")));
}

HWND TopLevelOf(HWND handle) {
    Window* w = Find(handle);
    while (w && (w->style & WS_CHILD) != 0) {
        Window* up = Find(w->parent);
        if (!up) break;
        w = up;
    }
    return w ? w->handle : nullptr;
}

bool IsDisabledForInput(HWND handle) {
    for (Window* w = Find(handle); w; w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr) {
        if (!w->enabled) return true;
    }
    return false;
}

bool IsLiveHandle(HWND handle) {
    std::lock_guard<std::mutex> lock(liveMutex);
    return liveHandles.count(handle) != 0;
}

void ClientSize(const Window& window, int* width, int* height) {
    *width = *height = 0;
    if (window.native) {
        SDL_GetWindowSizeInPixels(window.native, width, height);
    } else {
        *width = window.rect.right - window.rect.left;
        *height = window.rect.bottom - window.rect.top;
    }
}

void ReportSize(Window& window, WPARAM kind) {
    int width = 0, height = 0;
    if (kind != SIZE_MINIMIZED) ClientSize(window, &width, &height);
    if (kind == window.lastSizeKind && width == window.lastWidth && height == window.lastHeight) return;
    window.lastSizeKind = kind;
    window.lastWidth = width;
    window.lastHeight = height;
    if (kind != SIZE_MINIMIZED) {
        window.needsPaint = true;
        window.needsErase = true;
    }
    SendMessageA(window.handle, WM_SIZE, kind,
                 MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
}

}  // namespace win

SDL_Window* NativeWindowOf(HWND window) {
    win::Window* w = win::Find(window);
    return w ? w->native : nullptr;
}

HWND WindowFromNative(SDL_Window* native) {
    win::Window* w = win::FromNative(native);
    return w ? w->handle : nullptr;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return win::Create(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance, param,
                       true);
}

HWND CreatePlainWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                          int width, int height, HWND owner, HMENU menu, HINSTANCE instance, LPVOID param) {
    return win::Create(exStyle, className, windowName, style & ~WS_CHILD, x, y, width, height, owner, menu,
                       instance, param, false);
}

BOOL IsWindow(HWND window) { return win::Find(window) ? TRUE : FALSE; }

BOOL DestroyWindow(HWND handle) {
    win::Window* w = win::Find(handle);
    if (!w || w->destroying) return FALSE;
    w->destroying = true;
    // Hidden first: a child as ShowWindow hides it (WM_SHOWWINDOW, its parent
    // takes the focus), a top-level window without a message. Either way the
    // focus has left before WM_DESTROY.
    if (w->visible && (w->style & WS_CHILD)) ShowWindow(handle, SW_HIDE);
    if (w->visible && w->native) SDL_HideWindow(w->native);
    w->visible = false;
    win::FocusLeaves(handle);

    SendMessageA(handle, WM_DESTROY, 0, 0);

    // Children and owned windows go with it.
    std::vector<HWND> dependants;
    for (auto& [id, other] : win::AllWindows()) {
        if (other->parent == handle) dependants.push_back(other->handle);
    }
    for (HWND d : dependants) DestroyWindow(d);

    SendMessageA(handle, WM_NCDESTROY, 0, 0);

    win::ForgetQueued(handle);
    {
        std::lock_guard<std::mutex> lock(win::liveMutex);
        win::liveHandles.erase(handle);
    }
    w = win::Find(handle);
    if (!w) return TRUE;
    if (w->native) {
        gl::ReleaseWindow(w->native);
        SDL_SetWindowData(w->native, "kestrova.hwnd", nullptr);
        if (!win::KeepsLastPicture(w->native)) SDL_DestroyWindow(w->native);
    }
    w->cls->windows--;
    win::table.erase(win::IdOf(handle));
    return TRUE;
}

}  // namespace plat
