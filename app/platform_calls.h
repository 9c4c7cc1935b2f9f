// The game is written against the old platform's global names; this is the
// one place that says where they come from. On Windows the system gives all of
// them but DirectDraw and Retained Mode, which are ours on both systems.
#pragma once

#if defined(_WIN32)
#include "platform/com/system_types.h"  // <windows.h>, lean

#include <fcntl.h>
#include <io.h>
#include <mmsystem.h>
#include <process.h>
#include <sys/stat.h>
#else
#include "platform/crt/io.h"
#include "platform/gdi/gdi.h"
#include "platform/midi/mmsystem.h"
#include "platform/win/host.h"
#include "platform/win/window_system.h"
#endif

#include "platform/d3drm/d3drm.h"
#include "platform/ddraw/ddraw.h"

using namespace plat;
