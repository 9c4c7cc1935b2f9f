#include "platform/gl/gl_probe.h"

#include <algorithm>
#include <cctype>
#include <mutex>

namespace plat::gl {
namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool IsSoftwareRenderer(const std::string& renderer) {
    const std::string name = Lowered(renderer);
    for (const char* word : {"llvmpipe", "softpipe", "swrast", "software"}) {
        if (name.find(word) != std::string::npos) return true;
    }
    return false;
}

const RendererInfo& ProbeRenderer() {
    static std::once_flag once;
    static RendererInfo info;
    std::call_once(once, [] { info = ProbeWithThrowAwayContext(); });
    return info;
}

}  // namespace plat::gl
