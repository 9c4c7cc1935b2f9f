// The base of a 3D view bound to one window: its scene, camera, device and
// viewport, and the hooks through which the view manager routes the window's events.
#pragma once

#include "app/platform_calls.h"

class RenderView {
public:
    RenderView();
    virtual ~RenderView();

    virtual bool InitForWindow(HWND window, RECT rect);
    virtual void AttachWindow(HWND window);
    virtual void OnWake() {}
    virtual void OnDoubleClick(unsigned x, unsigned y, WPARAM keys) { (void)x, (void)y, (void)keys; }
    virtual void OnKeyDown(WPARAM key) { (void)key; }
    virtual void OnKeyUp(WPARAM key) { (void)key; }
    virtual void OnChar(WPARAM code) { (void)code; }
    virtual void OnMouseDown(unsigned x, unsigned y, WPARAM keys) { (void)x, (void)y, (void)keys; }
    virtual void OnMouseUp(unsigned x, unsigned y, WPARAM keys) { (void)x, (void)y, (void)keys; }
    virtual void OnMouseMove(unsigned x, unsigned y, WPARAM keys) { (void)x, (void)y, (void)keys; }
    virtual void OnTick(float seconds);
    virtual bool Draw();
    virtual void Resize(HWND window);

    float accumulatedTime;
    HWND window;
    RECT requestedRect;
    bool deviceReady;
    RenderView* next;
};
