#include <cstring>
#include <string>

#include "scene/scene_object.h"
#include "tests/scene/scene_helpers.h"

namespace {

using namespace scenetest;

class SceneObjectTest : public SceneTest {
protected:
    // A new frame named `name` under `parent`, referenced by the test.
    IDirect3DRMFrame* Child(IDirect3DRMFrame* parent, const char* name) {
        IDirect3DRMFrame* frame = nullptr;
        retainedMode->CreateFrame(parent, &frame);
        frame->SetName(name);
        made.push_back(frame);
        return frame;
    }
    void TearDown() override {
        for (IDirect3DRMFrame* f : made) f->Release();
        SceneTest::TearDown();
    }
    std::vector<IDirect3DRMFrame*> made;
};

DWORD ChildCount(IDirect3DRMFrame* frame) {
    Ref<IDirect3DRMFrameArray> children;
    frame->GetChildren(children.out());
    return children->GetSize();
}

TEST_F(SceneObjectTest, AFreshObjectIsWhiteUnattachedUnnamedAndHoldsTheOnlyReferenceToItsFrame) {
    auto* object = new SceneObject;
    EXPECT_EQ(object->color, 0x00FFFFFFu);
    EXPECT_EQ(object->parentFrame, nullptr);
    EXPECT_EQ(object->name, nullptr);
    EXPECT_TRUE(object->ownsFrame);
    EXPECT_TRUE(Near(object->position, 0, 0, 0));
    EXPECT_TRUE(Near(object->velocity, 0, 0, 0));
    EXPECT_FALSE(viewManager.sceneChanged) << "building changes no picture yet";
    ASSERT_NE(object->frame, nullptr);
    EXPECT_EQ(object->frame->GetAppData(), reinterpret_cast<D3DRMAPPDATA>(object));

    IDirect3DRMFrame* frame = object->frame;
    frame->AddRef();
    delete object;
    EXPECT_EQ(frame->Release(), 0u) << "the object released its frame exactly once";
}

TEST_F(SceneObjectTest, AttachingMovesTheFrameBetweenParentsAndDestroyingTakesItOut) {
    auto* object = new SceneObject;
    IDirect3DRMFrame* other = Child(nullptr, "other");

    object->SetParentFrame(world);
    object->SetParentFrame(world);  // the same parent again keeps it there, once
    EXPECT_EQ(ChildCount(world), 1u);
    EXPECT_EQ(object->parentFrame, world.p);

    object->SetParentFrame(other);
    EXPECT_EQ(ChildCount(world), 0u);
    EXPECT_EQ(ChildCount(other), 1u);

    object->SetParentFrame(nullptr);
    EXPECT_EQ(ChildCount(other), 0u);
    EXPECT_EQ(object->parentFrame, nullptr);

    SceneObject parentObject;
    object->AttachTo(&parentObject);
    EXPECT_EQ(object->parentFrame, parentObject.frame);
    EXPECT_EQ(ChildCount(parentObject.frame), 1u);
    delete object;
    EXPECT_EQ(ChildCount(parentObject.frame), 0u) << "a destroyed object leaves the scene";
}

TEST_F(SceneObjectTest, PlacementIsRelativeToTheParentAndRemembered) {
    world->SetPosition(nullptr, 10, 0, 0);
    SceneObject object;
    object.SetParentFrame(world);

    object.SetPosition(1, 2, 3);
    EXPECT_TRUE(viewManager.sceneChanged);
    EXPECT_TRUE(Near(object.position, 1, 2, 3));
    D3DVECTOR p{};
    object.frame->GetPosition(nullptr, &p);
    EXPECT_TRUE(Near(p, 11, 2, 3));

    viewManager.sceneChanged = false;
    object.SetVelocity(-4, 5, 6);
    EXPECT_TRUE(viewManager.sceneChanged);
    EXPECT_TRUE(Near(object.velocity, -4, 5, 6));
    object.frame->GetVelocity(world, &p, FALSE);
    EXPECT_TRUE(Near(p, -4, 5, 6));

    viewManager.sceneChanged = false;
    object.SetOrientation(0, -1, 0, 0, 0, -1);
    EXPECT_TRUE(viewManager.sceneChanged);
    D3DVECTOR dir{}, up{};
    object.frame->GetOrientation(world, &dir, &up);
    EXPECT_TRUE(Near(dir, 0, -1, 0));
    EXPECT_TRUE(Near(up, 0, 0, -1));
}

TEST_F(SceneObjectTest, SearchFindsAGrandchildBeforeALaterSiblingOfItsParent) {
    IDirect3DRMFrame* first = Child(world, "first");
    IDirect3DRMFrame* grandchild = Child(first, "target");
    Child(world, "target");

    IDirect3DRMFrame* found = SceneObject::FindChildByName(world, "target");
    EXPECT_EQ(found, grandchild);
    if (found) found->Release();

    EXPECT_EQ(SceneObject::FindChildByName(world, "Target"), nullptr) << "names compare case-sensitively";
    EXPECT_EQ(SceneObject::FindChildByName(world, "targe"), nullptr);
    EXPECT_EQ(SceneObject::FindChildByName(world, nullptr), nullptr);

    // A name longer than the search's buffer matches nothing, and no part of it
    // is left behind to make the next, shorter name match.
    std::string longName(100, 'a');
    Child(world, longName.c_str());
    Child(world, "b");
    EXPECT_EQ(SceneObject::FindChildByName(world, std::string(79, 'a').c_str()), nullptr);
    IDirect3DRMFrame* b = SceneObject::FindChildByName(world, "b");
    EXPECT_NE(b, nullptr);
    if (b) b->Release();
}

TEST_F(SceneObjectTest, ColourAndQualityGoToTheFirstVisualOnly) {
    SceneObject object;
    object.SetColor(0xFF112233);
    EXPECT_EQ(object.color, 0xFF112233u) << "without a visual only the stored colour changes";
    EXPECT_TRUE(viewManager.sceneChanged);

    Ref<IDirect3DRMMeshBuilder> first, second;
    retainedMode->CreateMeshBuilder(first.out());
    retainedMode->CreateMeshBuilder(second.out());
    object.frame->AddVisual(first);
    object.frame->AddVisual(second);

    viewManager.sceneChanged = false;
    object.SetColor(0xFF00FF00);
    object.SetQuality(D3DRMRENDER_WIREFRAME);
    EXPECT_TRUE(viewManager.sceneChanged);
    Ref<IDirect3DRMFace> face;
    first->CreateFace(face.out());
    EXPECT_EQ(face->GetColor(), 0xFF00FF00u) << "the first mesh took the colour";
    EXPECT_EQ(first->GetQuality(), static_cast<DWORD>(D3DRMRENDER_WIREFRAME));
    second->CreateFace(face.out());
    EXPECT_EQ(face->GetColor(), 0xFFFFFFFFu) << "the second mesh kept its own";
    EXPECT_EQ(second->GetQuality(), static_cast<DWORD>(D3DRMRENDER_GOURAUD));
}

TEST_F(SceneObjectTest, AFirstVisualThatIsNoMeshIsLeftAlone) {
    SceneObject object;
    IDirect3DRMFrame* visualFrame = Child(nullptr, "a frame as visual");
    object.frame->AddVisual(visualFrame);
    object.SetColor(0xFF0000FF);
    object.SetQuality(D3DRMRENDER_FLAT);
    EXPECT_EQ(visualFrame->GetColor(), 0xFFFFFFFFu);
    EXPECT_EQ(object.color, 0xFF0000FFu);
}

}  // namespace
