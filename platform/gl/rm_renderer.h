// The OpenGL side of Retained Mode devices. A device covering its window's
// whole client area draws straight into the window's back buffer and Update
// presents it; any other device is a framebuffer object in the window's
// context, which Update copies to the window before presenting.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3drm/draw_list.h"
#include "platform/gl/gl_window.h"

namespace plat::gl {

struct DeviceTarget;

// Null when the window cannot carry an OpenGL 3.3 context or the size is empty.
// A second device on a window moves one drawing there directly to a
// framebuffer object, empty until it draws again.
DeviceTarget* CreateDeviceTarget(NativeWindow window, int width, int height);
void DestroyDeviceTarget(DeviceTarget* target);
// Whether the device draws straight into its window's back buffer.
bool DrawsToWindow(const DeviceTarget* target);

// Rectangles are in device pixels, top-left origin. Colours 0x00RRGGBB.
bool ClearViewport(DeviceTarget* target, int x, int y, int width, int height, std::uint32_t rgb);
// clip: world to clip space for the viewport's rectangle, row-major; eye:
// the camera's place in the world, which decides the faces seen. The device
// keeps the list's vertices on the GPU and takes only the changed ones.
bool DrawViewport(DeviceTarget* target, int x, int y, int width, int height, const float clip[16],
                  const float eye[3], rm::DrawList& list, bool linearFiltering);
bool PresentDevice(DeviceTarget* target);
// A device drawing into its window can be read only until Update presents
// the picture; a read after that fails and moves the device to a framebuffer
// object, so that every later picture can be read.
bool ReadDevicePixel(DeviceTarget* target, int x, int y, std::uint32_t& rgb);
// The whole picture, 0x00RRGGBB rows from the top.
bool ReadDeviceImage(DeviceTarget* target, std::vector<std::uint32_t>& pixels);

// A texture is gone: its copies in every context may go with it.
void ForgetTexture(std::uint64_t imageId);

}  // namespace plat::gl
