#include "platform/ddraw/device_enum.h"

#include <string>
#include <vector>

#include "platform/gl/gl_probe.h"

namespace plat::ddraw {
namespace {

struct Device {
    GUID guid;
    std::string description;
    std::string name;
    D3DDEVICEDESC hardware;
    D3DDEVICEDESC software;
};

// The half of a description that says what the renderer can do; the other
// half stays empty (colour model 0), which is how callers tell the kinds apart.
void DescribeRenderer(D3DDEVICEDESC& desc) {
    desc.dwFlags = D3DDD_COLORMODEL | D3DDD_DEVCAPS | D3DDD_TRANSFORMCAPS | D3DDD_LIGHTINGCAPS | D3DDD_BCLIPPING |
                   D3DDD_LINECAPS | D3DDD_TRICAPS | D3DDD_DEVICERENDERBITDEPTH | D3DDD_DEVICEZBUFFERBITDEPTH;
    desc.dcmColorModel = D3DCOLOR_RGB;
    desc.dwDevCaps = D3DDEVCAPS_FLOATTLVERTEX;
    desc.dtcTransformCaps.dwCaps = D3DTRANSFORMCAPS_CLIP;
    desc.bClipping = TRUE;
    desc.dlcLightingCaps.dwCaps =
        D3DLIGHTCAPS_POINT | D3DLIGHTCAPS_SPOT | D3DLIGHTCAPS_DIRECTIONAL | D3DLIGHTCAPS_PARALLELPOINT;
    desc.dlcLightingCaps.dwLightingModel = D3DLIGHTINGMODEL_RGB;
    desc.dlcLightingCaps.dwNumLights = 0;  // no limit
    // The framebuffer objects behind devices can be made at any of these.
    desc.dwDeviceRenderBitDepth = DDBD_16 | DDBD_24 | DDBD_32;
    desc.dwDeviceZBufferBitDepth = DDBD_16 | DDBD_24 | DDBD_32;
}

D3DDEVICEDESC EmptyDescription() {
    D3DDEVICEDESC desc{};
    desc.dwSize = sizeof(D3DDEVICEDESC);
    desc.dtcTransformCaps.dwSize = sizeof(D3DTRANSFORMCAPS);
    desc.dlcLightingCaps.dwSize = sizeof(D3DLIGHTINGCAPS);
    desc.dpcLineCaps.dwSize = sizeof(D3DPRIMCAPS);
    desc.dpcTriCaps.dwSize = sizeof(D3DPRIMCAPS);
    return desc;
}

std::vector<Device> MachineDevices() {
    std::vector<Device> devices;
    const gl::RendererInfo& renderer = gl::ProbeRenderer();
    if (!renderer.available) return devices;  // no OpenGL: nothing can render
    Device device{renderer.software ? IID_IDirect3DRGBDevice : IID_IDirect3DHALDevice,
                  renderer.software ? "Software rasteriser (OpenGL)" : "Hardware acceleration (OpenGL)",
                  renderer.renderer, EmptyDescription(), EmptyDescription()};
    DescribeRenderer(renderer.software ? device.software : device.hardware);
    devices.push_back(device);
    return devices;
}

}  // namespace

HRESULT EnumerateDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) {
    if (!callback) return DDERR_INVALIDPARAMS;
    for (Device& device : MachineDevices()) {
        // The callback gets copies it may scribble on, as it could on the old platform.
        if (callback(&device.guid, device.description.data(), device.name.data(), &device.hardware,
                     &device.software, context) == D3DENUMRET_CANCEL) {
            break;
        }
    }
    return D3D_OK;
}

}  // namespace plat::ddraw
