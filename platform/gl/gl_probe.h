// What OpenGL renderer this machine offers, found once with a throw-away
// context, so device enumeration and the Retained Mode devices agree on it.
#pragma once

#include <string>

namespace plat::gl {

struct RendererInfo {
    bool available = false;  // an OpenGL 3.3 core context could be made
    bool software = false;   // the renderer is a software rasteriser
    std::string renderer;    // GL_RENDERER, e.g. "llvmpipe (LLVM 15.0.6, 256 bits)"
    std::string vendor;      // GL_VENDOR
    std::string version;     // GL_VERSION
};

// Probes on the first call (a hidden 1x1 window with a 3.3 core context) and
// returns the same answer afterwards. Leaves the caller's current context current.
const RendererInfo& ProbeRenderer();

// What the context current on this thread says of its renderer.
RendererInfo ReadCurrentRenderer();

// The probe itself, made by each system's context file. On Linux the context
// it makes is kept for the first window that needs one; WGL throws it away.
RendererInfo ProbeWithFirstContext();

// Whether a GL_RENDERER string names a software rasteriser (llvmpipe, softpipe,
// swrast, or any renderer that calls itself "Software").
bool IsSoftwareRenderer(const std::string& renderer);

}  // namespace plat::gl
