// The window system's own records: classes and windows, shared by its files.
// Main thread only, apart from the live-handle check PostMessageA makes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/window_system.h"

struct SDL_Window;

namespace plat::win {

struct WindowClass {
    WNDCLASSA wc{};
    std::string name;
    int windows = 0;  // live windows of this class; it cannot go while any remain
};

enum class Shown { Normal, Minimized, Maximized };

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> cls;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // parent of a child, owner of a top-level window
    LONG_PTR id = 0;        // a child's control id
    LONG_PTR userData = 0;
    std::string title;
    SDL_Window* native = nullptr;
    bool opengl = false;
    bool enabled = true;
    bool visible = false;
    bool needsPaint = false;
    bool needsErase = false;
    bool destroying = false;
    Shown shown = Shown::Normal;
    // The last WM_SIZE sent, so an SDL event repeating it sends nothing.
    WPARAM lastSizeKind = ~WPARAM{0};
    int lastWidth = -1, lastHeight = -1;
    RECT rect{};           // a child's rectangle in its parent's client area
    HWND lastFocus = nullptr;  // focus inside this top-level window when it last had it
};

// Starts SDL on first use: video, timer and events, without signal handlers.
bool EnsureSdl();
// The SDL event type that only wakes a waiting GetMessageA.
std::uint32_t WakeEventType();

Window* Find(HWND handle);
// Windows in creation order (handles grow, so the map's order is that order).
const std::map<std::uintptr_t, std::unique_ptr<Window>>& AllWindows();
Window* FromNative(SDL_Window* native);
HWND TopLevelOf(HWND handle);
bool IsDisabledForInput(HWND handle);

// Whether PostMessageA may queue for this handle; safe from any thread.
bool IsLiveHandle(HWND handle);

std::shared_ptr<WindowClass> FindClass(const char* name);

// Sends WM_SIZE unless the same kind and size was the last one sent.
void ReportSize(Window& window, WPARAM kind);
// The drawable size of a top-level window, or a child's rectangle size.
void ClientSize(const Window& window, int* width, int* height);

// The focus moves; sends WM_KILLFOCUS and WM_SETFOCUS as SetFocus does.
void MoveFocus(HWND to);
// A top-level window becomes active: the focus goes to it, or back to the
// child inside it that had it last. Nothing for a hidden or disabled window;
// a minimised one becomes active with the focus nowhere.
void Activate(HWND handle);
// A minimised window is back: the focus returns if it is the active window.
void Restored(HWND handle);
// The system took the activation elsewhere.
void Deactivated(HWND handle);
// The focus leaves the window if it is in it or in one of its children.
void DropFocusInside(HWND handle);
// The same for a window being hidden or destroyed: a child hands the focus
// to its parent, a top-level window to nobody.
void FocusLeaves(HWND handle);

// Queue side of a window going away.
void ForgetQueued(HWND handle);

// Fills the client area with the class brush; false without one.
bool EraseWithClassBrush(HWND handle);

}  // namespace plat::win
