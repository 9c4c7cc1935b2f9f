// Fingers become the mouse a game of the old platform understands. One finger
// is the pointer: the racket follows it, and lifting it is a click where it
// lifts, so a tap clicks at the finger. Two fingers are a drag with the right
// button, at the point between them. The click waits for the lift so that
// the first of two fingers never clicks. SDL's own finger mouse knows only
// the first finger and clicks as it lands; it is switched off (EnsureSdl).
#include <SDL.h>

#include <algorithm>

#include "platform/win/message_queue.h"

namespace plat::win {
namespace {

struct Finger {
    SDL_FingerID id = 0;
    bool down = false;
    float x = 0, y = 0;  // 0..1 across the window
};

// The two fingers a gesture follows; a third is ignored.
Finger fingers[2];
// After a two-finger drag the gesture is spent until every finger is lifted,
// so that the finger left behind neither clicks nor throws the racket across.
enum class Gesture { None, Pointing, Dragging, Spent };
Gesture gesture = Gesture::None;
Uint32 touchedWindow = 0;

int Down() { return fingers[0].down + fingers[1].down; }

Finger* Tracked(SDL_FingerID id) {
    for (Finger& f : fingers)
        if (f.down && f.id == id) return &f;
    return nullptr;
}

// The point the gesture stands for, in the window's client pixels.
bool Point(int* x, int* y) {
    SDL_Window* window = SDL_GetWindowFromID(touchedWindow);
    if (!window) return false;
    float fx = 0, fy = 0;
    for (const Finger& f : fingers)
        if (f.down) fx += f.x, fy += f.y;
    const int n = std::max(Down(), 1);
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w <= 0 || h <= 0) return false;
    *x = std::clamp(static_cast<int>(fx / n * static_cast<float>(w)), 0, w - 1);
    *y = std::clamp(static_cast<int>(fy / n * static_cast<float>(h)), 0, h - 1);
    return true;
}

void Send(UINT message, WPARAM buttons) {
    int x = 0, y = 0;
    if (Point(&x, &y)) QueueMouseInput(touchedWindow, x, y, message, buttons, 1);
}

void FingerDown(const SDL_TouchFingerEvent& e) {
    if (Tracked(e.fingerId)) return;
    if (Down() == 0) {
        gesture = Gesture::None;
        touchedWindow = e.windowID;
    }
    Finger* slot = !fingers[0].down ? &fingers[0] : !fingers[1].down ? &fingers[1] : nullptr;
    if (!slot || e.windowID != touchedWindow) return;
    *slot = Finger{e.fingerId, true, e.x, e.y};
    if (gesture == Gesture::None) {
        gesture = Gesture::Pointing;
        Send(WM_MOUSEMOVE, 0);
    } else if (gesture == Gesture::Pointing) {
        gesture = Gesture::Dragging;
        Send(WM_RBUTTONDOWN, MK_RBUTTON);
    }
}

void FingerMotion(const SDL_TouchFingerEvent& e) {
    Finger* f = Tracked(e.fingerId);
    if (!f) return;
    f->x = e.x;
    f->y = e.y;
    if (gesture == Gesture::Pointing) Send(WM_MOUSEMOVE, 0);
    if (gesture == Gesture::Dragging) Send(WM_MOUSEMOVE, MK_RBUTTON);
}

void FingerUp(const SDL_TouchFingerEvent& e) {
    Finger* f = Tracked(e.fingerId);
    if (!f) return;
    f->x = e.x;
    f->y = e.y;
    if (gesture == Gesture::Pointing) {
        Send(WM_MOUSEMOVE, 0);
        Send(WM_LBUTTONDOWN, MK_LBUTTON);
        Send(WM_LBUTTONUP, 0);
    } else if (gesture == Gesture::Dragging) {
        Send(WM_RBUTTONUP, 0);
    }
    gesture = Gesture::Spent;
    f->down = false;
}

}  // namespace

void TranslateTouch(const SDL_Event& event) {
    switch (event.type) {
        case SDL_FINGERDOWN: FingerDown(event.tfinger); break;
        case SDL_FINGERMOTION: FingerMotion(event.tfinger); break;
        case SDL_FINGERUP: FingerUp(event.tfinger); break;
        default: break;
    }
}

}  // namespace plat::win
