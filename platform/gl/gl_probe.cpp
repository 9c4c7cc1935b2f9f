#include "platform/gl/gl_probe.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "platform/gl/gl_context.h"

namespace plat::gl {
namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string GlString(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

}  // namespace

RendererInfo ReadCurrentRenderer() {
    RendererInfo info;
    info.renderer = GlString(GL_RENDERER);
    info.vendor = GlString(GL_VENDOR);
    info.version = GlString(GL_VERSION);
    info.available = !info.renderer.empty();
    info.software = IsSoftwareRenderer(info.renderer);
    return info;
}

bool IsSoftwareRenderer(const std::string& renderer) {
    const std::string name = Lowered(renderer);
    // Mesa's rasterisers, and Chromium's SwiftShader under ANGLE when a
    // browser has no GPU.
    for (const char* word : {"llvmpipe", "softpipe", "swrast", "software", "swiftshader"}) {
        if (name.find(word) != std::string::npos) return true;
    }
    return false;
}

const RendererInfo& ProbeRenderer() {
    static std::once_flag once;
    static RendererInfo info;
    std::call_once(once, [] { info = ProbeWithFirstContext(); });
    return info;
}

}  // namespace plat::gl
