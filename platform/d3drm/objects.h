// The objects behind the Retained Mode interfaces. Only the stand-in's own
// files include this; the game sees the interfaces of d3drm.h.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3drm/d3drm.h"
#include "platform/d3drm/draw_list.h"
#include "platform/d3drm/geometry.h"
#include "platform/gl/gl_window.h"


namespace plat::gl {
struct DeviceTarget;
}

namespace plat::rm {

class RetainedMode;
class Frame;
class MeshBuilder;
class Viewport;
class SceneCollector;

HRESULT CopyName(const std::string& name, bool named, DWORD* size, char* buffer);

// Every change that can alter a picture counts once, in every Retained Mode
// object alike: a device whose last picture was drawn at the current count
// shows the scene as it is, and Tick need not draw it again. Setting a value
// already there is no change.
void NoteChange();
std::uint64_t ChangeCount();
// A number no other frame or mesh ever had, for caches that outlive an address.
std::uint64_t NextSerial();

// Name and application data, which every Retained Mode object carries.
template <class Interface>
class ObjectImpl : public RefCounted<Interface> {
public:
    HRESULT SetAppData(D3DRMAPPDATA data) override {
        appData_ = data;
        return D3DRM_OK;
    }
    D3DRMAPPDATA GetAppData() override { return appData_; }
    HRESULT SetName(LPCSTR name) override {
        named_ = name != nullptr;
        name_ = name ? name : "";
        return D3DRM_OK;
    }
    HRESULT GetName(DWORD* size, char* buffer) override { return CopyName(name_, named_, size, buffer); }
    HRESULT GetClassName(DWORD* size, char* buffer) override { return CopyName(ClassName(), true, size, buffer); }

protected:
    virtual const char* ClassName() const = 0;
    // Answers IUnknown, IDirect3DRMObject and the given interface.
    HRESULT Answer(REFIID riid, void** out, const IID& own, const IID* extra = nullptr) {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirect3DRMObject || riid == own || (extra && riid == *extra)) {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }

private:
    D3DRMAPPDATA appData_ = 0;
    std::string name_;
    bool named_ = false;
};

struct FaceVertex {
    Vec3 position;
    Vec3 normal;  // zero: none of its own, the face normal is used
    float u = 0, v = 0;
};

class Face final : public ObjectImpl<IDirect3DRMFace> {
public:
    HRESULT QueryInterface(REFIID riid, void** out) override { return Answer(riid, out, IID_IDirect3DRMFace); }
    HRESULT AddVertex(D3DVALUE x, D3DVALUE y, D3DVALUE z) override;
    int GetVertexCount() override { return static_cast<int>(vertices_.size()); }
    HRESULT GetVertex(DWORD index, D3DVECTOR* position, D3DVECTOR* normal) override;
    HRESULT SetTextureCoordinates(DWORD vertex, D3DVALUE u, D3DVALUE v) override;
    HRESULT GetTextureCoordinates(DWORD vertex, D3DVALUE* u, D3DVALUE* v) override;
    HRESULT GetNormal(D3DVECTOR* normal) override;
    HRESULT SetColor(D3DCOLOR color) override;
    HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) override { return SetColor(D3DRGB(r, g, b)); }
    D3DCOLOR GetColor() override { return color_; }

    // Counts a change of the face, and of its mesh's picture.
    void Touch();
    // The normal out of the face's front (Newell's sum over its edges, so a
    // degenerate first corner does not spoil it); zero for no area.
    Vec3 FaceNormal() const;

    std::vector<FaceVertex> vertices_;
    D3DCOLOR color_ = 0xFFFFFFFF;
    MeshBuilder* owner_ = nullptr;  // the mesh holds a reference on the face

protected:
    const char* ClassName() const override { return "Face"; }
};

class Texture final : public ObjectImpl<IDirect3DRMTexture>, public TextureImage {
public:
    explicit Texture(IDirectDrawSurface* surface);
    ~Texture() override;
    HRESULT QueryInterface(REFIID riid, void** out) override {
        return Answer(riid, out, IID_IDirect3DRMTexture, &IID_IDirect3DRMVisual);
    }
    HRESULT Changed(BOOL pixels, BOOL palette) override;

    std::uint64_t ImageId() const override { return id_; }
    std::uint32_t ImageVersion() const override { return version_; }
    bool CopyPixels(std::vector<std::uint32_t>& texels, int& width, int& height) override;

protected:
    const char* ClassName() const override { return "Texture"; }

private:
    IDirectDrawSurface* surface_;
    std::uint64_t id_;
    std::uint32_t version_ = 0;
};

class MeshBuilder final : public ObjectImpl<IDirect3DRMMeshBuilder> {
public:
    ~MeshBuilder() override;
    HRESULT QueryInterface(REFIID riid, void** out) override {
        return Answer(riid, out, IID_IDirect3DRMMeshBuilder, &IID_IDirect3DRMVisual);
    }
    HRESULT CreateFace(IDirect3DRMFace** out) override;
    HRESULT AddFace(IDirect3DRMFace* face) override;
    HRESULT SetColor(D3DCOLOR color) override;
    HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) override { return SetColor(D3DRGB(r, g, b)); }
    HRESULT SetQuality(D3DRMRENDERQUALITY quality) override;
    D3DRMRENDERQUALITY GetQuality() override { return quality_; }
    HRESULT SetTexture(IDirect3DRMTexture* texture) override;
    HRESULT GetTexture(IDirect3DRMTexture** out) override;
    // Counts a change of what the mesh draws.
    void Touch() {
        NoteChange();
        version_ = ChangeCount();
    }
    HRESULT SetPerspective(BOOL perspective) override {
        if (perspective_ != (perspective != FALSE)) NoteChange();
        perspective_ = perspective != FALSE;
        return D3DRM_OK;
    }
    BOOL GetPerspective() override { return perspective_ ? TRUE : FALSE; }
    HRESULT GenerateNormals() override;
    int GetFaceCount() override { return static_cast<int>(faces_.size()); }
    int GetVertexCount() override;
    HRESULT Scale(D3DVALUE sx, D3DVALUE sy, D3DVALUE sz) override;
    HRESULT Translate(D3DVALUE tx, D3DVALUE ty, D3DVALUE tz) override;

    std::vector<Face*> faces_;  // referenced
    D3DCOLOR color_ = 0xFFFFFFFF;
    D3DRMRENDERQUALITY quality_ = D3DRMRENDER_GOURAUD;
    Texture* texture_ = nullptr;  // referenced
    bool perspective_ = false;
    const std::uint64_t serial_ = NextSerial();
    std::uint64_t version_ = 0;  // changes with everything the mesh draws

protected:
    const char* ClassName() const override { return "Builder"; }
};

class Light final : public ObjectImpl<IDirect3DRMLight> {
public:
    Light(D3DRMLIGHTTYPE type, D3DVALUE r, D3DVALUE g, D3DVALUE b)
        : type_(type), r_(Intensity(r)), g_(Intensity(g)), b_(Intensity(b)) {}
    // A component that is no number, or an endless one, gives no light: it
    // would turn every sum it enters, and so the lit colour, into NaN.
    static D3DVALUE Intensity(D3DVALUE v) { return std::isfinite(v) ? v : 0.0f; }
    HRESULT QueryInterface(REFIID riid, void** out) override { return Answer(riid, out, IID_IDirect3DRMLight); }
    HRESULT SetType(D3DRMLIGHTTYPE type) override;
    D3DRMLIGHTTYPE GetType() override { return type_; }
    HRESULT SetColor(D3DCOLOR color) override;
    HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) override;
    D3DCOLOR GetColor() override { return D3DRGB(r_, g_, b_); }

    D3DRMLIGHTTYPE type_;
    D3DVALUE r_, g_, b_;

protected:
    const char* ClassName() const override { return "Light"; }
};

class Frame final : public ObjectImpl<IDirect3DRMFrame> {
public:
    explicit Frame(RetainedMode* root);
    ~Frame() override;
    HRESULT QueryInterface(REFIID riid, void** out) override {
        return Answer(riid, out, IID_IDirect3DRMFrame, &IID_IDirect3DRMVisual);
    }
    HRESULT AddChild(IDirect3DRMFrame* child) override;
    HRESULT DeleteChild(IDirect3DRMFrame* child) override;
    HRESULT GetParent(IDirect3DRMFrame** out) override;
    HRESULT GetScene(IDirect3DRMFrame** out) override;
    HRESULT GetChildren(IDirect3DRMFrameArray** out) override;
    HRESULT AddVisual(IDirect3DRMVisual* visual) override;
    HRESULT DeleteVisual(IDirect3DRMVisual* visual) override;
    HRESULT GetVisuals(IDirect3DRMVisualArray** out) override;
    HRESULT AddLight(IDirect3DRMLight* light) override;
    HRESULT DeleteLight(IDirect3DRMLight* light) override;
    HRESULT SetPosition(IDirect3DRMFrame* ref, D3DVALUE x, D3DVALUE y, D3DVALUE z) override;
    HRESULT GetPosition(IDirect3DRMFrame* ref, D3DVECTOR* out) override;
    HRESULT SetOrientation(IDirect3DRMFrame* ref, D3DVALUE dx, D3DVALUE dy, D3DVALUE dz, D3DVALUE ux,
                           D3DVALUE uy, D3DVALUE uz) override;
    HRESULT GetOrientation(IDirect3DRMFrame* ref, D3DVECTOR* dir, D3DVECTOR* up) override;
    HRESULT SetVelocity(IDirect3DRMFrame* ref, D3DVALUE x, D3DVALUE y, D3DVALUE z, BOOL withRotation) override;
    HRESULT GetVelocity(IDirect3DRMFrame* ref, D3DVECTOR* out, BOOL withRotation) override;
    HRESULT Transform(D3DVECTOR* out, D3DVECTOR* in) override;
    HRESULT InverseTransform(D3DVECTOR* out, D3DVECTOR* in) override;
    HRESULT SetColor(D3DCOLOR color) override {
        if (color != color_) NoteChange();
        color_ = color;
        return D3DRM_OK;
    }
    HRESULT SetColorRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) override { return SetColor(D3DRGB(r, g, b)); }
    D3DCOLOR GetColor() override { return color_; }
    HRESULT SetSceneBackground(D3DCOLOR color) override {
        if (color != background_) NoteChange();
        background_ = color;
        return D3DRM_OK;
    }
    HRESULT SetSceneBackgroundRGB(D3DVALUE r, D3DVALUE g, D3DVALUE b) override {
        return SetSceneBackground(D3DRGB(r, g, b));
    }
    D3DCOLOR GetSceneBackground() override { return background_; }
    HRESULT Load(void* source, void* objectId, D3DRMLOADOPTIONS options, D3DRMLOADTEXTURECALLBACK textureCallback,
                 void* callbackArg) override;

    // The frame's placement in world space.
    Placement World() const;
    Frame* Root();
    void Advance(float seconds);

    Frame* parent_ = nullptr;       // the parent holds a reference on this frame
    std::vector<Frame*> children_;  // referenced
    std::vector<IDirect3DRMVisual*> visuals_;  // referenced
    std::vector<MeshBuilder*> meshes_;         // the visuals that are mesh builders
    std::vector<Light*> lights_;               // referenced
    Placement local_;                          // in the parent's coordinates
    Vec3 velocity_;                            // in the parent's coordinates, per second
    D3DCOLOR color_ = 0xFFFFFFFF;
    D3DCOLOR background_ = 0xFF000000;
    std::size_t registryIndex_ = 0;
    const std::uint64_t serial_ = NextSerial();

protected:
    const char* ClassName() const override { return "Frame"; }

private:
    RetainedMode* root_;  // referenced
};

class Device final : public ObjectImpl<IDirect3DRMDevice> {
public:
    Device(RetainedMode* root, gl::DeviceTarget* target, int width, int height);
    ~Device() override;
    HRESULT QueryInterface(REFIID riid, void** out) override { return Answer(riid, out, IID_IDirect3DRMDevice); }
    HRESULT SetQuality(D3DRMRENDERQUALITY quality) override;
    D3DRMRENDERQUALITY GetQuality() override { return quality_; }
    HRESULT SetTextureQuality(D3DRMTEXTUREQUALITY quality) override;
    D3DRMTEXTUREQUALITY GetTextureQuality() override { return textureQuality_; }
    HRESULT SetShades(DWORD shades) override;
    DWORD GetShades() override { return shades_; }
    DWORD GetWidth() override { return static_cast<DWORD>(width_); }
    DWORD GetHeight() override { return static_cast<DWORD>(height_); }
    HRESULT Update() override;

    gl::DeviceTarget* target_;
    IDirectDrawClipper* clipper_ = nullptr;  // referenced: the device draws on its window
    int width_, height_;
    D3DRMRENDERQUALITY quality_ = D3DRMRENDER_FLAT;
    D3DRMTEXTUREQUALITY textureQuality_ = D3DRMTEXTURE_NEAREST;
    DWORD shades_ = 32;
    std::vector<Viewport*> viewports_;  // not referenced: each viewport holds its device
    SceneCollector* collector_;
    DrawList drawList_;
    // Whether the device shows the picture Tick drew at change count pictureAt_;
    // anything drawn on it by other hands makes Tick draw it again.
    bool pictureCurrent_ = false;
    std::uint64_t pictureAt_ = 0;
    std::uint64_t tickPictures_ = 0;  // pictures Tick drew, for tests

protected:
    const char* ClassName() const override { return "Device"; }

private:
    RetainedMode* root_;  // referenced
};

class Viewport final : public ObjectImpl<IDirect3DRMViewport> {
public:
    Viewport(Device* device, Frame* camera, LONG x, LONG y, DWORD width, DWORD height);
    ~Viewport() override;
    HRESULT QueryInterface(REFIID riid, void** out) override { return Answer(riid, out, IID_IDirect3DRMViewport); }
    HRESULT Clear() override;
    HRESULT Render(IDirect3DRMFrame* frame) override;
    HRESULT SetFront(D3DVALUE front) override;
    D3DVALUE GetFront() override { return front_; }
    HRESULT SetBack(D3DVALUE back) override;
    D3DVALUE GetBack() override { return back_; }
    HRESULT SetField(D3DVALUE field) override;
    D3DVALUE GetField() override { return field_; }
    HRESULT SetCamera(IDirect3DRMFrame* camera) override;
    HRESULT GetCamera(IDirect3DRMFrame** out) override;
    HRESULT GetDevice(IDirect3DRMDevice** out) override;
    LONG GetX() override { return x_; }
    LONG GetY() override { return y_; }
    DWORD GetWidth() override { return width_; }
    DWORD GetHeight() override { return height_; }
    HRESULT Transform(D3DRMVECTOR4D* out, D3DVECTOR* in) override;
    HRESULT InverseTransform(D3DVECTOR* out, D3DRMVECTOR4D* in) override;

    Projection CurrentProjection() const;
    Frame* camera_;  // referenced

protected:
    const char* ClassName() const override { return "Viewport"; }

private:
    Device* device_;  // referenced
    LONG x_, y_;
    DWORD width_, height_;
    D3DVALUE front_ = 1.0f, back_ = 100.0f, field_ = 0.5f;
};

class RetainedMode final : public RefCounted<IDirect3DRM> {
public:
    HRESULT QueryInterface(REFIID riid, void** out) override;
    HRESULT CreateFrame(IDirect3DRMFrame* parent, IDirect3DRMFrame** out) override;
    HRESULT CreateMeshBuilder(IDirect3DRMMeshBuilder** out) override;
    HRESULT CreateFace(IDirect3DRMFace** out) override;
    HRESULT CreateLight(D3DRMLIGHTTYPE type, D3DCOLOR color, IDirect3DRMLight** out) override;
    HRESULT CreateLightRGB(D3DRMLIGHTTYPE type, D3DVALUE r, D3DVALUE g, D3DVALUE b, IDirect3DRMLight** out) override;
    HRESULT CreateTextureFromSurface(IDirectDrawSurface* surface, IDirect3DRMTexture** out) override;
    HRESULT CreateDeviceFromClipper(IDirectDrawClipper* clipper, LPGUID guid, int width, int height,
                                    IDirect3DRMDevice** out) override;
    HRESULT CreateViewport(IDirect3DRMDevice* device, IDirect3DRMFrame* camera, DWORD x, DWORD y, DWORD width,
                           DWORD height, IDirect3DRMViewport** out) override;
    HRESULT SetDefaultTextureColors(DWORD colors) override;
    HRESULT SetDefaultTextureShades(DWORD shades) override;
    HRESULT Tick(D3DVALUE seconds) override;

    // A device on an SDL window: the clipper's way in, and the tests'.
    HRESULT CreateDeviceOnWindow(gl::NativeWindow window, int width, int height, IDirect3DRMDevice** out);

    void Register(Frame* frame);
    void Unregister(Frame* frame);
    void Register(Device* device) { devices_.push_back(device); }
    void Unregister(Device* device);
    DWORD TextureColors() const { return textureColors_; }
    DWORD TextureShades() const { return textureShades_; }

private:
    std::vector<Frame*> frames_;    // every live frame, for Tick
    std::vector<Device*> devices_;  // every live device, for Tick
    DWORD textureColors_ = 64, textureShades_ = 256;
};

// Objects handed in through an interface are ours; anything else is refused.
Frame* AsFrame(IDirect3DRMFrame* frame);

}  // namespace plat::rm
