// Modal loops: a box over a disabled owner, with its own message loop.
// The box takes the focus itself, so the owner pauses with or without a
// window manager.
#include <SDL.h>

#include <algorithm>

#include "platform/win/host.h"
#include "platform/win/native_window.h"
#include "platform/win/window_table.h"

namespace plat {
namespace {

std::function<void(HWND)>& Hook() {
    static std::function<void(HWND)> hook;
    return hook;
}

void Raise(HWND window) {
    if (SDL_Window* native = NativeWindowOf(window)) SDL_RaiseWindow(native);
}

}  // namespace

// Placed while hidden, the box's frame takes the position; the same window
// manager frames the owner, so the owner's frame extents tell where the box's
// client area will be.
void CentreOverOwner(HWND owner, HWND box) {
    SDL_Window* native = NativeWindowOf(box);
    if (!native) return;
    SDL_Window* over = IsWindowVisible(owner) ? NativeWindowOf(owner) : nullptr;
    if (over && (SDL_GetWindowFlags(over) & SDL_WINDOW_MINIMIZED)) over = nullptr;
    const int display = std::max(0, SDL_GetWindowDisplayIndex(over ? over : native));
    if (!over) {
        SDL_SetWindowPosition(native, SDL_WINDOWPOS_CENTERED_DISPLAY(display), SDL_WINDOWPOS_CENTERED_DISPLAY(display));
        return;
    }
    int width = 0, height = 0, x = 0, y = 0, ownerWidth = 0, ownerHeight = 0;
    int top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowSize(native, &width, &height);
    SDL_GetWindowPosition(over, &x, &y);
    SDL_GetWindowSize(over, &ownerWidth, &ownerHeight);
    if (SDL_GetWindowBordersSize(over, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
    x += (ownerWidth - width) / 2 - left;
    y += (ownerHeight - height) / 2 - top;
    SDL_Rect desktop;
    if (SDL_GetDisplayUsableBounds(display, &desktop) == 0) {
        x = std::max(desktop.x, std::min(x, desktop.x + desktop.w - (left + width + right)));
        y = std::max(desktop.y, std::min(y, desktop.y + desktop.h - (top + height + bottom)));
    }
    SDL_SetWindowPosition(native, x, y);
}

void SetModalHook(std::function<void(HWND box)> hook) { Hook() = std::move(hook); }

ModalSession BeginModal(HWND owner, HWND box) {
    ModalSession session;
    session.owner = IsWindow(owner) ? owner : nullptr;
    session.box = box;
    // Disabling the owner takes the focus from it (WM_KILLFOCUS) and drops
    // its input until the box is gone.
    if (session.owner) session.ownerWasEnabled = EnableWindow(session.owner, FALSE) == FALSE;
    ShowWindow(box, SW_SHOW);
    Raise(box);
    return session;
}

void RunModalLoop(const ModalSession& session, const std::function<bool()>& done) {
    // A copy: the hook may replace itself while it runs.
    if (auto hook = Hook()) hook(session.box);
    MSG msg;
    while (IsWindow(session.box) && !done()) {
        if (session.owner && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            SendMessageA(session.owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(session.box));
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The outer loop must still see the quit.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void EndModal(const ModalSession& session) {
    if (session.owner && IsWindow(session.owner)) {
        if (session.ownerWasEnabled) EnableWindow(session.owner, TRUE);
        win::Activate(session.owner);
        Raise(session.owner);
    } else {
        win::DropFocusInside(session.box);
    }
}

}  // namespace plat
