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
