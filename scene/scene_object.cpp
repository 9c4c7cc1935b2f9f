#include "scene/scene_object.h"

#include <cstdio>
#include <cstring>

#include "app/main_window.h"
#include "app/view_manager.h"
#include "render/graphics_startup.h"

SceneObject::SceneObject()
    : position{0, 0, 0},
      velocity{0, 0, 0},
      frame(nullptr),
      parentFrame(nullptr),
      name(nullptr),
      color(0x00FFFFFF),
      ownsFrame(true) {
    if (retainedMode) retainedMode->CreateFrame(nullptr, &frame);
    BindAppData();
}

// Subclasses take no part in the teardown: they are gone by now.
SceneObject::~SceneObject() { SceneObject::ReleaseFrame(); }

void SceneObject::ReleaseFrame() {
    if (ownsFrame) {
        if (frame) {
            if (parentFrame) parentFrame->DeleteChild(frame);
            frame->Release();
        }
        frame = nullptr;
        parentFrame = nullptr;
    } else if (frame) {
        frame->SetAppData(0);
    }
    delete[] name;
    name = nullptr;
}

void SceneObject::BindAppData() {
    if (frame) frame->SetAppData(reinterpret_cast<D3DRMAPPDATA>(this));
}

void SceneObject::LoadByName(const char* fileName, const char* objectName, SceneObject* parentObject) {
    Load(fileName, objectName, D3DRMLOAD_BYNAME, objectName, parentObject);
}

void SceneObject::LoadFirst(const char* fileName, SceneObject* parentObject) {
    Load(fileName, nullptr, D3DRMLOAD_FIRST, name, parentObject);
}

void SceneObject::Load(const char* fileName, const char* objectId, D3DRMLOADOPTIONS options, const char* searchName,
                       SceneObject* parentObject) {
    if (!frame) return;
    // A path that does not fit is not cut to some other file's name: nothing is loaded.
    char path[MAX_PATH];
    int length = std::snprintf(path, sizeof path, "%s%s", programDirectory, fileName ? fileName : "");
    if (fileName && length >= 0 && static_cast<size_t>(length) < sizeof path) {
        frame->Load(path, const_cast<char*>(objectId), options, nullptr, nullptr);
    }
    if (IDirect3DRMFrame* found = FindChildByName(frame, searchName)) {
        // The old frame leaves the scene with this object's hold on it; left
        // under its parent it would stay on screen, owned by nobody.
        if (parentFrame) parentFrame->DeleteChild(frame);
        frame->Release();
        frame = found;
    }
    BindAppData();
    ReadName();
    SetParentFrame(parentObject ? parentObject->frame : nullptr);
}

IDirect3DRMFrame* SceneObject::FindChildByName(IDirect3DRMFrame* frame, const char* name) {
    if (!frame || !name) return nullptr;
    IDirect3DRMFrameArray* children = nullptr;
    if (FAILED(frame->GetChildren(&children)) || !children) return nullptr;
    IDirect3DRMFrame* result = nullptr;
    DWORD count = children->GetSize();
    for (DWORD i = 0; i < count && !result; ++i) {
        IDirect3DRMFrame* child = nullptr;
        if (FAILED(children->GetElement(i, &child)) || !child) continue;
        // A name that does not fit the buffer is no match, and leaves nothing
        // of an earlier child's name behind to match by accident.
        char buffer[80] = {};
        DWORD size = sizeof buffer;
        if (SUCCEEDED(child->GetName(&size, buffer)) && std::strcmp(buffer, name) == 0) {
            result = child;
            break;
        }
        result = FindChildByName(child, name);
        child->Release();
    }
    children->Release();
    return result;
}

void SceneObject::ReadName() {
    DWORD size = 0;
    if (!frame || FAILED(frame->GetName(&size, nullptr))) size = 0;
    char* fresh = new char[size > 0 ? size : 1];
    fresh[0] = '\0';
    if (size > 0 && FAILED(frame->GetName(&size, fresh))) fresh[0] = '\0';
    delete[] name;
    name = fresh;
}

IDirect3DRMMeshBuilder* SceneObject::FirstMesh() {
    if (!frame) return nullptr;
    IDirect3DRMVisualArray* visuals = nullptr;
    if (FAILED(frame->GetVisuals(&visuals)) || !visuals) return nullptr;
    IDirect3DRMMeshBuilder* mesh = nullptr;
    if (visuals->GetSize() >= 1) {
        IDirect3DRMVisual* visual = nullptr;
        if (SUCCEEDED(visuals->GetElement(0, &visual)) && visual) {
            // A first visual that is not a mesh (a frame, a texture) has no colour to set.
            visual->QueryInterface(IID_IDirect3DRMMeshBuilder, reinterpret_cast<void**>(&mesh));
            visual->Release();
        }
    }
    visuals->Release();
    return mesh;
}

void SceneObject::SetColor(D3DCOLOR newColor) {
    color = newColor;
    if (IDirect3DRMMeshBuilder* mesh = FirstMesh()) {
        mesh->SetColor(newColor);
        mesh->Release();
    }
    viewManager.sceneChanged = true;
}

void SceneObject::SetQuality(D3DRMRENDERQUALITY quality) {
    if (IDirect3DRMMeshBuilder* mesh = FirstMesh()) {
        mesh->SetQuality(quality);
        mesh->Release();
    }
    viewManager.sceneChanged = true;
}

void SceneObject::AttachTo(SceneObject* otherObject) { SetParentFrame(otherObject ? otherObject->frame : nullptr); }

void SceneObject::SetParentFrame(IDirect3DRMFrame* newParent) {
    if (parentFrame && parentFrame != newParent && frame) parentFrame->DeleteChild(frame);
    parentFrame = newParent;
    if (newParent && frame) newParent->AddChild(frame);
}

void SceneObject::SetOrientation(float dx, float dy, float dz, float ux, float uy, float uz) {
    if (frame) frame->SetOrientation(parentFrame, dx, dy, dz, ux, uy, uz);
    viewManager.sceneChanged = true;
}

void SceneObject::SetPosition(float x, float y, float z) {
    if (frame) frame->SetPosition(parentFrame, x, y, z);
    position = D3DVECTOR{x, y, z};
    viewManager.sceneChanged = true;
}

void SceneObject::SetVelocity(float x, float y, float z) {
    if (frame) frame->SetVelocity(parentFrame, x, y, z, FALSE);
    velocity = D3DVECTOR{x, y, z};
    viewManager.sceneChanged = true;
}

void SceneObject::Hook(DWORD) {}
