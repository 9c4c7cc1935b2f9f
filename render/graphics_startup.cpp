#include "render/graphics_startup.h"

#include "app/view_manager.h"
#include "render/render_view.h"

int screenBitDepth = 0;
int deviceCount = 0;
GUID deviceGuids[kMaxDevices] = {};
IDirect3DRM* retainedMode = nullptr;

bool ViewManager::StartGraphics(HWND) {
    if (started) return true;

    HDC desktop = GetDC(nullptr);
    screenBitDepth = GetDeviceCaps(desktop, BITSPIXEL);
    ReleaseDC(nullptr, desktop);

    deviceCount = 0;
    if (!StartDirectDraw()) return false;
    Direct3DRMCreate(&retainedMode);
    started = true;
    return true;
}

bool StartDirectDraw() {
    IDirectDraw* firstDirectDraw = nullptr;
    if (FAILED(DirectDrawCreate(nullptr, &firstDirectDraw, nullptr)) || !firstDirectDraw) return false;

    if (FAILED(firstDirectDraw->QueryInterface(IID_IDirectDraw2,
                                               reinterpret_cast<void**>(&viewManager.directDraw)))) {
        viewManager.directDraw = nullptr;
        firstDirectDraw->Release();
        return false;
    }
    viewManager.directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);

    IDirect3D* direct3D = nullptr;
    if (FAILED(viewManager.directDraw->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&direct3D)))) {
        viewManager.directDraw->Release();
        viewManager.directDraw = nullptr;
        firstDirectDraw->Release();
        return false;
    }

    viewManager.chosenDevice = -1;
    direct3D->EnumDevices(EnumDeviceCallback, &viewManager.chosenDevice);

    direct3D->Release();
    if (deviceCount == 0) {
        // Nothing can render here; keep no DirectDraw behind for a start that failed.
        viewManager.directDraw->Release();
        viewManager.directDraw = nullptr;
        firstDirectDraw->Release();
        return false;
    }
    firstDirectDraw->Release();
    return true;
}

DWORD BitDepthFlag(int bits) {
    switch (bits) {
    case 1: return DDBD_1;
    case 2: return DDBD_2;
    case 4: return DDBD_4;
    case 8: return DDBD_8;
    case 16: return DDBD_16;
    case 24: return DDBD_24;
    case 32: return DDBD_32;
    default: return 0;
    }
}

HRESULT EnumDeviceCallback(GUID* guid, char*, char*, D3DDEVICEDESC* hardware, D3DDEVICEDESC* software,
                           void* context) {
    int* chosen = static_cast<int*>(context);
    const bool isHardware = hardware && hardware->dcmColorModel != 0;
    const D3DDEVICEDESC* picked = isHardware ? hardware : software;
    if (!picked || !guid || !chosen) return D3DENUMRET_OK;

    if ((BitDepthFlag(screenBitDepth) & picked->dwDeviceRenderBitDepth) == 0) return D3DENUMRET_OK;

    const int n = deviceCount;
    deviceGuids[n] = *guid;

    const D3DCOLORMODEL model = picked->dcmColorModel;
    if (*chosen == -1) {
        *chosen = n;
        viewManager.chosenIsHardware = isHardware;
        viewManager.chosenIsMono = model != 0;
    } else if (isHardware && !viewManager.chosenIsHardware) {
        *chosen = n;
        viewManager.chosenIsHardware = true;
        viewManager.chosenIsMono = (model & 1) != 0;
    } else if (!isHardware && viewManager.chosenIsHardware) {
        // Any usable hardware device beats every software one.
    } else if (model == D3DCOLOR_MONO && !viewManager.chosenIsMono) {
        *chosen = n;
        viewManager.chosenIsMono = true;
    }

    deviceCount = n + 1;
    return deviceCount == kMaxDevices ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
}

void ViewManager::ShutdownGraphics() {
    while (views) {
        RenderView* following = views->next;
        delete views;
        views = following;
    }
    if (retainedMode) {
        retainedMode->Release();
        retainedMode = nullptr;
    }
    if (directDraw) {
        directDraw->Release();
        directDraw = nullptr;
    }
    started = false;
}
