// SDL events become the old platform's messages: keys and mouse are queued as
// input, window changes are sent to the window procedure at once.
#include <SDL.h>

#include "platform/win/message_queue.h"
#include "platform/win/window_table.h"

namespace plat {
namespace win {
namespace {

bool downNow[256];    // as the events arrive: the MK_ flags and the repeat bit
BYTE keyState[256];   // as the messages are taken: what GetKeyState reports
WPARAM buttonsNow = 0;

int VirtualKey(SDL_Keycode sym) {
    if (sym >= SDLK_a && sym <= SDLK_z) return 'A' + (sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9) return '0' + (sym - SDLK_0);
    if (sym >= SDLK_F1 && sym <= SDLK_F12) return VK_F1 + (sym - SDLK_F1);
    switch (sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return VK_RETURN;
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_TAB: return VK_TAB;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT: return VK_MENU;
        case SDLK_HOME: return VK_HOME;
        case SDLK_END: return VK_END;
        case SDLK_DELETE: return VK_DELETE;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_UP: return VK_UP;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_DOWN: return VK_DOWN;
        default: return 0;
    }
}

Window* WindowOfEvent(Uint32 windowId) { return FromNative(SDL_GetWindowFromID(windowId)); }

// Keys go to the focus when it is inside the window that has the keyboard,
// otherwise to that window itself.
HWND KeyTarget(Window* w) {
    HWND focus = GetFocus();
    if (!w) return focus;
    HWND top = TopLevelOf(w->handle);
    if (focus && TopLevelOf(focus) == top) return focus;
    return top;
}

void OnKey(const SDL_KeyboardEvent& key, bool down) {
    int vk = VirtualKey(key.keysym.sym);
    if (!vk) return;
    bool wasDown = downNow[vk];
    downNow[vk] = down;
    HWND target = KeyTarget(WindowOfEvent(key.windowID));
    if (!target || IsDisabledForInput(target)) return;

    // The event's own modifiers: a lost Alt release cannot leave every later key a system key.
    bool alt = (key.keysym.mod & KMOD_ALT) != 0 || vk == VK_MENU;
    bool ctrl = (key.keysym.mod & KMOD_CTRL) != 0;
    // Ctrl+Alt is AltGr: ordinary keys. F10 is the menu key, a system key even alone.
    bool sys = (alt && !ctrl) || vk == VK_F10;
    // Repeat count 1, scan code, context (Alt), previous state, transition.
    std::uint32_t bits = 1 | ((static_cast<std::uint32_t>(key.keysym.scancode) & 0xFF) << 16);
    if (alt) bits |= 1u << 29;
    if (down && (key.repeat || wasDown)) bits |= 1u << 30;
    if (!down) bits |= (1u << 30) | (1u << 31);
    UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    QueueInput(MakeMessage(target, message, static_cast<WPARAM>(vk), static_cast<LPARAM>(bits)));
}

void OnText(const SDL_TextInputEvent& text) {
    HWND target = KeyTarget(WindowOfEvent(text.windowID));
    if (!target || IsDisabledForInput(target)) return;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.text);
    while (*p) {
        // UTF-8 to code points; a malformed byte is skipped, never read past.
        std::uint32_t cp = *p;
        int extra = cp < 0x80 ? 0 : (cp >> 5) == 0x6 ? 1 : (cp >> 4) == 0xE ? 2 : (cp >> 3) == 0x1E ? 3 : -1;
        if (extra < 0) {
            ++p;
            continue;
        }
        cp &= extra == 0 ? 0x7F : (0x3F >> extra);
        int i = 1;
        for (; i <= extra && (p[i] & 0xC0) == 0x80; ++i) cp = (cp << 6) | (p[i] & 0x3F);
        if (i <= extra) {
            p += i;
            continue;
        }
        p += extra + 1;
        if (cp >= 0x20) QueueInput(MakeMessage(target, WM_CHAR, cp, 1));
    }
}

WPARAM ButtonFlag(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return MK_LBUTTON;
        case SDL_BUTTON_RIGHT: return MK_RBUTTON;
        case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
        default: return 0;
    }
}

WPARAM KeyFlags() {
    SDL_Keymod mod = SDL_GetModState();
    WPARAM flags = 0;
    if (downNow[VK_SHIFT] || (mod & KMOD_SHIFT)) flags |= MK_SHIFT;
    if (downNow[VK_CONTROL] || (mod & KMOD_CTRL)) flags |= MK_CONTROL;
    return flags;
}

// The window under a client point: the deepest visible, enabled child that
// holds it, with the point made relative to that child.
HWND HitChild(HWND window, int* x, int* y) {
    for (bool descended = true; descended;) {
        descended = false;
        for (auto& [id, c] : AllWindows()) {
            if (c->parent != window || !(c->style & WS_CHILD) || !c->visible || !c->enabled) continue;
            if (*x < c->rect.left || *x >= c->rect.right || *y < c->rect.top || *y >= c->rect.bottom) continue;
            *x -= c->rect.left;
            *y -= c->rect.top;
            window = c->handle;
            descended = true;
            break;
        }
    }
    return window;
}

}  // namespace

void QueueMouseInput(Uint32 windowId, int x, int y, UINT message, WPARAM buttons, int clicks) {
    Window* w = WindowOfEvent(windowId);
    if (!w || !w->native || w->shown == Shown::Minimized) return;
    int width = 0, height = 0;
    SDL_GetWindowSize(w->native, &width, &height);
    // Outside the client area: dropped, as without mouse capture.
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    HWND target = HitChild(w->handle, &x, &y);
    if (IsDisabledForInput(target)) return;
    if (clicks >= 2 && clicks % 2 == 0 && message != WM_MOUSEMOVE) {
        Window* t = Find(target);
        // The third message of each button pair is its double click.
        if (t && (t->cls->wc.style & CS_DBLCLKS) && (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN ||
                                                     message == WM_MBUTTONDOWN))
            message += 2;
    }
    QueueInput(MakeMessage(target, message, buttons | KeyFlags(),
                    MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y))));
}

namespace {

void OnButton(const SDL_MouseButtonEvent& b, bool down) {
    WPARAM flag = ButtonFlag(b.button);
    if (!flag) return;
    if (down)
        buttonsNow |= flag;
    else
        buttonsNow &= ~flag;
    UINT message = flag == MK_LBUTTON ? WM_LBUTTONDOWN : flag == MK_RBUTTON ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    if (!down) message += 1;
    QueueMouseInput(b.windowID, b.x, b.y, message, buttonsNow, b.clicks);
}

void OnMotion(const SDL_MouseMotionEvent& m) {
    WPARAM buttons = buttonsNow;
    if (m.state & SDL_BUTTON_LMASK) buttons |= MK_LBUTTON;
    if (m.state & SDL_BUTTON_RMASK) buttons |= MK_RBUTTON;
    if (m.state & SDL_BUTTON_MMASK) buttons |= MK_MBUTTON;
    QueueMouseInput(m.windowID, m.x, m.y, WM_MOUSEMOVE, buttons, 0);
}

void OnWindowEvent(const SDL_WindowEvent& e) {
    Window* w = WindowOfEvent(e.windowID);
    if (!w || w->destroying) return;
    HWND handle = w->handle;
    switch (e.event) {
        case SDL_WINDOWEVENT_EXPOSED:
            w->needsPaint = true;
            w->needsErase = true;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (w->shown != Shown::Minimized)
                ReportSize(*w, w->shown == Shown::Maximized ? SIZE_MAXIMIZED : SIZE_RESTORED);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            w->shown = Shown::Minimized;
            DropFocusInside(handle);
            if ((w = Find(handle))) ReportSize(*w, SIZE_MINIMIZED);
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            w->shown = Shown::Maximized;
            ReportSize(*w, SIZE_MAXIMIZED);
            break;
        case SDL_WINDOWEVENT_RESTORED: {
            bool wasMinimized = w->shown == Shown::Minimized;
            w->shown = Shown::Normal;
            ReportSize(*w, SIZE_RESTORED);
            if (wasMinimized) Restored(handle);
            break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED: {
            HWND focus = GetFocus();
            if (!focus || TopLevelOf(focus) != handle) Activate(handle);
            break;
        }
        case SDL_WINDOWEVENT_FOCUS_LOST:
            Deactivated(handle);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            // The close box goes the old way: WM_SYSCOMMAND, whose default makes WM_CLOSE.
            if (!IsDisabledForInput(handle)) SendMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        default:
            break;
    }
}

}  // namespace

void TranslateSdlEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN: OnKey(event.key, true); break;
        case SDL_KEYUP: OnKey(event.key, false); break;
        case SDL_TEXTINPUT: OnText(event.text); break;
        case SDL_MOUSEMOTION: OnMotion(event.motion); break;
        case SDL_MOUSEBUTTONDOWN: OnButton(event.button, true); break;
        case SDL_MOUSEBUTTONUP: OnButton(event.button, false); break;
        case SDL_WINDOWEVENT: OnWindowEvent(event.window); break;
        case SDL_FINGERDOWN:
        case SDL_FINGERMOTION:
        case SDL_FINGERUP: TranslateTouch(event); break;
        default:
            // SDL_QUIT is left alone: each window's close request is its own.
            if (event.type == WakeEventType()) NoteWoken();
            break;
    }
}

void NoteRetrievedKey(const MSG& msg) {
    int vk = static_cast<int>(msg.wParam & 0xFF);
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        if (!(keyState[vk] & 0x80)) keyState[vk] ^= 0x01;
        keyState[vk] |= 0x80;
    } else if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) {
        keyState[vk] &= ~0x80;
    }
}

}  // namespace win

SHORT GetKeyState(int virtualKey) {
    BYTE state = win::keyState[virtualKey & 0xFF];
    // High bit: down (the result is negative); low bit: toggled.
    return static_cast<SHORT>(((state & 0x80) ? 0xFF80 : 0) | (state & 0x01));
}

}  // namespace plat
