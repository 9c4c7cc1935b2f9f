// Paint requests, BeginPaint/EndPaint and the default window procedure.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/gl/gl_context.h"
#include "platform/win/window_table.h"

namespace plat {
namespace win {

bool EraseWithClassBrush(HWND handle) {
    Window* w = Find(handle);
    COLORREF color = 0;
    if (!w || !w->cls->wc.hbrBackground || !gdi::BrushColor(w->cls->wc.hbrBackground, &color)) return false;
    Window* top = Find(TopLevelOf(handle));
    if (!top || !top->native) return false;
    if (top->opengl) return gl::PaintSolid(top->native, GetRValue(color), GetGValue(color), GetBValue(color));
    SDL_Surface* surface = SDL_GetWindowSurface(top->native);
    if (!surface) return false;
    SDL_Rect area{0, 0, surface->w, surface->h};
    if (top != w) area = {w->rect.left, w->rect.top, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    SDL_FillRect(surface, &area, SDL_MapRGB(surface->format, GetRValue(color), GetGValue(color), GetBValue(color)));
    SDL_UpdateWindowSurface(top->native);
    return true;
}

}  // namespace win

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    win::Window* w = win::Find(window);
    if (!w || !paint) return nullptr;
    bool erase = w->needsErase;
    w->needsPaint = false;
    w->needsErase = false;
    std::memset(paint, 0, sizeof(*paint));
    paint->hdc = GetDC(window);
    GetClientRect(window, &paint->rcPaint);
    // fErase tells the program the background is still to be erased.
    paint->fErase = erase && SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) == 0;
    return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (!paint) return FALSE;
    if (paint->hdc) ReleaseDC(window, paint->hdc);
    // The class brush's colour, if the paint drew nothing over it.
    win::Window* top = win::Find(win::TopLevelOf(window));
    if (top && top->opengl && top->native) gl::PresentPending(top->native);
    return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL erase) {
    // The whole client area is repainted whatever the rectangle: every window
    // here draws all of it anyway.
    if (!window) {
        for (auto& [id, w] : win::AllWindows()) {
            w->needsPaint = true;
            w->needsErase = w->needsErase || erase;
        }
        return TRUE;
    }
    win::Window* w = win::Find(window);
    if (!w) return FALSE;
    w->needsPaint = true;
    w->needsErase = w->needsErase || erase;
    return TRUE;
}

BOOL UpdateWindow(HWND window) {
    win::Window* w = win::Find(window);
    if (!w) return FALSE;
    if (w->needsPaint && w->visible) SendMessageA(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top ? TRUE : FALSE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    win::Window* w = win::Find(window);
    if (!w) return 0;
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == static_cast<WPARAM>(VK_F4) && (lParam & (1 << 29)))
                SendMessageA(win::TopLevelOf(window), WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return win::EraseWithClassBrush(window) ? 1 : 0;
        case WM_SETTEXT:
            w->title = lParam ? reinterpret_cast<const char*>(lParam) : "";
            if (w->native) SDL_SetWindowTitle(w->native, w->title.c_str());
            return TRUE;
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(w->title.size());
        case WM_GETTEXT: {
            char* out = reinterpret_cast<char*>(lParam);
            if (!out || wParam == 0) return 0;
            std::size_t n = std::min<std::size_t>(w->title.size(), wParam - 1);
            // Never cut a UTF-8 character in half.
            while (n > 0 && n < w->title.size() && (static_cast<unsigned char>(w->title[n]) & 0xC0) == 0x80) --n;
            std::memcpy(out, w->title.data(), n);
            out[n] = '\0';
            return static_cast<LRESULT>(n);
        }
        default:
            return 0;
    }
}

}  // namespace plat
