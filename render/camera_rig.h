// The camera of one view: a frame circling the world origin, with the speeds
// that each game tick turns into motion.
#pragma once

#include "app/platform_calls.h"

class RenderView;

class CameraRig {
public:
    explicit CameraRig(RenderView* view);

    void ReleaseCameraFrame();
    void SetPosition(float x, float y, float z);
    void SetDirection(float dx, float dy, float dz);
    void SetUp(float ux, float uy, float uz);
    void Move(float distance);
    void Turn(float angle);
    void Pitch(float angle);
    void Step(float dt);

    D3DVECTOR position;
    D3DVECTOR direction;
    D3DVECTOR up;
    IDirect3DRMFrame* cameraFrame;
    float turnSpeed;
    float moveSpeed;
    float pitchSpeed;
    RenderView* view;

private:
    void Orbit(D3DVECTOR axis, float angle);
};

// The camera stays within this squared distance of the origin.
constexpr float kCameraRangeSquared = 3000000.0f;
