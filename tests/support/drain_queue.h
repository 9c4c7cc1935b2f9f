// Handles whatever a test left in the queue and drops a WM_QUIT. Paint
// messages stay until a window is painted, so they must be dispatched.
#pragma once

#include "app/platform_calls.h"

inline void DrainQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageA(&msg);
    }
}
