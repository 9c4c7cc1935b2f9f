// Direct3D Retained Mode: the scene graph, meshes, lights, devices and
// viewports the game draws with, under the SDK's names and signatures.
#pragma once

#include "platform/d3drm/d3drm_types.h"

namespace plat {

struct IDirectDrawClipper;
struct IDirectDrawSurface;

struct IDirect3DRMFrame;
struct IDirect3DRMTexture;
struct IDirect3DRMFace;

// Application data is pointer-sized: the game keeps object addresses in it,
// which no longer fit the old 32-bit DWORD on this host.
using D3DRMAPPDATA = UINT_PTR;

struct IDirect3DRMObject : IUnknown {
    virtual HRESULT SetAppData(D3DRMAPPDATA data) = 0;
    virtual D3DRMAPPDATA GetAppData() = 0;
    virtual HRESULT SetName(LPCSTR name) = 0;
    // size in: the buffer's size; out: the name's length with its NUL.
    // A null buffer only reports the size.
    virtual HRESULT GetName(DWORD* size, char* buffer) = 0;
    virtual HRESULT GetClassName(DWORD* size, char* buffer) = 0;
};

struct IDirect3DRMVisual : IDirect3DRMObject {};

struct IDirect3DRMVisualArray : IUnknown {
    virtual DWORD GetSize() = 0;
    virtual HRESULT GetElement(DWORD index, IDirect3DRMVisual** out) = 0;
};

struct IDirect3DRMFrameArray : IUnknown {
    virtual DWORD GetSize() = 0;
    virtual HRESULT GetElement(DWORD index, IDirect3DRMFrame** out) = 0;
};

struct IDirect3DRMLight : IDirect3DRMObject {
    virtual HRESULT SetType(D3DRMLIGHTTYPE type) = 0;
    virtual D3DRMLIGHTTYPE GetType() = 0;
    virtual HRESULT SetColor(D3DCOLOR color) = 0;
    virtual HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) = 0;
    virtual D3DCOLOR GetColor() = 0;
};

struct IDirect3DRMTexture : IDirect3DRMVisual {
    // Tells the texture that its surface's pixels changed, so the next
    // picture copies them again.
    virtual HRESULT Changed(BOOL pixels, BOOL palette) = 0;
};

struct IDirect3DRMFace : IDirect3DRMObject {
    virtual HRESULT AddVertex(D3DVALUE x, D3DVALUE y, D3DVALUE z) = 0;
    virtual int GetVertexCount() = 0;
    virtual HRESULT GetVertex(DWORD index, D3DVECTOR* position, D3DVECTOR* normal) = 0;
    virtual HRESULT SetTextureCoordinates(DWORD vertex, D3DVALUE u, D3DVALUE v) = 0;
    virtual HRESULT GetTextureCoordinates(DWORD vertex, D3DVALUE* u, D3DVALUE* v) = 0;
    virtual HRESULT GetNormal(D3DVECTOR* normal) = 0;
    virtual HRESULT SetColor(D3DCOLOR color) = 0;
    virtual HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) = 0;
    virtual D3DCOLOR GetColor() = 0;
};

struct IDirect3DRMMeshBuilder : IDirect3DRMVisual {
    virtual HRESULT CreateFace(IDirect3DRMFace** out) = 0;
    virtual HRESULT AddFace(IDirect3DRMFace* face) = 0;
    virtual HRESULT SetColor(D3DCOLOR color) = 0;
    virtual HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) = 0;
    virtual HRESULT SetQuality(D3DRMRENDERQUALITY quality) = 0;
    virtual D3DRMRENDERQUALITY GetQuality() = 0;
    virtual HRESULT SetTexture(IDirect3DRMTexture* texture) = 0;
    virtual HRESULT GetTexture(IDirect3DRMTexture** out) = 0;
    virtual HRESULT SetPerspective(BOOL perspective) = 0;
    virtual BOOL GetPerspective() = 0;
    virtual HRESULT GenerateNormals() = 0;
    virtual int GetFaceCount() = 0;
    virtual int GetVertexCount() = 0;
    virtual HRESULT Scale(D3DVALUE sx, D3DVALUE sy, D3DVALUE sz) = 0;
    virtual HRESULT Translate(D3DVALUE tx, D3DVALUE ty, D3DVALUE tz) = 0;
};

using D3DRMLOADTEXTURECALLBACK = HRESULT (*)(char* textureName, void* arg, IDirect3DRMTexture** out);

struct IDirect3DRMFrame : IDirect3DRMVisual {
    virtual HRESULT AddChild(IDirect3DRMFrame* child) = 0;
    virtual HRESULT DeleteChild(IDirect3DRMFrame* child) = 0;
    virtual HRESULT GetParent(IDirect3DRMFrame** out) = 0;
    virtual HRESULT GetScene(IDirect3DRMFrame** out) = 0;
    virtual HRESULT GetChildren(IDirect3DRMFrameArray** out) = 0;
    virtual HRESULT AddVisual(IDirect3DRMVisual* visual) = 0;
    virtual HRESULT DeleteVisual(IDirect3DRMVisual* visual) = 0;
    virtual HRESULT GetVisuals(IDirect3DRMVisualArray** out) = 0;
    virtual HRESULT AddLight(IDirect3DRMLight* light) = 0;
    virtual HRESULT DeleteLight(IDirect3DRMLight* light) = 0;

    // Placement relative to a reference frame; null means the world.
    virtual HRESULT SetPosition(IDirect3DRMFrame* ref, D3DVALUE x, D3DVALUE y, D3DVALUE z) = 0;
    virtual HRESULT GetPosition(IDirect3DRMFrame* ref, D3DVECTOR* out) = 0;
    virtual HRESULT SetOrientation(IDirect3DRMFrame* ref, D3DVALUE dx, D3DVALUE dy, D3DVALUE dz,
                                   D3DVALUE ux, D3DVALUE uy, D3DVALUE uz) = 0;
    virtual HRESULT GetOrientation(IDirect3DRMFrame* ref, D3DVECTOR* dir, D3DVECTOR* up) = 0;
    virtual HRESULT SetVelocity(IDirect3DRMFrame* ref, D3DVALUE x, D3DVALUE y, D3DVALUE z, BOOL withRotation) = 0;
    virtual HRESULT GetVelocity(IDirect3DRMFrame* ref, D3DVECTOR* out, BOOL withRotation) = 0;

    // Frame coordinates to world coordinates and back.
    virtual HRESULT Transform(D3DVECTOR* out, D3DVECTOR* in) = 0;
    virtual HRESULT InverseTransform(D3DVECTOR* out, D3DVECTOR* in) = 0;

    virtual HRESULT SetColor(D3DCOLOR color) = 0;
    virtual HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) = 0;
    virtual D3DCOLOR GetColor() = 0;
    virtual HRESULT SetSceneBackground(D3DCOLOR color) = 0;
    virtual HRESULT SetSceneBackgroundRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) = 0;
    virtual D3DCOLOR GetSceneBackground() = 0;

    virtual HRESULT Load(void* source, void* objectId, D3DRMLOADOPTIONS options,
                         D3DRMLOADTEXTURECALLBACK textureCallback, void* callbackArg) = 0;
};

struct IDirect3DRMDevice : IDirect3DRMObject {
    virtual HRESULT SetQuality(D3DRMRENDERQUALITY quality) = 0;
    virtual D3DRMRENDERQUALITY GetQuality() = 0;
    virtual HRESULT SetTextureQuality(D3DRMTEXTUREQUALITY quality) = 0;
    virtual D3DRMTEXTUREQUALITY GetTextureQuality() = 0;
    virtual HRESULT SetShades(DWORD shades) = 0;
    virtual DWORD GetShades() = 0;
    virtual DWORD GetWidth() = 0;
    virtual DWORD GetHeight() = 0;
    // Presents the device's picture in its window.
    virtual HRESULT Update() = 0;
};

struct IDirect3DRMViewport : IDirect3DRMObject {
    virtual HRESULT Clear() = 0;
    virtual HRESULT Render(IDirect3DRMFrame* frame) = 0;
    virtual HRESULT SetFront(D3DVALUE front) = 0;
    virtual D3DVALUE GetFront() = 0;
    virtual HRESULT SetBack(D3DVALUE back) = 0;
    virtual D3DVALUE GetBack() = 0;
    virtual HRESULT SetField(D3DVALUE field) = 0;
    virtual D3DVALUE GetField() = 0;
    virtual HRESULT SetCamera(IDirect3DRMFrame* camera) = 0;
    virtual HRESULT GetCamera(IDirect3DRMFrame** out) = 0;
    virtual HRESULT GetDevice(IDirect3DRMDevice** out) = 0;
    virtual LONG GetX() = 0;
    virtual LONG GetY() = 0;
    virtual DWORD GetWidth() = 0;
    virtual DWORD GetHeight() = 0;
    // World point to homogeneous screen vector: (x/w, y/w) the device pixel,
    // z/w the depth, 0 at the front plane and 1 at the back plane.
    virtual HRESULT Transform(D3DRMVECTOR4D* out, D3DVECTOR* in) = 0;
    // The exact inverse, for any depth.
    virtual HRESULT InverseTransform(D3DVECTOR* out, D3DRMVECTOR4D* in) = 0;
};

struct IDirect3DRM : IUnknown {
    virtual HRESULT CreateFrame(IDirect3DRMFrame* parent, IDirect3DRMFrame** out) = 0;
    virtual HRESULT CreateMeshBuilder(IDirect3DRMMeshBuilder** out) = 0;
    virtual HRESULT CreateFace(IDirect3DRMFace** out) = 0;
    virtual HRESULT CreateLight(D3DRMLIGHTTYPE type, D3DCOLOR color, IDirect3DRMLight** out) = 0;
    virtual HRESULT CreateLightRGB(D3DRMLIGHTTYPE type, D3DVALUE r, D3DVALUE g, D3DVALUE b,
                                   IDirect3DRMLight** out) = 0;
    virtual HRESULT CreateTextureFromSurface(IDirectDrawSurface* surface, IDirect3DRMTexture** out) = 0;
    // guid: IID_IDirect3DHALDevice, IID_IDirect3DRGBDevice or null for the default.
    virtual HRESULT CreateDeviceFromClipper(IDirectDrawClipper* clipper, LPGUID guid, int width, int height,
                                            IDirect3DRMDevice** out) = 0;
    virtual HRESULT CreateViewport(IDirect3DRMDevice* device, IDirect3DRMFrame* camera, DWORD x, DWORD y,
                                   DWORD width, DWORD height, IDirect3DRMViewport** out) = 0;
    virtual HRESULT SetDefaultTextureColors(DWORD colors) = 0;
    virtual HRESULT SetDefaultTextureShades(DWORD shades) = 0;
    // Moves every frame by its velocity, then draws and presents every
    // viewport of every device made from this object.
    virtual HRESULT Tick(D3DVALUE seconds) = 0;
};

using LPDIRECT3DRM = IDirect3DRM*;
using LPDIRECT3DRMFRAME = IDirect3DRMFrame*;
using LPDIRECT3DRMMESHBUILDER = IDirect3DRMMeshBuilder*;
using LPDIRECT3DRMFACE = IDirect3DRMFace*;
using LPDIRECT3DRMLIGHT = IDirect3DRMLight*;
using LPDIRECT3DRMTEXTURE = IDirect3DRMTexture*;
using LPDIRECT3DRMDEVICE = IDirect3DRMDevice*;
using LPDIRECT3DRMVIEWPORT = IDirect3DRMViewport*;
using LPDIRECT3DRMVISUAL = IDirect3DRMVisual*;
using LPDIRECT3DRMVISUALARRAY = IDirect3DRMVisualArray*;
using LPDIRECT3DRMFRAMEARRAY = IDirect3DRMFrameArray*;

HRESULT Direct3DRMCreate(IDirect3DRM** out);

D3DVECTOR* D3DRMVectorAdd(D3DVECTOR* d, D3DVECTOR* s1, D3DVECTOR* s2);
D3DVECTOR* D3DRMVectorSubtract(D3DVECTOR* d, D3DVECTOR* s1, D3DVECTOR* s2);
D3DVECTOR* D3DRMVectorCrossProduct(D3DVECTOR* d, D3DVECTOR* s1, D3DVECTOR* s2);
D3DVALUE D3DRMVectorDotProduct(D3DVECTOR* s1, D3DVECTOR* s2);
D3DVALUE D3DRMVectorModulus(D3DVECTOR* v);
// A zero vector normalises to (1, 0, 0), so the result always has unit length.
D3DVECTOR* D3DRMVectorNormalize(D3DVECTOR* v);
D3DVECTOR* D3DRMVectorScale(D3DVECTOR* d, D3DVECTOR* s, D3DVALUE factor);
// v rotated about axis by theta radians, normalised.
D3DVECTOR* D3DRMVectorRotate(D3DVECTOR* r, D3DVECTOR* v, D3DVECTOR* axis, D3DVALUE theta);

}  // namespace plat
