// Showing, minimising, enabling and focusing windows, and the values kept
// with them.
#include <SDL.h>

#include "platform/win/window_table.h"

namespace plat {
namespace win {
namespace {

HWND focus = nullptr;
HWND active = nullptr;  // the top-level window last activated; it may be minimised

bool IsTopLevel(const Window& w) { return (w.style & WS_CHILD) == 0; }

}  // namespace

// Showing with activation gives a top-level window the focus, as the old
// platform's activation did; it brings back the child that had it.
void Activate(HWND handle) {
    Window* w = Find(handle);
    if (!w || !w->enabled || !w->visible) return;
    active = handle;
    // A minimised window is active without the focus: a box closed over a
    // minimised game must not unpause a game nobody sees.
    if (w->shown == Shown::Minimized) {
        MoveFocus(nullptr);
        return;
    }
    HWND target = handle;
    if (Find(w->lastFocus) && IsChild(handle, w->lastFocus)) target = w->lastFocus;
    MoveFocus(target);
}

void Restored(HWND handle) {
    if (active == handle) Activate(handle);
}

void Deactivated(HWND handle) {
    if (active == handle) active = nullptr;
    DropFocusInside(handle);
}

void DropFocusInside(HWND handle) {
    if (focus && (focus == handle || IsChild(handle, focus))) MoveFocus(nullptr);
}

void FocusLeaves(HWND handle) {
    if (!focus || (focus != handle && !IsChild(handle, focus))) return;
    Window* w = Find(handle);
    Window* parent = w && !IsTopLevel(*w) ? Find(w->parent) : nullptr;
    if (parent && !parent->destroying && !IsDisabledForInput(parent->handle))
        MoveFocus(parent->handle);
    else
        MoveFocus(nullptr);
}

void MoveFocus(HWND to) {
    HWND from = focus;
    if (from == to) return;
    focus = to;
    if (Window* top = Find(TopLevelOf(to))) top->lastFocus = to;
    if (Find(from)) SendMessageA(from, WM_KILLFOCUS, reinterpret_cast<WPARAM>(to), 0);
    // The focus may have moved again inside WM_KILLFOCUS; only the winner hears.
    if (to && focus == to && Find(to)) SendMessageA(to, WM_SETFOCUS, reinterpret_cast<WPARAM>(from), 0);
}

}  // namespace win

HWND GetFocus() { return win::Find(win::focus) ? win::focus : nullptr; }

HWND SetFocus(HWND window) {
    HWND previous = GetFocus();
    if (window) {
        win::Window* w = win::Find(window);
        if (!w || win::IsDisabledForInput(window)) return nullptr;
    }
    win::MoveFocus(window);
    return previous;
}

HWND GetParent(HWND window) {
    win::Window* w = win::Find(window);
    return w ? w->parent : nullptr;
}

BOOL IsChild(HWND parent, HWND window) {
    win::Window* w = win::Find(window);
    while (w && (w->style & WS_CHILD) != 0) {
        if (w->parent == parent) return TRUE;
        w = win::Find(w->parent);
    }
    return FALSE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
    win::Window* w = win::Find(window);
    if (!w) return FALSE;
    BOOL wasDisabled = w->enabled ? FALSE : TRUE;
    w->enabled = enable != FALSE;
    if (w->enabled) {
        w->style &= ~WS_DISABLED;
    } else {
        w->style |= WS_DISABLED;
        win::DropFocusInside(window);
    }
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) {
    win::Window* w = win::Find(window);
    return w && w->enabled ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window) {
    win::Window* w = win::Find(window);
    return w && w->visible ? TRUE : FALSE;
}

BOOL ShowWindow(HWND window, int command) {
    win::Window* w = win::Find(window);
    if (!w) return FALSE;
    BOOL wasVisible = w->visible ? TRUE : FALSE;
    bool hide = command == SW_HIDE;
    bool minimize = command == SW_MINIMIZE || command == SW_SHOWMINIMIZED || command == SW_SHOWMINNOACTIVE;
    bool activate = command != SW_SHOWNOACTIVATE && command != SW_SHOWNA && !hide && !minimize;

    if (hide) {
        if (!w->visible) return wasVisible;
        SendMessageA(window, WM_SHOWWINDOW, FALSE, 0);
        if (!(w = win::Find(window))) return wasVisible;
        w->visible = false;
        if (w->native) SDL_HideWindow(w->native);
        win::FocusLeaves(window);
        return wasVisible;
    }

    // Minimising or restoring a hidden window shows it through the change of
    // state: WM_SIZE tells the window, WM_SHOWWINDOW does not come.
    bool showsByState = !w->visible && win::IsTopLevel(*w) && (minimize || command == SW_RESTORE);
    if (showsByState) w->lastSizeKind = ~WPARAM{0};
    if (!w->visible) {
        if (!showsByState) SendMessageA(window, WM_SHOWWINDOW, TRUE, 0);
        if (!(w = win::Find(window))) return wasVisible;
        w->visible = true;
        w->needsPaint = true;
        w->needsErase = true;
        if (w->native) SDL_ShowWindow(w->native);
    }
    if (!win::IsTopLevel(*w)) return wasVisible;

    // The offscreen driver ignores minimise and restore, so the record keeps the
    // state itself and WM_SIZE is sent from here; a later SDL event repeating it
    // sends nothing.
    if (minimize) {
        if (w->shown != win::Shown::Minimized || showsByState) {
            SDL_MinimizeWindow(w->native);
            w->shown = win::Shown::Minimized;
            win::DropFocusInside(window);
            if ((w = win::Find(window))) win::ReportSize(*w, SIZE_MINIMIZED);
        }
        return wasVisible;
    }
    if (command == SW_MAXIMIZE) {
        SDL_MaximizeWindow(w->native);
        w->shown = win::Shown::Maximized;
        win::ReportSize(*w, SIZE_MAXIMIZED);
    } else if ((w->shown == win::Shown::Minimized || showsByState) &&
               (command == SW_RESTORE || command == SW_SHOWNORMAL || command == SW_SHOWDEFAULT)) {
        SDL_RestoreWindow(w->native);
        w->shown = win::Shown::Normal;
        win::ReportSize(*w, SIZE_RESTORED);
    }
    if (activate) win::Activate(window);
    return wasVisible;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    win::Window* w = win::Find(window);
    if (!w || !rect) return FALSE;
    *rect = {0, 0, 0, 0};
    if (w->shown == win::Shown::Minimized) return TRUE;
    if (w->native && (SDL_GetWindowFlags(w->native) & SDL_WINDOW_MINIMIZED)) return TRUE;
    int width = 0, height = 0;
    win::ClientSize(*w, &width, &height);
    rect->right = width;
    rect->bottom = height;
    return TRUE;
}

// A top-level window's client area is where SDL puts its window; a child's is
// its rectangle in its parent's client area.
BOOL ClientToScreen(HWND window, POINT* point) {
    win::Window* w = win::Find(window);
    if (!w || !point) return FALSE;
    POINT at = *point;
    for (; w && !w->native; w = (w->style & WS_CHILD) ? win::Find(w->parent) : nullptr) {
        at.x += w->rect.left;
        at.y += w->rect.top;
    }
    if (!w) return FALSE;
    int x = 0, y = 0;
    SDL_GetWindowPosition(w->native, &x, &y);
    *point = {at.x + x, at.y + y};
    return TRUE;
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    win::Window* w = win::Find(window);
    if (!w) return 0;
    LONG_PTR old = 0;
    switch (index) {
        case GWLP_USERDATA:
            old = w->userData;
            w->userData = value;
            break;
        case GWLP_WNDPROC:
            if (!value) return 0;
            old = reinterpret_cast<LONG_PTR>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            break;
        case GWLP_ID:
            old = w->id;
            w->id = value;
            break;
        case GWL_STYLE:
            old = static_cast<LONG_PTR>(w->style);
            w->style = static_cast<DWORD>(value);
            break;
        default:
            return 0;
    }
    return old;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    win::Window* w = win::Find(window);
    if (!w) return 0;
    switch (index) {
        case GWLP_USERDATA: return w->userData;
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
        case GWLP_ID: return w->id;
        case GWL_STYLE: return static_cast<LONG_PTR>(w->style | (w->visible ? WS_VISIBLE : 0));
        default: return 0;
    }
}

}  // namespace plat
