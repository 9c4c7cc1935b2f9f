// Shared pieces of the window system tests: a window procedure that records
// what it is sent, and real SDL input pushed at a window.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win/host.h"
#include "platform/win/native_window.h"
#include "platform/win/window_system.h"

namespace wintest {

using namespace plat;

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Seen>& Log() {
    static std::vector<Seen> log;
    return log;
}

inline LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

inline int CountSeen(HWND window, UINT message) {
    return static_cast<int>(std::count_if(Log().begin(), Log().end(), [&](const Seen& s) {
        return s.hwnd == window && s.message == message;
    }));
}

// Position of the first matching message in the log, or -1.
inline int IndexSeen(HWND window, UINT message) {
    for (std::size_t i = 0; i < Log().size(); ++i)
        if (Log()[i].hwnd == window && Log()[i].message == message) return static_cast<int>(i);
    return -1;
}

inline void EnsureClass(const char* name, WNDPROC proc = RecordingProc, UINT style = 0, HBRUSH brush = nullptr) {
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &wc)) return;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = brush;
    wc.lpszClassName = name;
    ASSERT_NE(RegisterClassA(&wc), 0);
}

inline HWND MakeWindow(const char* cls, int width = 320, int height = 240, DWORD style = WS_OVERLAPPEDWINDOW) {
    EnsureClass(cls);
    return CreateWindowExA(0, cls, "test", style, CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// Takes and dispatches every message waiting; returns them in order.
inline std::vector<MSG> Drain(int limit = 1000) {
    std::vector<MSG> got;
    MSG msg;
    while (limit-- > 0 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        got.push_back(msg);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return got;
}

inline Uint32 IdOf(HWND window) { return SDL_GetWindowID(NativeWindowOf(window)); }

inline void PushKey(HWND window, SDL_Keycode key, bool down, Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = IdOf(window);
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
}

inline void PushText(HWND window, const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = IdOf(window);
    std::strncpy(e.text.text, utf8, sizeof(e.text.text) - 1);
    SDL_PushEvent(&e);
}

inline void PushButton(HWND window, Uint8 button, bool down, int x, int y, Uint8 clicks = 1) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = IdOf(window);
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = clicks;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

inline void PushMotion(HWND window, int x, int y, Uint32 buttonState = 0) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = IdOf(window);
    e.motion.state = buttonState;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
}

inline void PushWindowEvent(HWND window, Uint8 event) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = IdOf(window);
    e.window.event = event;
    SDL_PushEvent(&e);
}

// Destroys what a test made, and leaves the queue and the log empty.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { Log().clear(); }
    void TearDown() override {
        for (HWND w : made_) DestroyWindow(w);
        KillTimer(nullptr, 0);
        Drain();
        Log().clear();
        SetModalHook(nullptr);
    }
    HWND Make(const char* cls, int width = 320, int height = 240, DWORD style = WS_OVERLAPPEDWINDOW) {
        HWND w = MakeWindow(cls, width, height, style);
        if (w) made_.push_back(w);
        return w;
    }
    HWND Keep(HWND w) {
        made_.push_back(w);
        return w;
    }
    std::vector<HWND> made_;
};

}  // namespace wintest
