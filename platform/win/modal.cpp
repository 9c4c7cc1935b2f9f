// Modal loops: a box over a disabled owner, with its own message loop.
// The box takes the focus itself, so the owner pauses with or without a
// window manager.
#include <SDL.h>

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
