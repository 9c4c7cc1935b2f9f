#include "render/camera_rig.h"

#include <cmath>

#include "app/view_manager.h"
#include "render/graphics_startup.h"
#include "render/render_view.h"

namespace {

// A zero vector has no direction; the stored one is kept rather than turned into NaN.
D3DVECTOR Normalised(float x, float y, float z, D3DVECTOR keep) {
    float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0f) || !std::isfinite(length)) return keep;
    return D3DVECTOR{x / length, y / length, z / length};
}

}  // namespace

CameraRig::CameraRig(RenderView* owner)
    : position{0, 0, 0}, direction{0, 0, 1}, up{0, 1, 0}, cameraFrame(nullptr), turnSpeed(0), moveSpeed(0),
      pitchSpeed(0), view(owner) {
    if (retainedMode) retainedMode->CreateFrame(view->scene, &cameraFrame);
    SetPosition(0, 0, 0);
    up = D3DVECTOR{0, 1, 0};
    direction = D3DVECTOR{0, 0, 1};
    turnSpeed = moveSpeed = pitchSpeed = 0;
}

void CameraRig::ReleaseCameraFrame() {
    if (cameraFrame) {
        cameraFrame->Release();
        cameraFrame = nullptr;
    }
}

// Without a frame (its creation failed) the rig still keeps its state, so
// nothing that reads it is surprised.
void CameraRig::SetPosition(float x, float y, float z) {
    position = D3DVECTOR{x, y, z};
    if (cameraFrame) cameraFrame->SetPosition(view->scene, x, y, z);
    viewManager.sceneChanged = true;
}

void CameraRig::SetDirection(float dx, float dy, float dz) {
    direction = Normalised(dx, dy, dz, direction);
    if (cameraFrame) {
        cameraFrame->SetOrientation(view->scene, direction.x, direction.y, direction.z, up.x, up.y, up.z);
    }
    viewManager.sceneChanged = true;
}

void CameraRig::SetUp(float ux, float uy, float uz) {
    up = Normalised(ux, uy, uz, up);
    if (cameraFrame) {
        cameraFrame->SetOrientation(view->scene, direction.x, direction.y, direction.z, up.x, up.y, up.z);
    }
    viewManager.sceneChanged = true;
}

void CameraRig::Move(float distance) {
    D3DVECTOR c{position.x + distance * direction.x, position.y + distance * direction.y,
                position.z + distance * direction.z};
    if (c.x * c.x + c.y * c.y + c.z * c.z > kCameraRangeSquared) return;
    SetPosition(c.x, c.y, c.z);
}

void CameraRig::Turn(float angle) { Orbit(D3DVECTOR{0, 0, 1}, angle); }

void CameraRig::Pitch(float angle) {
    D3DVECTOR axis{direction.y * up.z - direction.z * up.y, direction.z * up.x - direction.x * up.z,
                   direction.x * up.y - direction.y * up.x};
    Orbit(axis, angle);
}

// Rotating about an axis through the origin keeps the camera's distance from
// the court, which stands at the origin.
void CameraRig::Orbit(D3DVECTOR axis, float angle) {
    D3DVECTOR p;
    float radius = D3DRMVectorModulus(&position);
    D3DRMVectorRotate(&p, &position, &axis, angle);
    D3DRMVectorScale(&p, &p, radius);
    SetPosition(p.x, p.y, p.z);

    D3DVECTOR d;
    D3DRMVectorRotate(&d, &direction, &axis, angle);
    SetDirection(d.x, d.y, d.z);

    D3DVECTOR u;
    D3DRMVectorRotate(&u, &up, &axis, angle);
    SetUp(u.x, u.y, u.z);
}

void CameraRig::Step(float dt) {
    if (moveSpeed != 0) Move(dt * moveSpeed);
    if (turnSpeed != 0) Turn(dt * turnSpeed);
    if (pitchSpeed != 0) Pitch(dt * pitchSpeed);
}
