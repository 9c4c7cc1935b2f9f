// The base of every visible thing in the game: one Retained Mode frame, the
// frame it hangs under, and the last colour, position and velocity given to it.
#pragma once

#include "app/platform_calls.h"

class SceneObject {
public:
    SceneObject();
    virtual ~SceneObject();

    virtual void ReleaseFrame();
    virtual void LoadByName(const char* fileName, const char* objectName, SceneObject* parentObject);
    virtual void LoadFirst(const char* fileName, SceneObject* parentObject);
    virtual void SetColor(D3DCOLOR newColor);
    virtual void AttachTo(SceneObject* otherObject);
    virtual void SetParentFrame(IDirect3DRMFrame* newParent);
    virtual void SetOrientation(float dx, float dy, float dz, float ux, float uy, float uz);
    virtual void SetPosition(float x, float y, float z);
    virtual void SetVelocity(float x, float y, float z);
    virtual void SetQuality(D3DRMRENDERQUALITY quality);
    virtual void Hook(DWORD value);

    // A referenced descendant of `frame` named `name`, pre-order and depth-first;
    // null when there is none (or no name to look for).
    static IDirect3DRMFrame* FindChildByName(IDirect3DRMFrame* frame, const char* name);
    void ReadName();
    void AddSphere(float radius, int segments);
    void BindAppData();

    D3DVECTOR position;
    D3DVECTOR velocity;
    IDirect3DRMFrame* frame;
    IDirect3DRMFrame* parentFrame;
    char* name;
    D3DCOLOR color;
    bool ownsFrame;

private:
    void Load(const char* fileName, const char* objectId, D3DRMLOADOPTIONS options, const char* searchName,
              SceneObject* parentObject);
    IDirect3DRMMeshBuilder* FirstMesh();
};
