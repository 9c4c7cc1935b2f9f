// The base of a 3D view bound to one window: its scene, camera, device and
// viewport, and the hooks through which the view manager routes the window's events.
#pragma once

#include "app/platform_calls.h"

class CameraRig;

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

    bool MakeDevice(IDirectDrawClipper* clipper, int deviceIndex, RECT rect);
    bool ApplyQuality();
    void SetBackgroundRGB(float red, float green, float blue);

    float accumulatedTime;
    HWND window;
    RECT requestedRect;
    IDirect3DRMFrame* scene;
    IDirect3DRMFrame* world;
    IDirectDrawClipper* clipper;
    IDirect3DRMDevice* device;
    IDirect3DRMViewport* viewport;
    CameraRig* cameraRig;
    bool deviceReady;
    RenderView* next;

private:
    RECT DeviceRect(HWND window) const;
    void DropDevice();
};

// Distance from the camera to the far clipping plane.
constexpr float kBackPlane = 2000.0f;
