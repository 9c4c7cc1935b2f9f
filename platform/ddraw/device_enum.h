// The Direct3D devices this machine has: one for its OpenGL renderer, or none.
#pragma once

#include "platform/ddraw/ddraw.h"

namespace plat::ddraw {

HRESULT EnumerateDevices(LPD3DENUMDEVICESCALLBACK callback, void* context);

}  // namespace plat::ddraw
