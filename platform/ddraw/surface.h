// Off-screen surfaces in system memory, in the display's 32-bit format.
#pragma once

#include "platform/ddraw/ddraw.h"

namespace plat::ddraw {

// The largest side a surface may have; larger requests fail with DDERR_TOOBIG*.
constexpr DWORD kMaxSurfaceSide = 16384;

// The pixel format every surface has: 32 bits, 0x00RRGGBB.
DDPIXELFORMAT DisplayPixelFormat();

HRESULT CreateSurface(const DDSURFACEDESC* desc, IDirectDrawSurface** out, IUnknown* outer);

}  // namespace plat::ddraw
