#include <gtest/gtest.h>

#include <cmath>

#include "app/view_manager.h"
#include "render/camera_rig.h"
#include "render/graphics_startup.h"
#include "render/render_view.h"

namespace {

constexpr float kPi = 3.14159265f;

class CameraRigTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(Direct3DRMCreate(&retainedMode)));
        view = new RenderView;
        retainedMode->CreateFrame(nullptr, &view->scene);
        view->cameraRig = rig = new CameraRig(view);
        rig->SetPosition(0, -300, 0);
        rig->SetDirection(0, 1, 0);
        rig->SetUp(0, 0, 1);
        viewManager.sceneChanged = false;
    }
    void TearDown() override {
        viewManager.views = nullptr;
        delete view;
        retainedMode->Release();
        retainedMode = nullptr;
    }

    // Where the camera frame really is, as the renderer sees it.
    D3DVECTOR FramePosition() {
        D3DVECTOR p{};
        rig->cameraFrame->GetPosition(view->scene, &p);
        return p;
    }

    // Which way the camera frame really faces, in the scene.
    static void FrameOrientation(const CameraRig& r, D3DVECTOR& dir, D3DVECTOR& up) {
        r.cameraFrame->GetOrientation(r.view->scene, &dir, &up);
    }

    RenderView* view = nullptr;
    CameraRig* rig = nullptr;
};

void ExpectNear(D3DVECTOR v, float x, float y, float z, float tolerance = 1e-3f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

TEST_F(CameraRigTest, MoveIsRefusedWholeBeyondTheLimit) {
    rig->Move(300);
    ExpectNear(rig->position, 0, 0, 0);
    ExpectNear(FramePosition(), 0, 0, 0);
    EXPECT_TRUE(viewManager.sceneChanged);

    rig->Move(1732);  // 2,999,824 squared: allowed
    ExpectNear(rig->position, 0, 1732, 0);

    rig->SetPosition(0, 0, 0);
    viewManager.sceneChanged = false;
    rig->Move(1733);  // 3,003,289 squared: refused, not shortened
    ExpectNear(rig->position, 0, 0, 0);
    ExpectNear(FramePosition(), 0, 0, 0);
    EXPECT_FALSE(viewManager.sceneChanged);
}

TEST_F(CameraRigTest, TheRangeIncludesItsEdgeExactly) {
    rig->SetPosition(1000, 1000, 0);
    rig->SetDirection(0, 0, 1);
    viewManager.sceneChanged = false;
    rig->Move(1000);  // 1000^2 + 1000^2 + 1000^2: exactly 3,000,000, also in float
    ExpectNear(rig->position, 1000, 1000, 1000, 0);
    ExpectNear(FramePosition(), 1000, 1000, 1000, 0);
    EXPECT_TRUE(viewManager.sceneChanged);

    rig->SetPosition(1000, 1000, 0);
    viewManager.sceneChanged = false;
    rig->Move(1000.0002f);  // three float steps on: 3,000,000.375
    ExpectNear(rig->position, 1000, 1000, 0, 0);
    ExpectNear(FramePosition(), 1000, 1000, 0, 0);
    EXPECT_FALSE(viewManager.sceneChanged);
}

TEST_F(CameraRigTest, StepAppliesTheSpeedsForTheTime) {
    rig->moveSpeed = -100;
    rig->Step(0.066f);
    ExpectNear(rig->position, 0, -306.6f, 0);

    rig->moveSpeed = 0;
    viewManager.sceneChanged = false;
    rig->Step(0.066f);
    ExpectNear(rig->position, 0, -306.6f, 0);
    EXPECT_FALSE(viewManager.sceneChanged) << "no speed, no change";

    rig->turnSpeed = kPi;
    rig->Step(0.5f);  // a quarter turn about the world z axis
    ExpectNear(rig->position, 306.6f, 0, 0, 0.05f);
    ExpectNear(rig->direction, -1, 0, 0);
}

TEST_F(CameraRigTest, AFullTurnComesBackAndEveryTurnKeepsLookingAtTheOrigin) {
    for (int i = 0; i < 7; ++i) {
        rig->Turn(0.37f);
        float r = std::sqrt(rig->position.x * rig->position.x + rig->position.y * rig->position.y +
                            rig->position.z * rig->position.z);
        EXPECT_NEAR(r, 300, 0.01f);
        ExpectNear(rig->direction, -rig->position.x / r, -rig->position.y / r, -rig->position.z / r);
        ExpectNear(rig->up, 0, 0, 1);
    }
    rig->Turn(2 * kPi - 7 * 0.37f);
    ExpectNear(rig->position, 0, -300, 0, 0.01f);
    ExpectNear(rig->direction, 0, 1, 0);
    ExpectNear(FramePosition(), 0, -300, 0, 0.01f);
}

TEST_F(CameraRigTest, PitchOrbitsAboutTheSidewaysAxis) {
    rig->Pitch(kPi / 2);
    // direction x up = (1, 0, 0); a quarter turn about it takes the camera below the court.
    ExpectNear(rig->position, 0, 0, -300, 0.01f);
    ExpectNear(rig->direction, 0, 0, 1);
    ExpectNear(rig->up, 0, -1, 0);
}

TEST_F(CameraRigTest, StepWithAPitchSpeedIsAPitchBySpeedTimesTime) {
    CameraRig twin(view);
    for (CameraRig* r : {rig, &twin}) {
        r->SetPosition(40, -250, 90);
        r->SetDirection(-40, 250, -90);
        r->SetUp(0.2f, 0.3f, 1);
    }
    rig->pitchSpeed = -1.7f;
    rig->Step(0.066f);
    twin.Pitch(0.066f * -1.7f);

    const D3DVECTOR* pairs[][2] = {{&rig->position, &twin.position}, {&rig->direction, &twin.direction},
                                   {&rig->up, &twin.up}};
    for (auto& pair : pairs) ExpectNear(*pair[0], pair[1]->x, pair[1]->y, pair[1]->z, 0);
    EXPECT_GT(std::fabs(rig->position.z - 90), 1) << "the camera did move";
    D3DVECTOR dirA, upA, dirB, upB, at{};
    FrameOrientation(*rig, dirA, upA);
    FrameOrientation(twin, dirB, upB);
    ExpectNear(dirA, dirB.x, dirB.y, dirB.z, 0);
    ExpectNear(upA, upB.x, upB.y, upB.z, 0);
    twin.cameraFrame->GetPosition(view->scene, &at);
    ExpectNear(FramePosition(), at.x, at.y, at.z, 0);
    twin.ReleaseCameraFrame();
}

TEST_F(CameraRigTest, TheFrameFacesWhereTheRigSaysAfterPitchesAndABareSetUp) {
    auto expectFrameMatchesRig = [&](const char* after) {
        SCOPED_TRACE(after);
        D3DVECTOR dir, up;
        FrameOrientation(*rig, dir, up);
        const D3DVECTOR d = rig->direction, u = rig->up;
        ExpectNear(dir, d.x, d.y, d.z);
        // The frame's up is the rig's with its part along the direction taken out.
        float along = u.x * d.x + u.y * d.y + u.z * d.z;
        D3DVECTOR across{u.x - along * d.x, u.y - along * d.y, u.z - along * d.z};
        float length = std::sqrt(across.x * across.x + across.y * across.y + across.z * across.z);
        ExpectNear(up, across.x / length, across.y / length, across.z / length);
    };
    rig->Pitch(0.7f);
    expectFrameMatchesRig("a pitch");
    rig->SetUp(1, 0.5f, 1);  // leaning along the direction as well as across it
    expectFrameMatchesRig("a bare set-up");
    rig->Pitch(-0.4f);
    expectFrameMatchesRig("a pitch with a leaning up");
    rig->Turn(1.1f);
    expectFrameMatchesRig("a turn");
}

TEST_F(CameraRigTest, DirectionsAreStoredNormalisedAndAZeroVectorChangesNothing) {
    rig->SetDirection(0, 2, 0);
    ExpectNear(rig->direction, 0, 1, 0);
    rig->SetDirection(3, 0, 4);
    ExpectNear(rig->direction, 0.6f, 0, 0.8f);
    rig->SetDirection(0, 0, 0);
    ExpectNear(rig->direction, 0.6f, 0, 0.8f);
    EXPECT_TRUE(std::isfinite(rig->up.x));
}

TEST_F(CameraRigTest, TurningAtTheOriginStaysThere) {
    rig->Move(300);
    rig->Turn(1.0f);
    ExpectNear(rig->position, 0, 0, 0);
    EXPECT_TRUE(std::isfinite(rig->direction.x) && std::isfinite(rig->direction.y));
}

}  // namespace
