// The player's hands: the racket follows the mouse in the plane in front of
// the box and faces the ball, a left click hits, and the arrow keys and a
// right-button drag turn and move the camera.
#include <cmath>

#include "app/view_manager.h"
#include "game/game_view.h"
#include "render/camera_rig.h"
#include "scene/ball.h"
#include "scene/racket.h"
#include "sound/note_effects.h"

namespace {

constexpr float kRacketReach = 140.0f;  // the racket's centre stays within the extended court
constexpr float kRacketHalfSize = 10.0f;
constexpr float kCourtHalfWidth = 150.0f;

float Clamp(float h) {
    if (h + kRacketHalfSize > kCourtHalfWidth) return kRacketReach;
    if (h - kRacketHalfSize < -kCourtHalfWidth) return -kRacketReach;
    return h;
}

}  // namespace

// Where the mouse ray meets the racket plane. A ray along the plane meets it
// nowhere (or everywhere): then there is no point, and the caller keeps what it had.
bool GameView::RacketPoint(unsigned x, unsigned y, float& hx, float& hz) {
    if (!viewport) return false;
    D3DRMVECTOR4D nearScreen{static_cast<float>(x), static_cast<float>(y), 1.0f, 1.0f};
    D3DRMVECTOR4D farScreen{static_cast<float>(x), static_cast<float>(y), 100.0f, 1.0f};
    D3DVECTOR a{}, b{};
    if (FAILED(viewport->InverseTransform(&a, &nearScreen)) || FAILED(viewport->InverseTransform(&b, &farScreen))) {
        return false;
    }
    const float s = (kRacketPlaneY - a.y) / (b.y - a.y);
    const float px = a.x + s * (b.x - a.x);
    const float pz = a.z + s * (b.z - a.z);
    if (!std::isfinite(s) || !std::isfinite(px) || !std::isfinite(pz)) return false;
    hx = px;
    hz = pz;
    return true;
}

// The unit vector from the racket point to the ball; a ball right on the
// point gives no direction, and the last normal stays.
void GameView::AimRacketNormal(float hx, float hz) {
    const D3DVECTOR& b = ball->position;
    const float nx = b.x - hx, ny = b.y - kRacketPlaneY, nz = b.z - hz;
    const float length = std::sqrt(nz * nz + ny * ny + nx * nx);
    if (!(length > 0.0f) || !std::isfinite(length)) return;
    racketNormal = D3DVECTOR{nx / length, ny / length, nz / length};
}

void GameView::OnMouseMove(unsigned x, unsigned y, WPARAM keys) {
    if (!ball || !racket) return;
    if (keys == MK_RBUTTON && cameraRig) {
        cameraRig->Turn(static_cast<float>(static_cast<int>(x) - lastMouseX) * 0.01f);
        cameraRig->Move(static_cast<float>(static_cast<int>(y) - lastMouseY));
        viewManager.sceneChanged = true;
    }
    lastMouseX = static_cast<int>(x);
    lastMouseY = static_cast<int>(y);

    float hx = 0, hz = 0;
    if (RacketPoint(x, y, hx, hz)) PlaceRacket(hx, hz);
}

void GameView::PlaceRacket(float hx, float hz) {
    hx = Clamp(hx);
    hz = Clamp(hz);
    AimRacketNormal(hx, hz);
    const D3DVECTOR n = racketNormal;
    // The up vector's part across the direction has length sqrt(1 - nx^4):
    // with n = (±1, 0, 0) they are the same line and name no orientation, so
    // the racket keeps the one it has.
    if (1.0f - n.x * n.x * n.x * n.x > 1e-6f) racket->SetOrientation(n.x, n.z, -n.y, n.x, n.y, n.z);
    racket->SetPosition(hx, kRacketPlaneY, hz);
}

void GameView::OnMouseDown(unsigned x, unsigned y, WPARAM keys) {
    if (keys != MK_LBUTTON || !ball || !racket) return;
    lastMouseX = static_cast<int>(x);
    lastMouseY = static_cast<int>(y);
    // Only a ball in front of the box and not yet behind the racket plane.
    if (ball->position.y > -50.0f || ball->position.y < kRacketPlaneY) return;
    inPlay = true;
    hitCount = 0;
    const D3DVECTOR v = ball->velocity;
    // The hit aims with the unclamped point: the racket is drawn inside the
    // court, but the player pointed beyond it.
    float hx = 0, hz = 0;
    if (RacketPoint(x, y, hx, hz)) AimRacketNormal(hx, hz);
    const D3DVECTOR n = racketNormal;
    const float d = v.z * n.z + v.y * n.y + v.x * n.x;
    if (d > 0) return;  // already moving away from the racket
    const float k = 0.8f * 2 * d;
    const float kick = 2 * kickSpeed;
    ball->SetVelocity(v.x - k * n.x + kick * n.x, v.y - k * n.y + kick * n.y, v.z - k * n.z + kick * n.z);
    racket->SetPosition(ball->position.x, ball->position.y, ball->position.z);
    PlayClap();
}

void GameView::OnKeyDown(WPARAM key) {
    if (!cameraRig) return;
    switch (key) {
    case VK_LEFT: cameraRig->turnSpeed = 0.5f; break;
    case VK_UP: cameraRig->moveSpeed = 100.0f; break;
    case VK_RIGHT: cameraRig->turnSpeed = -0.5f; break;
    case VK_DOWN: cameraRig->moveSpeed = -100.0f; break;
    default: return;
    }
    viewManager.sceneChanged = true;
}

void GameView::OnKeyUp(WPARAM key) {
    if (!cameraRig) return;
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT: cameraRig->turnSpeed = 0.0f; break;
    case VK_UP:
    case VK_DOWN: cameraRig->moveSpeed = 0.0f; break;
    default: return;
    }
    viewManager.sceneChanged = true;
}
