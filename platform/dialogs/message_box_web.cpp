// MessageBoxA in the browser: an HTML dialog centred over the canvas, laid
// out as on Linux (dialog_core's LayoutMessageBox) with the page's own text
// measures, run as a modal loop until OK, Enter, Esc or the close box.
#include <algorithm>
#include <memory>

#include "platform/dialogs/dialog_core.h"
#include "platform/dialogs/dialog_placement.h"
#include "platform/dialogs/page_dialog_web.h"
#include "platform/win/host.h"
#include "platform/win/native_window.h"
#include "platform/win/window_system.h"

namespace plat {
namespace {

constexpr const char* kClassName = "KestrovaMessageBox";
constexpr const char* kFontFamily = "MS Sans Serif";
constexpr int kFontPixels = 13;

struct BoxState {
    int token = 0;
    HWND hwnd = nullptr;
    bool done = false;
};

// Boxes in their loops, innermost last.
std::vector<BoxState*>& Running() {
    static std::vector<BoxState*> running;
    return running;
}

// OK, Enter, Esc and the close box all answer IDOK, as the old platform's
// box with only OK did; the posted WM_NULL wakes the loop to see it.
void FromPage(int token, int event, int value) {
    if (event == dialogs::page::kFocused) return;
    if (event == dialogs::page::kKey && value != VK_RETURN && value != VK_ESCAPE) return;
    for (BoxState* box : Running()) {
        if (box->token != token) continue;
        box->done = true;
        PostMessageA(box->hwnd, WM_NULL, 0, 0);
    }
}

BoxState* StateOf(HWND window) {
    for (BoxState* box : Running())
        if (box->hwnd == window && window) return box;
    return nullptr;
}

LRESULT BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BoxState* state = StateOf(window);
    if (!state) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_SHOWWINDOW: dialogs::page::Show(state->token, wParam != FALSE); return 0;
        case WM_SETFOCUS: dialogs::page::Focus(state->token, IDOK); return 0;
        case WM_PAINT: return dialogs::page::PaintedByThePage(window);
        case WM_ERASEBKGND: return 1;
        case WM_CLOSE:
            state->done = true;  // MessageBoxA ends the box once its loop sees it
            return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
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

// Over the canvas when the owner is the game's window and shows, else in the
// middle of the browser's window; kept inside it either way.
dialogs::Box Centred(HWND owner, int width, int height) {
    const dialogs::page::Area area = dialogs::page::PageArea();
    const dialogs::FrameInsets frame = dialogs::page::Frame();
    dialogs::Box over = area.viewport;
    if (IsWindowVisible(owner) && NativeWindowOf(owner) && area.canvasShown) over = area.canvas;
    dialogs::Box window{over.x + (over.w - width) / 2 - frame.left, over.y + (over.h - height) / 2 - frame.top,
                        frame.left + width + frame.right, frame.top + height + frame.bottom};
    return dialogs::KeepInWorkArea(window, area.viewport);
}

// Without an owner there is no window to disable and none for the box: the
// loop runs on its own until the box is answered.
void RunOwnerless(const BoxState& state) {
    dialogs::page::Show(state.token, true);
    dialogs::page::Focus(state.token, IDOK);
    MSG msg;
    while (!state.done) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must still see the quit
            break;
        }
        if (got < 0) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (!RegisterBoxClass()) return 0;
    const dialogs::page::Measure measure(kFontFamily, kFontPixels);
    const dialogs::page::Area area = dialogs::page::PageArea();
    const int maxTextWidth = std::clamp(area.viewport.w / 2, 200, 600);
    const int maxHeight = std::max(160, area.viewport.h * 3 / 4);
    const bool icon = (type & 0xF0) == MB_ICONERROR;
    const dialogs::MessageBoxLayout layout =
        dialogs::LayoutMessageBox(text ? text : "", icon, measure, maxTextWidth, maxHeight);
    const std::string title = caption ? caption : "Error";

    BoxState state;
    state.token = dialogs::page::Open(title, kFontFamily, kFontPixels, Centred(owner, layout.width, layout.height),
                                      true, FromPage);
    if (layout.hasIcon) dialogs::page::Add(state.token, dialogs::page::Part::ErrorIcon, 0, "", layout.icon, false);
    int y = layout.textY;
    for (const std::string& line : layout.lines) {
        dialogs::page::Add(state.token, dialogs::page::Part::Static, 0, line,
                           {layout.textX, y, layout.width - layout.textX, layout.lineHeight}, false);
        y += layout.lineHeight;
    }
    dialogs::page::Add(state.token, dialogs::page::Part::Button, IDOK, "OK", layout.okButton, true);

    Running().push_back(&state);
    struct Unlist {
        BoxState* state;
        ~Unlist() {
            std::erase(Running(), state);
            dialogs::page::Close(state->token);
        }
    } unlist{&state};
    state.hwnd = dialogs::page::CreatePageWindow(kClassName, title, WS_POPUP | WS_CAPTION | WS_SYSMENU, layout.width,
                                                 layout.height, owner);
    if (!state.hwnd) {
        RunOwnerless(state);
        return IDOK;
    }
    ModalSession session = BeginModal(owner, state.hwnd);
    RunModalLoop(session, [&] { return state.done; });
    EndModal(session);
    DestroyWindow(state.hwnd);
    return IDOK;
}

}  // namespace plat
