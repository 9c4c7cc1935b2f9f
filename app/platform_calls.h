// The game is written against the old platform's global names; this brings the
// stand-ins' names into scope for game code only.
#pragma once

#include "platform/d3drm/d3drm.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gdi/gdi.h"
#include "platform/midi/mmsystem.h"
#include "platform/win/host.h"
#include "platform/win/window_system.h"

using namespace plat;
