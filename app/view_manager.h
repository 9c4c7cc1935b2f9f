// The one object between the window procedure and the 3D views: routes input by
// window, turns timer messages into game time and tracks player inactivity.
#pragma once

#include "app/platform_calls.h"

class RenderView;

class ViewManager {
public:
    ViewManager();
    ~ViewManager();

    void LinkView(RenderView* view);
    RenderView* FindView(HWND window) const;
    void NoteInput();

    void RouteKeyDown(HWND window, WPARAM key);
    void RouteKeyUp(HWND window, WPARAM key);
    void RouteChar(HWND window, WPARAM code);
    void RouteMouseDown(HWND window, unsigned x, unsigned y, WPARAM keys);
    void RouteMouseUp(HWND window, unsigned x, unsigned y, WPARAM keys);
    void RouteDoubleClick(HWND window, unsigned x, unsigned y, WPARAM keys);
    void RouteMouseMove(HWND window, unsigned x, unsigned y, WPARAM keys);
    bool RoutePaint(HWND window);
    void RouteResize(HWND window);

    void TimerTick();
    void IdleRender();

    bool StartGraphics(HWND window);
    void ShutdownGraphics();

    bool started;
    float tickTime;
    int ticksSinceInput;
    RenderView* views;
    bool idle;
    IDirectDraw2* directDraw;
    bool sceneChanged;
    int chosenDevice;
    bool chosenIsHardware;
    bool chosenIsMono;
};

// Game time one timer message stands for, and the timer's period.
constexpr float kTickSeconds = 0.066f;
constexpr UINT kTickMilliseconds = 66;
// Timer ticks without key or button input after which the player counts as away.
constexpr int kIdleTicks = 900;

extern ViewManager viewManager;
