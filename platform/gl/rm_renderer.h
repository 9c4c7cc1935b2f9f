// The OpenGL side of Retained Mode devices: a device is a framebuffer object
// in its window's context; viewports clear and draw into their part of it,
// and Update copies it to the window and presents.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3drm/draw_list.h"

struct SDL_Window;

namespace plat::gl {

struct DeviceTarget;

// Null when the window cannot carry an OpenGL 3.3 context or the size is empty.
DeviceTarget* CreateDeviceTarget(SDL_Window* window, int width, int height);
void DestroyDeviceTarget(DeviceTarget* target);

// Rectangles are in device pixels, top-left origin. Colours 0x00RRGGBB.
bool ClearViewport(DeviceTarget* target, int x, int y, int width, int height, std::uint32_t rgb);
// clip: world to clip space for the viewport's rectangle, row-major.
bool DrawViewport(DeviceTarget* target, int x, int y, int width, int height, const float clip[16],
                  const rm::DrawList& list, bool linearFiltering);
bool PresentDevice(DeviceTarget* target);
bool ReadDevicePixel(DeviceTarget* target, int x, int y, std::uint32_t& rgb);
// The whole picture, 0x00RRGGBB rows from the top.
bool ReadDeviceImage(DeviceTarget* target, std::vector<std::uint32_t>& pixels);

// A texture is gone: its copies in every context may go with it.
void ForgetTexture(std::uint64_t imageId);

}  // namespace plat::gl
