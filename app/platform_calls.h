// The game is written against the old platform's global names; this brings the
// stand-ins' names into scope for game code only.
#pragma once

#include "platform/gdi/gdi.h"
#include "platform/win/host.h"
#include "platform/win/window_system.h"

using namespace plat;
