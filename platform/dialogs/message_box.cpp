// MessageBoxA: a plain window (never OpenGL, so it can say that OpenGL is
// missing) with the wrapped text and an OK button, run as a modal loop.
#include <SDL.h>

#include <algorithm>
#include <memory>

#include "platform/dialogs/dialog_core.h"
#include "platform/dialogs/surface_painter.h"
#include "platform/win/host.h"
#include "platform/win/native_window.h"
#include "platform/win/window_system.h"

namespace plat {
namespace {

constexpr const char* kClassName = "KestrovaMessageBox";
constexpr int kFontPixels = 13;

struct BoxState {
    std::unique_ptr<dialogs::Font> font;
    dialogs::MessageBoxLayout layout;
    dialogs::PushButton ok{IDOK, "OK", {}, true};
    bool done = false;
};

BoxState* StateOf(HWND window) { return reinterpret_cast<BoxState*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

void Paint(HWND window, BoxState& state) {
    SDL_Window* native = NativeWindowOf(window);
    SDL_Surface* surface = native ? SDL_GetWindowSurface(native) : nullptr;
    if (!surface) return;
    dialogs::FillBox(surface, {0, 0, surface->w, surface->h}, dialogs::kFace);
    if (state.layout.hasIcon) dialogs::DrawErrorIcon(surface, state.layout.icon);
    int y = state.layout.textY;
    for (const std::string& line : state.layout.lines) {
        dialogs::DrawText(surface, state.font.get(), state.layout.textX, y, line, dialogs::kText);
        y += state.layout.lineHeight;
    }
    dialogs::DrawPushButton(surface, state.font.get(), state.ok);
    SDL_UpdateWindowSurface(native);
}

void Redraw(HWND window) { InvalidateRect(window, nullptr, FALSE); }

// The close box sends its message while the loop waits in GetMessageA; the
// posted WM_NULL wakes the loop so it sees the box is done.
void Finish(HWND window, BoxState& state) {
    state.done = true;
    PostMessageA(window, WM_NULL, 0, 0);
}

LRESULT BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BoxState* state = StateOf(window);
    if (!state) return DefWindowProcA(window, message, wParam, lParam);
    int x = static_cast<int>(LOWORD(static_cast<std::uintptr_t>(lParam)));
    int y = static_cast<int>(HIWORD(static_cast<std::uintptr_t>(lParam)));
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            Paint(window, *state);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            state->ok.SetFocused(message == WM_SETFOCUS);
            Redraw(window);
            return 0;
        case WM_KEYDOWN:
            // Enter answers with the default button; Esc closes a box that
            // has only OK with IDOK, as the old platform did.
            if (wParam == static_cast<WPARAM>(VK_RETURN) || wParam == static_cast<WPARAM>(VK_ESCAPE)) {
                Finish(window, *state);
            } else if (wParam == static_cast<WPARAM>(VK_SPACE)) {
                state->ok.SpaceDown();
                Redraw(window);
            }
            return 0;
        case WM_KEYUP:
            if (wParam == static_cast<WPARAM>(VK_SPACE)) {
                if (state->ok.SpaceUp()) Finish(window, *state);
                Redraw(window);
            }
            return 0;
        case WM_LBUTTONDOWN:
            state->ok.MouseDown(x, y);
            Redraw(window);
            return 0;
        case WM_MOUSEMOVE: {
            bool was = state->ok.pressed();
            state->ok.MouseMove(x, y);
            if (was != state->ok.pressed()) Redraw(window);
            return 0;
        }
        case WM_LBUTTONUP:
            if (state->ok.MouseUp(x, y)) Finish(window, *state);
            Redraw(window);
            return 0;
        case WM_CLOSE:
            Finish(window, *state);  // MessageBoxA destroys the box once its loop ends
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterBoxClass() {
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), kClassName, &wc)) return true;
    wc.lpfnWndProc = BoxProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (!RegisterBoxClass()) return 0;
    auto state = std::make_unique<BoxState>();
    state->font = dialogs::Font::Open("MS Sans Serif", kFontPixels);
    // Without a font the box keeps its size and its button, only the text is missing.
    dialogs::FixedMeasure fallback(7, 16);
    const dialogs::TextMeasure& measure = state->font ? static_cast<const dialogs::TextMeasure&>(*state->font) : fallback;

    SDL_Rect desktop{0, 0, 1024, 768};
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDisplayUsableBounds(0, &desktop) != 0) desktop = {0, 0, 1024, 768};
    int maxTextWidth = std::clamp(desktop.w / 2, 200, 600);
    int maxHeight = std::max(160, desktop.h * 3 / 4);
    bool icon = (type & 0xF0) == MB_ICONERROR;
    state->layout = dialogs::LayoutMessageBox(text ? text : "", icon, measure, maxTextWidth, maxHeight);
    state->ok = dialogs::PushButton(IDOK, "OK", state->layout.okButton, true);

    HWND box = CreatePlainWindowExA(0, kClassName, caption ? caption : "Error", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                    CW_USEDEFAULT, CW_USEDEFAULT, state->layout.width, state->layout.height,
                                    owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!box) return 0;
    SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.get()));

    CentreOverOwner(owner, box);
    ModalSession session = BeginModal(owner, box);
    RunModalLoop(session, [&] { return state->done; });
    EndModal(session);
    DestroyWindow(box);
    return IDOK;
}

}  // namespace plat
