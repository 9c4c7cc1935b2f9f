// The ball: a smooth sphere, and three frames of flat red discs on the court's
// walls that sit where the ball's centre projects onto them, so the player can
// judge its depth.
#pragma once

#include "scene/scene_object.h"

class Ball : public SceneObject {
public:
    Ball(const D3DVECTOR& position, float radius);
    ~Ball() override;

    void SetParentFrame(IDirect3DRMFrame* newParent) override;
    void SetPosition(float x, float y, float z) override;
    void SetVelocity(float x, float y, float z) override;
    virtual void BuildShadows();

    // [0] the side walls, [1] the back wall, [2] the floor and the ceiling.
    IDirect3DRMFrame* shadowFrames[3];
    float radius;
};

// The planes the discs lie in: half a unit inside the court's walls.
constexpr float kShadowPlane = 49.5f;
