#include <algorithm>
#include <cstring>

#include "platform/d3drm/model.h"
#include "platform/d3drm/objects.h"

namespace plat::rm {
namespace {

// Snapshot arrays handed out by GetVisuals and GetChildren; each holds its
// own references so the caller may change the frame while walking them.
template <class ArrayInterface, class Element>
class ObjectArray final : public RefCounted<ArrayInterface> {
public:
    explicit ObjectArray(const std::vector<Element*>& items) : items_(items) {
        for (Element* item : items_) item->AddRef();
    }
    ~ObjectArray() override {
        for (Element* item : items_) item->Release();
    }
    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown) {
            *out = static_cast<IUnknown*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    DWORD GetSize() override { return static_cast<DWORD>(items_.size()); }
    HRESULT GetElement(DWORD index, Element** out) override {
        if (!out) return D3DRMERR_BADVALUE;
        if (index >= items_.size()) {
            *out = nullptr;
            return D3DRMERR_BADVALUE;
        }
        *out = items_[index];
        (*out)->AddRef();
        return D3DRM_OK;
    }

private:
    std::vector<Element*> items_;
};

using VisualArray = ObjectArray<IDirect3DRMVisualArray, IDirect3DRMVisual>;
using FrameArray = ObjectArray<IDirect3DRMFrameArray, IDirect3DRMFrame>;

bool Finite(float a, float b, float c) { return std::isfinite(a) && std::isfinite(b) && std::isfinite(c); }

bool Same(Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

}  // namespace

Frame* AsFrame(IDirect3DRMFrame* frame) { return dynamic_cast<Frame*>(frame); }

HRESULT CopyName(const std::string& name, bool named, DWORD* size, char* buffer) {
    if (!size) return E_INVALIDARG;
    DWORD needed = named ? static_cast<DWORD>(name.size() + 1) : 0;
    if (!buffer) {
        *size = needed;
        return D3DRM_OK;
    }
    // A buffer too small is refused whole: neither it nor the size is touched.
    if (*size < needed) return E_INVALIDARG;
    if (needed == 0) {
        if (*size > 0) buffer[0] = '\0';
    } else {
        std::memcpy(buffer, name.c_str(), needed);
    }
    *size = needed;
    return D3DRM_OK;
}

Frame::Frame(RetainedMode* root) : root_(root) {
    root_->AddRef();
    root_->Register(this);
    NoteChange();
}

Frame::~Frame() {
    for (Frame* child : children_) {
        child->parent_ = nullptr;
        child->Release();
    }
    for (IDirect3DRMVisual* visual : visuals_) visual->Release();
    for (Light* light : lights_) light->Release();
    NoteChange();
    root_->Unregister(this);
    root_->Release();
}

Placement Frame::World() const {
    Placement world = local_;
    for (const Frame* f = parent_; f; f = f->parent_) world = world.Within(f->local_);
    return world;
}

Frame* Frame::Root() {
    Frame* f = this;
    while (f->parent_) f = f->parent_;
    return f;
}

void Frame::Advance(float seconds) {
    if (seconds == 0 || (velocity_.x == 0 && velocity_.y == 0 && velocity_.z == 0)) return;
    local_.origin = local_.origin + velocity_ * seconds;
    NoteChange();
}

HRESULT Frame::AddChild(IDirect3DRMFrame* childInterface) {
    Frame* child = AsFrame(childInterface);
    if (!child) return D3DRMERR_BADOBJECT;
    // A frame cannot hang below itself.
    for (Frame* f = this; f; f = f->parent_) {
        if (f == child) return D3DRMERR_BADVALUE;
    }
    if (child->parent_ == this) return D3DRM_OK;
    child->AddRef();
    if (child->parent_) child->parent_->DeleteChild(child);
    child->parent_ = this;
    children_.push_back(child);
    NoteChange();
    return D3DRM_OK;
}

HRESULT Frame::DeleteChild(IDirect3DRMFrame* childInterface) {
    Frame* child = AsFrame(childInterface);
    if (!child) return D3DRMERR_BADOBJECT;
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) return D3DRMERR_NOTFOUND;
    children_.erase(it);
    child->parent_ = nullptr;
    child->Release();
    NoteChange();
    return D3DRM_OK;
}

HRESULT Frame::GetParent(IDirect3DRMFrame** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = parent_;
    if (parent_) parent_->AddRef();
    return D3DRM_OK;
}

HRESULT Frame::GetScene(IDirect3DRMFrame** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = Root();
    (*out)->AddRef();
    return D3DRM_OK;
}

HRESULT Frame::GetChildren(IDirect3DRMFrameArray** out) {
    if (!out) return D3DRMERR_BADVALUE;
    std::vector<IDirect3DRMFrame*> items(children_.begin(), children_.end());
    *out = new FrameArray(items);
    return D3DRM_OK;
}

HRESULT Frame::AddVisual(IDirect3DRMVisual* visual) {
    if (!visual) return D3DRMERR_BADOBJECT;
    if (std::find(visuals_.begin(), visuals_.end(), visual) != visuals_.end()) return D3DRM_OK;
    visual->AddRef();
    visuals_.push_back(visual);
    if (auto* mesh = dynamic_cast<MeshBuilder*>(visual)) meshes_.push_back(mesh);
    NoteChange();
    return D3DRM_OK;
}

HRESULT Frame::DeleteVisual(IDirect3DRMVisual* visual) {
    if (!visual) return D3DRMERR_BADOBJECT;
    auto it = std::find(visuals_.begin(), visuals_.end(), visual);
    if (it == visuals_.end()) return D3DRMERR_NOTFOUND;
    visuals_.erase(it);
    auto mesh = std::find(meshes_.begin(), meshes_.end(), dynamic_cast<MeshBuilder*>(visual));
    if (mesh != meshes_.end()) meshes_.erase(mesh);
    visual->Release();
    NoteChange();
    return D3DRM_OK;
}

HRESULT Frame::GetVisuals(IDirect3DRMVisualArray** out) {
    if (!out) return D3DRMERR_BADVALUE;
    *out = new VisualArray(visuals_);
    return D3DRM_OK;
}

HRESULT Frame::AddLight(IDirect3DRMLight* lightInterface) {
    auto* light = dynamic_cast<Light*>(lightInterface);
    if (!light) return D3DRMERR_BADOBJECT;
    if (std::find(lights_.begin(), lights_.end(), light) != lights_.end()) return D3DRM_OK;
    light->AddRef();
    lights_.push_back(light);
    NoteChange();
    return D3DRM_OK;
}

HRESULT Frame::DeleteLight(IDirect3DRMLight* lightInterface) {
    if (!lightInterface) return D3DRMERR_BADOBJECT;
    auto it = std::find(lights_.begin(), lights_.end(), dynamic_cast<Light*>(lightInterface));
    if (it == lights_.end()) return D3DRMERR_NOTFOUND;
    Light* light = *it;
    lights_.erase(it);
    light->Release();
    NoteChange();
    return D3DRM_OK;
}

// Reference frames: null stands for the world. Values given relative to the
// reference are turned into the parent's coordinates, where they are kept.

HRESULT Frame::SetPosition(IDirect3DRMFrame* refInterface, D3DVALUE x, D3DVALUE y, D3DVALUE z) {
    Frame* ref = AsFrame(refInterface);
    if (refInterface && !ref) return D3DRMERR_BADOBJECT;
    if (!Finite(x, y, z)) return D3DRMERR_BADVALUE;
    Vec3 world = ref ? ref->World().Apply({x, y, z}) : Vec3{x, y, z};
    Vec3 origin = parent_ ? parent_->World().InverseApply(world) : world;
    if (!Same(origin, local_.origin)) NoteChange();
    local_.origin = origin;
    return D3DRM_OK;
}

HRESULT Frame::GetPosition(IDirect3DRMFrame* refInterface, D3DVECTOR* out) {
    Frame* ref = AsFrame(refInterface);
    if (refInterface && !ref) return D3DRMERR_BADOBJECT;
    if (!out) return D3DRMERR_BADVALUE;
    Vec3 world = World().origin;
    *out = ToD3D(ref ? ref->World().InverseApply(world) : world);
    return D3DRM_OK;
}

HRESULT Frame::SetOrientation(IDirect3DRMFrame* refInterface, D3DVALUE dx, D3DVALUE dy, D3DVALUE dz, D3DVALUE ux,
                              D3DVALUE uy, D3DVALUE uz) {
    Frame* ref = AsFrame(refInterface);
    if (refInterface && !ref) return D3DRMERR_BADOBJECT;
    if (!Finite(dx, dy, dz) || !Finite(ux, uy, uz)) return D3DRMERR_BADVALUE;
    Vec3 dir{dx, dy, dz}, up{ux, uy, uz};
    if (ref) {
        Placement r = ref->World();
        dir = r.Rotate(dir);
        up = r.Rotate(up);
    }
    if (parent_) {
        Placement p = parent_->World();
        dir = p.InverseRotate(dir);
        up = p.InverseRotate(up);
    }
    Vec3 x, y, z;
    OrientAxes(dir, up, local_, x, y, z);
    if (!Same(x, local_.x) || !Same(y, local_.y) || !Same(z, local_.z)) NoteChange();
    local_.x = x;
    local_.y = y;
    local_.z = z;
    return D3DRM_OK;
}

HRESULT Frame::GetOrientation(IDirect3DRMFrame* refInterface, D3DVECTOR* dir, D3DVECTOR* up) {
    Frame* ref = AsFrame(refInterface);
    if (refInterface && !ref) return D3DRMERR_BADOBJECT;
    if (!dir || !up) return D3DRMERR_BADVALUE;
    Placement world = World();
    Vec3 z = world.z, y = world.y;
    if (ref) {
        Placement r = ref->World();
        z = r.InverseRotate(z);
        y = r.InverseRotate(y);
    }
    *dir = ToD3D(z);
    *up = ToD3D(y);
    return D3DRM_OK;
}

HRESULT Frame::SetVelocity(IDirect3DRMFrame* refInterface, D3DVALUE x, D3DVALUE y, D3DVALUE z, BOOL) {
    Frame* ref = AsFrame(refInterface);
    if (refInterface && !ref) return D3DRMERR_BADOBJECT;
    if (!Finite(x, y, z)) return D3DRMERR_BADVALUE;
    Vec3 v{x, y, z};
    if (ref) v = ref->World().Rotate(v);
    velocity_ = parent_ ? parent_->World().InverseRotate(v) : v;
    return D3DRM_OK;
}

HRESULT Frame::GetVelocity(IDirect3DRMFrame* refInterface, D3DVECTOR* out, BOOL) {
    Frame* ref = AsFrame(refInterface);
    if (refInterface && !ref) return D3DRMERR_BADOBJECT;
    if (!out) return D3DRMERR_BADVALUE;
    Vec3 v = parent_ ? parent_->World().Rotate(velocity_) : velocity_;
    *out = ToD3D(ref ? ref->World().InverseRotate(v) : v);
    return D3DRM_OK;
}

HRESULT Frame::Transform(D3DVECTOR* out, D3DVECTOR* in) {
    if (!out || !in) return D3DRMERR_BADVALUE;
    *out = ToD3D(World().Apply(ToVec(*in)));
    return D3DRM_OK;
}

HRESULT Frame::InverseTransform(D3DVECTOR* out, D3DVECTOR* in) {
    if (!out || !in) return D3DRMERR_BADVALUE;
    *out = ToD3D(World().InverseApply(ToVec(*in)));
    return D3DRM_OK;
}

HRESULT Frame::Load(void* source, void* objectId, D3DRMLOADOPTIONS options, D3DRMLOADTEXTURECALLBACK textureCallback,
                    void* callbackArg) {
    HRESULT loaded = LoadModel(this, root_, source, objectId, options, textureCallback, callbackArg);
    // Whatever the loader put in place counts, even after a failure part way.
    NoteChange();
    return loaded;
}

}  // namespace plat::rm
