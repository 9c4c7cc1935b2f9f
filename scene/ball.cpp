#include "scene/ball.h"

#include <cmath>

#include "render/graphics_startup.h"

Ball::Ball(const D3DVECTOR& start, float ballRadius) : shadowFrames{nullptr, nullptr, nullptr}, radius(ballRadius) {
    AddSphere(radius, 10);
    BuildShadows();
    SetPosition(start.x, start.y, start.z);
}

// The shadows leave whatever frame holds them, which after a detach is not
// necessarily the ball's parent any more.
Ball::~Ball() {
    for (IDirect3DRMFrame*& shadow : shadowFrames) {
        if (!shadow) continue;
        IDirect3DRMFrame* holder = nullptr;
        if (SUCCEEDED(shadow->GetParent(&holder)) && holder) {
            holder->DeleteChild(shadow);
            holder->Release();
        }
        shadow->Release();
        shadow = nullptr;
    }
}

// Each disc is a regular ten-sided polygon of the ball's radius around its
// frame's axis, with its vertices in the order that makes it face the inside
// of the court.
void Ball::BuildShadows() {
    if (!retainedMode) return;
    const float theta = 0.62831855f;
    for (int k = 0; k < 3; ++k) {
        IDirect3DRMMeshBuilder* mesh = nullptr;
        if (FAILED(retainedMode->CreateMeshBuilder(&mesh))) continue;
        IDirect3DRMFace* a = nullptr;
        IDirect3DRMFace* b = nullptr;
        mesh->CreateFace(&a);
        mesh->CreateFace(&b);
        for (int m = 1; m <= 10; ++m) {
            float c = radius * std::cos(m * theta);
            float s = radius * std::sin(m * theta);
            if (k == 0) {
                if (a) a->AddVertex(-kShadowPlane, s, -c);
                if (b) b->AddVertex(kShadowPlane, s, c);
            } else if (k == 1) {
                if (b) b->AddVertex(c, kShadowPlane, s);
            } else {
                if (a) a->AddVertex(c, s, -kShadowPlane);
                if (b) b->AddVertex(c, -s, kShadowPlane);
            }
        }
        if (SUCCEEDED(retainedMode->CreateFrame(nullptr, &shadowFrames[k]))) {
            shadowFrames[k]->AddVisual(mesh);
            shadowFrames[k]->SetColorRGB(0.3f, 0.3f, 0.3f);
        }
        if (a) a->Release();
        if (b) b->Release();
        mesh->SetColorRGB(1.0f, 0.0f, 0.0f);
        mesh->Release();
    }
}

void Ball::SetParentFrame(IDirect3DRMFrame* newParent) {
    SceneObject::SetParentFrame(newParent);
    if (!newParent) return;
    for (IDirect3DRMFrame* shadow : shadowFrames) {
        if (shadow) newParent->AddChild(shadow);
    }
}

void Ball::SetPosition(float x, float y, float z) {
    SceneObject::SetPosition(x, y, z);
    if (shadowFrames[0]) shadowFrames[0]->SetPosition(parentFrame, 0, y, z);
    if (shadowFrames[1]) shadowFrames[1]->SetPosition(parentFrame, x, 0, z);
    if (shadowFrames[2]) shadowFrames[2]->SetPosition(parentFrame, x, y, 0);
}

void Ball::SetVelocity(float x, float y, float z) {
    SceneObject::SetVelocity(x, y, z);
    if (shadowFrames[0]) shadowFrames[0]->SetVelocity(parentFrame, 0, y, z, FALSE);
    if (shadowFrames[1]) shadowFrames[1]->SetVelocity(parentFrame, x, 0, z, FALSE);
    if (shadowFrames[2]) shadowFrames[2]->SetVelocity(parentFrame, x, y, 0, FALSE);
}
