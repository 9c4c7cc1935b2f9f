#include "tests/support/modal_boxes.h"

#include <cstring>

namespace testsupport {
namespace {

std::function<void(HWND)>& Callback() {
    static std::function<void(HWND)> callback;
    return callback;
}

HHOOK hook = nullptr;

// Message boxes and dialogs are both of the system's dialog class.
bool IsDialogWindow(HWND window) {
    char name[16] = {};
    return GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, "#32770") == 0;
}

LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam) {
    // A box is activated as it is shown, before its loop runs: what is posted
    // now is the first thing that loop finds.
    if (code == HCBT_ACTIVATE && Callback()) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialogWindow(window)) Callback()(window);
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

void OnModalBox(std::function<void(HWND box)> onBox) {
    Callback() = std::move(onBox);
    if (Callback() && !hook) hook = SetWindowsHookExA(WH_CBT, WatchActivation, nullptr, GetCurrentThreadId());
    if (!Callback() && hook) {
        UnhookWindowsHookEx(hook);
        hook = nullptr;
    }
}

void PressEnter(HWND box) {
    // The dialog manager's IsDialogMessage turns Enter into the default button's command.
    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(box, WM_KEYUP, VK_RETURN, 1 | (1u << 30) | (1u << 31));
}

}  // namespace testsupport
