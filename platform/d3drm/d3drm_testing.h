// Ways for tests and benchmarks to reach a device without the window system:
// platform-internal, the game never includes this.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3drm/d3drm.h"
#include "platform/gl/gl_window.h"


namespace plat {

// A device drawing into a window that can carry OpenGL: an SDL window made
// with SDL_WINDOW_OPENGL on Linux, a top-level window on Windows.
HRESULT CreateDeviceOnNativeWindow(IDirect3DRM* rm, gl::NativeWindow window, int width, int height,
                                   IDirect3DRMDevice** out);

// One pixel of the device's picture (x, y from the top-left), as 0xRRGGBB;
// false when the device cannot be read.
bool ReadDevicePixels(IDirect3DRMDevice* device, int x, int y, std::uint32_t& rgb);

// The device's whole picture, 0x00RRGGBB rows from the top.
bool ReadDeviceImage(IDirect3DRMDevice* device, std::vector<std::uint32_t>& pixels);

// Whether the device draws straight into its window (else into a framebuffer
// object that Update copies to the window).
bool DeviceDrawsToWindow(IDirect3DRMDevice* device);

// How many pictures Tick has drawn on the device.
std::uint64_t TickPictureCount(IDirect3DRMDevice* device);

// The device's next picture is made from scratch, as a new device's would be:
// nothing kept from earlier pictures, on the CPU or the GPU.
void ForgetKeptScene(IDirect3DRMDevice* device);

// The process-wide texture defaults last given to SetDefaultTextureColors and
// SetDefaultTextureShades (0 for an object that is not ours).
DWORD DefaultTextureColors(IDirect3DRM* rm);
DWORD DefaultTextureShades(IDirect3DRM* rm);

// The texels of a texture as the renderer would take them, 0x00RRGGBB rows
// from the top; false when the texture has no readable surface.
bool ReadTexturePixels(IDirect3DRMTexture* texture, std::vector<std::uint32_t>& texels, int& width, int& height);

// Face `index` of a mesh builder, referenced; E_INVALIDARG past the last one.
HRESULT GetMeshFace(IDirect3DRMMeshBuilder* mesh, DWORD index, IDirect3DRMFace** out);

}  // namespace plat
