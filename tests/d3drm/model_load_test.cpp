// Frame::Load of model files: a .x file written here comes back as frames and
// mesh builders in the file's own coordinates and vertex order, and a file
// that cannot be loaded leaves the frame as it was.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/d3drm/objects.h"
#include "tests/d3drm/rm_helpers.h"
#include "tests/support/scratch_dir.h"

namespace rmtest {
namespace {

namespace fs = std::filesystem;

// Box: turned so its x axis runs along the world's +z, at (1, 2, 3). Lid:
// 5 up in Box, scaled twice. Faces: Red 0-1-2 (front towards -z), Blue
// 0-2-3 with a picture, Red quad 3-2-1-0 (front towards +z).
constexpr const char* kBox = R"(xof 0302txt 0032

Frame Box {
  FrameTransformMatrix {
    0.0, 0.0, 1.0, 0.0,
    0.0, 1.0, 0.0, 0.0,
    -1.0, 0.0, 0.0, 0.0,
    1.0, 2.0, 3.0, 1.0;;
  }
  Frame Lid {
    FrameTransformMatrix {
      2.0, 0.0, 0.0, 0.0,
      0.0, 2.0, 0.0, 0.0,
      0.0, 0.0, 2.0, 0.0,
      0.0, 5.0, 0.0, 1.0;;
    }
    Mesh LidMesh {
      4;
      0.0; 0.0; 0.0;,
      0.0; 1.0; 0.0;,
      1.0; 1.0; 0.0;,
      1.0; 0.0; 0.0;;
      3;
      3; 0, 1, 2;,
      3; 0, 2, 3;,
      4; 3, 2, 1, 0;;
      MeshMaterialList {
        2;
        3;
        0, 1, 0;;
        Material Red {
          1.0; 0.0; 0.0; 1.0;;
          0.0;
          0.0; 0.0; 0.0;;
          0.0; 0.0; 0.0;;
        }
        Material Blue {
          0.0; 0.0; 1.0; 1.0;;
          0.0;
          0.0; 0.0; 0.0;;
          0.0; 0.0; 0.0;;
          TextureFilename { "wood.bmp"; }
        }
      }
      MeshTextureCoords {
        4;
        0.0; 0.25;,
        0.0; 1.0;,
        1.0; 1.0;,
        1.0; 0.0;;
      }
    }
  }
}
)";

void ExpectVec(const D3DVECTOR& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

class ModelLoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Direct3DRMCreate(rm.out()), D3DRM_OK);
        ASSERT_EQ(rm->CreateFrame(nullptr, scene.out()), D3DRM_OK);
        dir_ = testsupport::NewTempDir("model");
        ASSERT_FALSE(dir_.empty());
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& text) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    static Ref<IDirect3DRMFrame>& Child(IDirect3DRMFrame* frame, DWORD index, Ref<IDirect3DRMFrame>& into) {
        Ref<IDirect3DRMFrameArray> children;
        EXPECT_EQ(frame->GetChildren(children.out()), D3DRM_OK);
        EXPECT_EQ(children->GetElement(index, into.out()), D3DRM_OK);
        return into;
    }
    static DWORD ChildCount(IDirect3DRMFrame* frame) {
        Ref<IDirect3DRMFrameArray> children;
        frame->GetChildren(children.out());
        return children->GetSize();
    }
    static DWORD VisualCount(IDirect3DRMFrame* frame) {
        Ref<IDirect3DRMVisualArray> visuals;
        frame->GetVisuals(visuals.out());
        return visuals->GetSize();
    }
    static std::string Name(IDirect3DRMFrame* frame) {
        char buffer[64] = "";
        DWORD size = sizeof buffer;
        EXPECT_EQ(frame->GetName(&size, buffer), D3DRM_OK);
        return buffer;
    }

    Ref<IDirect3DRM> rm;
    Ref<IDirect3DRMFrame> scene;
    fs::path dir_;
};

std::string g_askedFor;
HRESULT NoPicture(char* name, void*, IDirect3DRMTexture** out) {
    g_askedFor = name;
    *out = nullptr;
    return D3DRMERR_FILENOTFOUND;
}

TEST_F(ModelLoad, TheFirstFrameComesWithItsTreePlacesAndFaces) {
    std::string path = Write("box.x", kBox);
    ASSERT_EQ(scene->Load(path.data(), nullptr, D3DRMLOAD_FROMFILE | D3DRMLOAD_FIRST, NoPicture, nullptr), D3DRM_OK);
    EXPECT_EQ(g_askedFor, "wood.bmp");

    ASSERT_EQ(ChildCount(scene), 1u);
    Ref<IDirect3DRMFrame> box, lid;
    Child(scene, 0, box);
    EXPECT_EQ(Name(box), "Box");
    D3DVECTOR p, dir, up;
    box->GetPosition(scene, &p);
    ExpectVec(p, 1, 2, 3);
    box->GetOrientation(scene, &dir, &up);
    ExpectVec(dir, -1, 0, 0);
    ExpectVec(up, 0, 1, 0);

    ASSERT_EQ(ChildCount(box), 1u);
    Child(box, 0, lid);
    EXPECT_EQ(Name(lid), "Lid");
    lid->GetPosition(box, &p);
    ExpectVec(p, 0, 5, 0);
    // The scale went into the vertices: the file's corner (1, 0, 0) of Lid
    // is at (2, 5, 0) in Box, which is (1, 7, 5) in the world.
    D3DVECTOR corner{2, 0, 0}, world;
    lid->Transform(&world, &corner);
    ExpectVec(world, 1, 7, 5);

    // Red faces and the textured Blue face are two mesh builders.
    ASSERT_EQ(VisualCount(lid), 2u);
    auto* frame = rm::AsFrame(lid);
    ASSERT_EQ(frame->meshes_.size(), 2u);
    rm::MeshBuilder* red = frame->meshes_[0];
    rm::MeshBuilder* blue = frame->meshes_[1];
    ASSERT_EQ(red->GetFaceCount(), 2);
    ASSERT_EQ(blue->GetFaceCount(), 1);
    EXPECT_EQ(red->color_, 0xFFFF0000u);
    EXPECT_EQ(blue->faces_[0]->GetColor(), 0xFF0000FFu);
    Ref<IDirect3DRMTexture> none;
    EXPECT_EQ(blue->GetTexture(none.out()), D3DRM_OK);
    EXPECT_EQ(none.p, nullptr);

    // Corners in the file's order and coordinates, so the front is the
    // side the file means.
    rm::Face* first = red->faces_[0];
    ASSERT_EQ(first->GetVertexCount(), 3);
    const Point expected[] = {{0, 0, 0}, {0, 2, 0}, {2, 2, 0}};
    const float uv[][2] = {{0, 0.25f}, {0, 1}, {1, 1}};
    for (DWORD i = 0; i < 3; ++i) {
        D3DVECTOR v, n;
        first->GetVertex(i, &v, &n);
        ExpectVec(v, expected[i].x, expected[i].y, expected[i].z);
        float u = -1, w = -1;
        first->GetTextureCoordinates(i, &u, &w);
        EXPECT_FLOAT_EQ(u, uv[i][0]);
        EXPECT_FLOAT_EQ(w, uv[i][1]);
    }
    D3DVECTOR normal;
    first->GetNormal(&normal);
    ExpectVec(normal, 0, 0, -1);
    rm::Face* quad = red->faces_[1];
    ASSERT_EQ(quad->GetVertexCount(), 4);
    quad->GetNormal(&normal);
    ExpectVec(normal, 0, 0, 1);
    D3DVECTOR v;
    quad->GetVertex(0, &v, nullptr);
    ExpectVec(v, 2, 0, 0);
}

TEST_F(ModelLoad, ByNameLoadsThatFrameAloneInItsOwnPlace) {
    std::string path = Write("box.x", kBox);
    char lidName[] = "Lid";
    ASSERT_EQ(scene->Load(path.data(), lidName, D3DRMLOAD_BYNAME, nullptr, nullptr), D3DRM_OK);
    ASSERT_EQ(ChildCount(scene), 1u);
    Ref<IDirect3DRMFrame> lid;
    Child(scene, 0, lid);
    EXPECT_EQ(Name(lid), "Lid");
    D3DVECTOR p;
    lid->GetPosition(scene, &p);
    ExpectVec(p, 0, 5, 0);
    EXPECT_EQ(ChildCount(lid), 0u);
    EXPECT_EQ(VisualCount(lid), 2u);

    char missing[] = "Hinge";
    EXPECT_EQ(scene->Load(path.data(), missing, D3DRMLOAD_BYNAME, nullptr, nullptr), D3DRMERR_NOTFOUND);
    EXPECT_EQ(ChildCount(scene), 1u);
}

TEST_F(ModelLoad, BadRequestsAndBadFilesLeaveTheFrameAsItWas) {
    // Something already hangs on the frame; none of this may touch it.
    Ref<IDirect3DRMFrame> kept;
    Ref<IDirect3DRMMeshBuilder> mesh;
    ASSERT_EQ(rm->CreateFrame(scene, kept.out()), D3DRM_OK);
    ASSERT_EQ(rm->CreateMeshBuilder(mesh.out()), D3DRM_OK);
    ASSERT_EQ(scene->AddVisual(mesh), D3DRM_OK);

    std::string good = Write("box.x", kBox);
    EXPECT_EQ(scene->Load(nullptr, nullptr, D3DRMLOAD_FIRST, nullptr, nullptr), D3DRMERR_BADVALUE);
    EXPECT_EQ(scene->Load(good.data(), nullptr, D3DRMLOAD_BYNAME, nullptr, nullptr), D3DRMERR_BADVALUE);
    EXPECT_EQ(scene->Load(good.data(), nullptr, D3DRMLOAD_FROMMEMORY, nullptr, nullptr), D3DRMERR_BADVALUE);
    EXPECT_EQ(scene->Load(good.data(), nullptr, 0x8000, nullptr, nullptr), D3DRMERR_BADVALUE);
    std::string missing = (dir_ / "nowhere.x").string();
    EXPECT_EQ(scene->Load(missing.data(), nullptr, D3DRMLOAD_FIRST, nullptr, nullptr), D3DRMERR_FILENOTFOUND);

    const std::string header = "xof 0302txt 0032\n";
    const std::string text = kBox;
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 37) % 256);
    std::string deep = header, shallowEnough = header;
    for (int i = 0; i < 100000; ++i) deep += "Frame F {\n";
    deep += std::string(100000, '}');
    for (int i = 0; i < 300; ++i) shallowEnough += "Frame F {\n";
    shallowEnough += std::string(300, '}');
    const std::string triangle = "0;0;0;,\n 0;1;0;,\n 1;0;0;;\n 1;\n 3; 0, 1, 2;;\n";
    const struct {
        const char* name;
        std::string text;
    } damaged[] = {
        {"empty.x", ""},
        {"garbage.x", garbage},
        {"garbage-after-header.x", header + garbage},
        {"truncated.x", text.substr(0, text.size() / 2)},
        {"huge-count.x", header + "Mesh M {\n 3999999999;\n " + triangle + "}\n"},
        {"nan.x", header + "Mesh M {\n 3;\n nan;0;0;,\n 0;1;0;,\n 1;0;0;;\n 1;\n 3; 0, 1, 2;;\n}\n"},
        // Deep enough to overflow the parser's stack, and deeper than a model.
        {"deep.x", deep},
        {"too-deep.x", shallowEnough},
        {"normal-index.x", header + "Mesh M {\n 3;\n " + triangle +
                               " MeshNormals {\n 1;\n 0;0;1;;\n 1;\n 3; 0, 900000000, 0;;\n }\n}\n"},
    };
    for (const auto& file : damaged) {
        std::string path = Write(file.name, file.text);
        EXPECT_EQ(scene->Load(path.data(), nullptr, D3DRMLOAD_FIRST, nullptr, nullptr), D3DRMERR_BADFILE) << file.name;
    }
    EXPECT_EQ(scene->Load(dir_.string().data(), nullptr, D3DRMLOAD_FIRST, nullptr, nullptr), D3DRMERR_BADFILE);

    ASSERT_EQ(ChildCount(scene), 1u);
    Ref<IDirect3DRMFrame> child;
    EXPECT_EQ(Child(scene, 0, child).p, kept.p);
    EXPECT_EQ(VisualCount(scene), 1u);
}

}  // namespace
}  // namespace rmtest
