#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "app/main_window.h"
#include "scene/scene_object.h"
#include "tests/scene/scene_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using namespace scenetest;

// Two top-level objects; the second's child shares the name of a later frame,
// so a search must go depth first.
constexpr const char* kModel = R"(xof 0302txt 0032

Frame Stand {
  FrameTransformMatrix {
    1.0, 0.0, 0.0, 0.0,
    0.0, 1.0, 0.0, 0.0,
    0.0, 0.0, 1.0, 0.0,
    4.0, 5.0, 6.0, 1.0;;
  }
  Mesh StandMesh {
    3;
    0.0; 0.0; 0.0;,
    0.0; 1.0; 0.0;,
    1.0; 0.0; 0.0;;
    1;
    3; 0, 1, 2;;
  }
}
Frame Lamp {
  FrameTransformMatrix {
    1.0, 0.0, 0.0, 0.0,
    0.0, 1.0, 0.0, 0.0,
    0.0, 0.0, 1.0, 0.0,
    0.0, 0.0, 9.0, 1.0;;
  }
  Mesh LampMesh {
    3;
    0.0; 0.0; 0.0;,
    0.0; 2.0; 0.0;,
    2.0; 0.0; 0.0;;
    1;
    3; 0, 1, 2;;
  }
}
)";

class SceneLoadTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        dir = testsupport::NewTempDir("scene").string();
        ASSERT_FALSE(dir.empty());
        std::strcpy(saved, programDirectory);
        std::snprintf(programDirectory, MAX_PATH, "%s/", dir.c_str());
        Write("model.x", kModel);
        Write("damaged.x", std::string(kModel).substr(0, 120));
    }
    void TearDown() override {
        std::strcpy(programDirectory, saved);
        for (const char* f : {"model.x", "damaged.x"}) std::remove((dir + "/" + f).c_str());
        std::filesystem::remove(dir);
        SceneTest::TearDown();
    }
    void Write(const char* name, const std::string& text) { std::ofstream(dir + "/" + name) << text; }

    std::string dir;
    char saved[MAX_PATH] = {};
};

TEST_F(SceneLoadTest, LoadingByNameTakesTheNamedFrameAndHangsItUnderTheParent) {
    SceneObject parent;
    parent.SetParentFrame(world);
    SceneObject object;
    object.SetParentFrame(world);
    IDirect3DRMFrame* old = object.frame;
    old->AddRef();

    object.LoadByName("model.x", "Lamp", &parent);
    ASSERT_NE(object.frame, old);
    ASSERT_NE(object.name, nullptr);
    EXPECT_STREQ(object.name, "Lamp");
    EXPECT_EQ(object.parentFrame, parent.frame);
    EXPECT_EQ(object.frame->GetAppData(), reinterpret_cast<D3DRMAPPDATA>(&object));
    IDirect3DRMFrame* holder = nullptr;
    object.frame->GetParent(&holder);
    EXPECT_EQ(holder, parent.frame);
    if (holder) holder->Release();
    Ref<IDirect3DRMMeshBuilder> mesh;
    mesh.p = MeshOf(object.frame);
    ASSERT_NE(mesh.p, nullptr);
    EXPECT_EQ(mesh->GetFaceCount(), 1);

    old->GetParent(&holder);
    EXPECT_EQ(holder, nullptr) << "the replaced frame does not linger in the scene";
    EXPECT_EQ(old->Release(), 0u);
}

TEST_F(SceneLoadTest, LoadingTheFirstObjectOnAFreshObjectKeepsItsFrameWithTheModelBelow) {
    SceneObject object;
    IDirect3DRMFrame* own = object.frame;
    object.LoadFirst("model.x", nullptr);
    EXPECT_EQ(object.frame, own) << "with no name yet there is nothing to take over";
    ASSERT_NE(object.name, nullptr);
    EXPECT_STREQ(object.name, "");
    IDirect3DRMFrame* stand = SceneObject::FindChildByName(object.frame, "Stand");
    ASSERT_NE(stand, nullptr) << "the first object, loaded under the frame";
    D3DVECTOR p{};
    stand->GetPosition(object.frame, &p);
    EXPECT_TRUE(Near(p, 4, 5, 6));
    stand->Release();
    EXPECT_EQ(SceneObject::FindChildByName(object.frame, "Lamp"), nullptr) << "only the first";

    // Named now, the object takes over the frame of its own name from the file.
    object.frame->SetName("Stand");
    object.ReadName();
    object.LoadFirst("model.x", nullptr);
    EXPECT_NE(object.frame, own);
    EXPECT_STREQ(object.name, "Stand");
}

TEST_F(SceneLoadTest, AMissingDamagedOrOverlongFileLeavesTheObjectAsItWas) {
    SceneObject parent;
    SceneObject object;
    IDirect3DRMFrame* own = object.frame;
    object.LoadByName("no-such-file.x", "Lamp", &parent);
    object.LoadByName("damaged.x", "Stand", &parent);
    object.LoadByName(std::string(400, 'x').c_str(), "Lamp", &parent);
    object.LoadByName("model.x", "Nothing of that name", &parent);
    EXPECT_EQ(object.frame, own);
    Ref<IDirect3DRMFrameArray> children;
    own->GetChildren(children.out());
    EXPECT_EQ(children->GetSize(), 0u);
    EXPECT_EQ(object.parentFrame, parent.frame) << "the object is still attached as asked";
}

}  // namespace
