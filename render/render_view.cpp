#include "render/render_view.h"

#include <new>

#include "app/view_manager.h"
#include "render/camera_rig.h"
#include "render/graphics_startup.h"

RenderView::RenderView()
    : accumulatedTime(0.0f), window(nullptr), requestedRect{0, 0, 0, 0}, scene(nullptr), world(nullptr),
      clipper(nullptr), device(nullptr), viewport(nullptr), cameraRig(nullptr), deviceReady(false),
      next(nullptr) {
    viewManager.LinkView(this);
}

RenderView::~RenderView() {
    if (viewport) viewport->Release();
    if (device) device->Release();
    if (clipper) clipper->Release();
    if (cameraRig) {
        cameraRig->ReleaseCameraFrame();
        delete cameraRig;
    }
    if (world) world->Release();
    if (scene) scene->Release();
}

void RenderView::AttachWindow(HWND target) {
    window = target;
    requestedRect = RECT{0, 0, 0, 0};
    InitForWindow(window, requestedRect);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

bool RenderView::InitForWindow(HWND target, RECT rect) {
    window = target;
    requestedRect = rect;
    // Without Retained Mode there is nothing to build a scene with.
    if (!retainedMode) return false;
    retainedMode->CreateFrame(nullptr, &scene);
    retainedMode->CreateFrame(scene, &world);
    cameraRig = new (std::nothrow) CameraRig(this);
    DirectDrawCreateClipper(0, &clipper, nullptr);
    if (clipper) clipper->SetHWnd(0, window);
    deviceReady = MakeDevice(clipper, viewManager.chosenDevice, DeviceRect(window));
    return deviceReady;
}

// An empty requested rectangle means the whole client area, measured now.
RECT RenderView::DeviceRect(HWND target) const {
    if (!IsRectEmpty(&requestedRect)) return requestedRect;
    RECT client{0, 0, 0, 0};
    GetClientRect(target, &client);
    return client;
}

bool RenderView::MakeDevice(IDirectDrawClipper* deviceClipper, int deviceIndex, RECT rect) {
    if (!retainedMode || deviceIndex < 0 || deviceIndex >= deviceCount) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    retainedMode->CreateDeviceFromClipper(deviceClipper, &deviceGuids[deviceIndex], width, height, &device);
    if (!device) return false;
    const DWORD deviceHeight = device->GetHeight();
    IDirect3DRMFrame* camera = cameraRig ? cameraRig->cameraFrame : nullptr;
    if (FAILED(retainedMode->CreateViewport(device, camera, rect.left, rect.top, width, deviceHeight,
                                            &viewport)) ||
        !viewport) {
        viewport = nullptr;
        device->Release();
        device = nullptr;
        return false;
    }
    if (FAILED(viewport->SetBack(kBackPlane))) {
        DropDevice();
        return false;
    }
    return ApplyQuality();
}

bool RenderView::ApplyQuality() {
    if (FAILED(device->SetQuality(D3DRMRENDER_GOURAUD))) return false;
    device->SetTextureQuality(D3DRMTEXTURE_LINEAR);

    DWORD shades = 0, textureColors = 0, textureShades = 0;
    switch (screenBitDepth) {
    case 1: shades = 4; textureShades = 4; break;
    case 16: shades = 32; textureColors = 128; textureShades = 256; break;
    case 24:
    case 32: shades = 256; textureColors = 64; textureShades = 256; break;
    default: return true;
    }
    if (FAILED(device->SetShades(shades))) return false;
    if (textureColors && FAILED(retainedMode->SetDefaultTextureColors(textureColors))) return false;
    return SUCCEEDED(retainedMode->SetDefaultTextureShades(textureShades));
}

void RenderView::SetBackgroundRGB(float red, float green, float blue) {
    if (scene) scene->SetSceneBackgroundRGB(red, green, blue);
}

void RenderView::OnTick(float seconds) { accumulatedTime += seconds; }

bool RenderView::Draw() {
    if (!deviceReady) return false;
    if (FAILED(viewport->Clear())) return false;
    if (FAILED(viewport->Render(scene))) return false;
    return SUCCEEDED(device->Update());
}

void RenderView::DropDevice() {
    if (viewport) viewport->Release();
    if (device) device->Release();
    viewport = nullptr;
    device = nullptr;
}

// Frames, camera and clipper survive; only the device and viewport follow the new size.
void RenderView::Resize(HWND target) {
    // A device whose settings failed is dropped as well, not leaked.
    DropDevice();
    deviceReady = false;
    if (!clipper) return;
    deviceReady = MakeDevice(clipper, viewManager.chosenDevice, DeviceRect(target));
}
