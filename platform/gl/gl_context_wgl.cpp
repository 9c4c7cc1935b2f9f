// OpenGL contexts on Windows: one WGL 3.3 core context per window, on a pixel
// format chosen to store pictures as our framebuffer objects do.
#include <epoxy/gl.h>
#include <epoxy/wgl.h>

#include <string>
#include <unordered_map>

#include "platform/gl/gl_context.h"
#include "platform/gl/gl_probe.h"

namespace plat::gl {
namespace {

// Set on a window together with its context: a window handle can be reused
// by a new window once the old one is gone, and the new one has no property.
constexpr char kContextProperty[] = "KestrovaGLContext";

struct WindowContext {
    HDC dc;
    HGLRC context;
};

std::unordered_map<HWND, WindowContext>& Contexts() {
    static std::unordered_map<HWND, WindowContext> contexts;
    return contexts;
}

void Delete(HWND window, const WindowContext& c) {
    if (wglGetCurrentContext() == c.context) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(c.context);
    // The window may be gone already, and its device context with it.
    if (IsWindow(window)) ::ReleaseDC(window, c.dc);
}

// The game destroys its windows through the system, which tells us nothing:
// contexts of windows that are gone are dropped before a new one is made.
void DropContextsOfDeadWindows() {
    auto& contexts = Contexts();
    for (auto it = contexts.begin(); it != contexts.end();) {
        if (IsWindow(it->first)) {
            ++it;
        } else {
            Delete(it->first, it->second);
            it = contexts.erase(it);
        }
    }
}

bool SetWindowPixelFormat(HDC dc) {
    // A window's pixel format is set once for its life; one set by us before stays.
    if (GetPixelFormat(dc) != 0) return true;
    PIXELFORMATDESCRIPTOR want{};
    want.nSize = sizeof want;
    want.nVersion = 1;
    want.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    want.iPixelType = PFD_TYPE_RGBA;
    want.cColorBits = 24;
    want.cDepthBits = 24;
    want.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &want);
    return format != 0 && SetPixelFormat(dc, format, &want);
}

// A 3.3 core context needs wglCreateContextAttribsARB, which only a current
// legacy context can hand out.
HGLRC CreateCoreContext(HDC dc) {
    HGLRC legacy = wglCreateContext(dc);
    if (!legacy) return nullptr;
    HGLRC core = nullptr;
    if (wglMakeCurrent(dc, legacy) && epoxy_has_wgl_extension(dc, "WGL_ARB_create_context_profile")) {
        const int attributes[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 3, WGL_CONTEXT_MINOR_VERSION_ARB, 3,
                                  WGL_CONTEXT_PROFILE_MASK_ARB, WGL_CONTEXT_CORE_PROFILE_BIT_ARB, 0};
        core = wglCreateContextAttribsARB(dc, nullptr, attributes);
    }
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(legacy);
    return core;
}

// A per-monitor DPI aware program moved to a monitor of another scale is told the
// rectangle that keeps its window the same size there, and must take it itself.
// The game's window procedure is shared with Linux, which has no such message:
// a top-level window that gets a context is subclassed here to take it.
constexpr char kNextProcProperty[] = "KestrovaNextWindowProc";

LRESULT CALLBACK FollowDpiProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto next = reinterpret_cast<WNDPROC>(GetPropA(window, kNextProcProperty));
    if (message == WM_DPICHANGED) {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    if (message == WM_NCDESTROY) RemovePropA(window, kNextProcProperty);
    return CallWindowProcA(next, window, message, wParam, lParam);
}

void FollowDpiChanges(HWND window) {
    if (GetAncestor(window, GA_ROOT) != window || GetPropA(window, kNextProcProperty)) return;
    SetPropA(window, kNextProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(window, GWLP_WNDPROC)));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FollowDpiProc));
}

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

NativeWindow NativeOf(HWND window) { return IsWindow(window) ? window : nullptr; }

void* CurrentContext() { return wglGetCurrentContext(); }

std::uintptr_t WindowKey(NativeWindow window) { return reinterpret_cast<std::uintptr_t>(window); }

bool WindowAlive(NativeWindow window, std::uintptr_t key) {
    return window && reinterpret_cast<std::uintptr_t>(window) == key && IsWindow(window);
}

void DrawableSize(NativeWindow window, int& width, int& height) {
    RECT client{};
    GetClientRect(window, &client);
    width = client.right - client.left;
    height = client.bottom - client.top;
}

void Present(NativeWindow window) {
    auto it = Contexts().find(window);
    if (it != Contexts().end()) SwapBuffers(it->second.dc);
}

bool ShowsPictures(NativeWindow window) { return IsWindowVisible(window) != FALSE; }

bool HasContext(NativeWindow window) {
    auto it = Contexts().find(window);
    return it != Contexts().end() && GetPropA(window, kContextProperty) == it->second.context;
}

bool MakeCurrent(NativeWindow window) {
    if (!window || !IsWindow(window)) return false;
    auto& contexts = Contexts();
    auto it = contexts.find(window);
    if (it != contexts.end() && GetPropA(window, kContextProperty) != it->second.context) {
        // The context belonged to a window gone before this one took its handle.
        if (wglGetCurrentContext() == it->second.context) wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(it->second.context);
        contexts.erase(it);
        it = contexts.end();
    }
    if (it == contexts.end()) {
        DropContextsOfDeadWindows();
        HDC dc = ::GetDC(window);
        if (!dc) return false;
        HGLRC context = SetWindowPixelFormat(dc) ? CreateCoreContext(dc) : nullptr;
        if (!context || !wglMakeCurrent(dc, context)) {
            if (context) wglDeleteContext(context);
            ::ReleaseDC(window, dc);
            return false;
        }
        // Presenting must never wait for a display refresh: the game paces itself.
        if (epoxy_has_wgl_extension(dc, "WGL_EXT_swap_control")) wglSwapIntervalEXT(0);
        SetPropA(window, kContextProperty, context);
        contexts.emplace(window, WindowContext{dc, context});
        FollowDpiChanges(window);
        return true;
    }
    return wglMakeCurrent(it->second.dc, it->second.context);
}

void ReleaseWindow(NativeWindow window) {
    auto it = Contexts().find(window);
    if (it == Contexts().end()) return;
    if (IsWindow(window)) RemovePropA(window, kContextProperty);
    Delete(it->first, it->second);
    Contexts().erase(it);
}

RendererInfo ProbeWithFirstContext() {
    RendererInfo info;
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA probeClass{};
    probeClass.style = CS_OWNDC;
    probeClass.lpfnWndProc = ProbeWindowProc;
    probeClass.hInstance = module;
    probeClass.lpszClassName = "KestrovaOpenGLProbe";
    RegisterClassA(&probeClass);
    HWND window = CreateWindowExA(0, probeClass.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  module, nullptr);
    if (!window) return info;
    // Creating a context makes it current; give the caller its own back.
    HDC previousDC = wglGetCurrentDC();
    HGLRC previousContext = wglGetCurrentContext();
    HDC dc = ::GetDC(window);
    if (dc && SetWindowPixelFormat(dc)) {
        if (HGLRC context = CreateCoreContext(dc)) {
            if (wglMakeCurrent(dc, context)) info = ReadCurrentRenderer();
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context);
        }
    }
    if (dc) ::ReleaseDC(window, dc);
    DestroyWindow(window);
    if (previousContext) wglMakeCurrent(previousDC, previousContext);
    return info;
}

}  // namespace plat::gl
