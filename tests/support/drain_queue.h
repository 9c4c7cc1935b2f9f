// Handles whatever a test left in the queue and drops a WM_QUIT. Paint
// messages stay until a window is painted, so they must be dispatched.
#pragma once

#include "platform/win/window_system.h"

inline void DrainQueue() {
    plat::MSG msg;
    while (plat::PeekMessageA(&msg, nullptr, 0, 0, plat::PM_REMOVE)) {
        if (msg.message != plat::WM_QUIT) plat::DispatchMessageA(&msg);
    }
}
