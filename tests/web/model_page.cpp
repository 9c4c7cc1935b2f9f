// For tests/web/model_test.mjs: Frame::Load in the page, of a good .x file and
// of hostile ones, each read in the reader's worker. Prints one line a load
// ("<file> <HRESULT> <what hangs on the scene>") and then "done".
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/d3drm/d3drm.h"

using namespace plat;

namespace {

// Box at (1, 2, 3) with one triangle, and Lid 5 up in it.
constexpr const char* kBox = R"(xof 0302txt 0032
Frame Box {
  FrameTransformMatrix { 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 1.0, 2.0, 3.0, 1.0;; }
  Mesh BoxMesh { 3; 0.0; 0.0; 0.0;, 0.0; 1.0; 0.0;, 1.0; 0.0; 0.0;; 1; 3; 0, 1, 2;; }
  Frame Lid { FrameTransformMatrix { 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 5.0, 0.0, 1.0;; } }
}
)";

std::string Name(IDirect3DRMObject* object) {
    char name[64] = {};
    DWORD size = sizeof name;
    object->GetName(&size, name);
    return name;
}

// "Box(1,2,3)[Lid(1,7,3)]" for a frame and its children, placed in the scene.
std::string Describe(IDirect3DRMFrame* frame, IDirect3DRMFrame* scene) {
    D3DVECTOR p{};
    frame->GetPosition(scene, &p);
    char place[64];
    std::snprintf(place, sizeof place, "(%g,%g,%g)", p.x, p.y, p.z);
    std::string text = Name(frame) + place;
    IDirect3DRMFrameArray* children = nullptr;
    frame->GetChildren(&children);
    text += "[";
    for (DWORD i = 0; i < children->GetSize(); ++i) {
        IDirect3DRMFrame* child = nullptr;
        children->GetElement(i, &child);
        text += (i ? "," : "") + Describe(child, scene);
        child->Release();
    }
    children->Release();
    return text + "]";
}

}  // namespace

int main() {
    std::string deep = "xof 0302txt 0032\n";
    for (int i = 0; i < 100000; ++i) deep += "Frame F {\n";
    deep += std::string(100000, '}');
    std::string garbage = "xof 0302txt 0032\n";
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 37) % 256);
    const struct {
        const char* name;
        std::string text;
    } files[] = {
        {"box.x", kBox},
        // The parser's stack, its memory, its errors; then a good file again.
        {"deep.x", deep},
        {"huge-count.x", "xof 0302txt 0032\nMesh M {\n 3999999999;\n 0;0;0;,\n 0;1;0;,\n 1;0;0;;\n 1;\n 3; 0, 1, 2;;\n}\n"},
        {"garbage.x", garbage},
        {"box-again.x", kBox},
    };
    IDirect3DRM* rm = nullptr;
    if (Direct3DRMCreate(&rm) != D3DRM_OK) return 1;
    for (const auto& file : files) {
        std::ofstream(file.name, std::ios::binary) << file.text;
        IDirect3DRMFrame* scene = nullptr;
        rm->CreateFrame(nullptr, &scene);
        char path[64];
        std::snprintf(path, sizeof path, "%s", file.name);
        const HRESULT result = scene->Load(path, nullptr, D3DRMLOAD_FIRST, nullptr, nullptr);
        std::printf("%s %08lx %s\n", file.name, static_cast<unsigned long>(result), Describe(scene, scene).c_str());
        scene->Release();
    }
    rm->Release();
    std::printf("done\n");
    return 0;
}
