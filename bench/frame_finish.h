// Waits until the rasteriser has finished everything drawn so far in the
// current context, so that a timed frame holds its drawing and not only the
// calls that asked for it.
#pragma once

#include "platform/gl/gl_context.h"

namespace bench {

inline void FinishFrame() {
#if defined(__EMSCRIPTEN__)
    // WebGL's finish() only flushes in Chromium; a pixel read back cannot
    // come before every draw ahead of it is done.
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
#else
    glFinish();
#endif
}

}  // namespace bench
