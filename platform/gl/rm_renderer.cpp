#include "platform/gl/rm_renderer.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "platform/gl/gl_context.h"

namespace plat::gl {

struct DeviceTarget {
    NativeWindow window;
    std::uintptr_t windowId;
    int width, height;
    GLuint fbo, color, depth;  // all 0 while the device draws straight into the window
    bool direct;
    // The window's back buffer holds this device's picture, not yet presented.
    bool unpresented;
    // The device's draw list as last taken, in the context it was made in.
    void* bufferContext = nullptr;
    GLuint vbo = 0, ebo = 0;
    std::size_t vboCapacity = 0, eboCapacity = 0;
};

namespace {

// Each shader follows the version line of the system's OpenGL (kShaderVersion).
const char* kVertexShader = R"(layout(location = 0) in vec3 position;
layout(location = 1) in vec4 color;
layout(location = 2) in vec2 uv;
layout(location = 3) in vec4 plane;
uniform mat4 clip;
uniform vec3 eye;
out vec4 vColor;
out vec2 vUv;
void main() {
    // A face seen from behind is not drawn, in any quality: all its corners
    // go beyond the back plane together. Only faces seen are listed; this
    // keeps to the same rule and drops vertex 0, where unused room points.
    if (dot(plane.xyz, eye) - plane.w > 0.0) {
        gl_Position = clip * vec4(position, 1.0);
    } else {
        gl_Position = vec4(0.0, 0.0, 2.0, 1.0);
    }
    // OpenGL ES draws points only as large as the shader says.
    gl_PointSize = 1.0;
    vColor = color;
    vUv = uv;
}
)";

const char* kFragmentShader = R"(in vec4 vColor;
in vec2 vUv;
uniform sampler2D tex;
uniform bool useTexture;
out vec4 fragColor;
void main() {
    vec4 c = vColor;
    if (useTexture) c *= texture(tex, vUv);
    fragColor = vec4(c.rgb, 1.0);
}
)";

struct GlTexture {
    GLuint name = 0;
    std::uint32_t version = 0;
    GLint filter = 0;
};

struct SpareTarget {
    GLuint fbo, color, depth;
    int width, height;
};

// What one window's context keeps for as long as the window lives.
struct ContextResources {
    void* context = nullptr;
    GLuint program = 0, vao = 0;
    GLuint pointedAt = 0;  // the buffer the vertex attributes read
    GLint clipLocation = -1, eyeLocation = -1, useTextureLocation = -1;
    std::unordered_map<std::uint64_t, GlTexture> textures;
    std::vector<std::uint64_t> forgotten;
    std::vector<SpareTarget> spares;
    std::vector<std::uint32_t> texels;
    int windowFormatFits = -1;  // unknown until first asked
};

std::unordered_map<std::uintptr_t, ContextResources>& AllResources() {
    static std::unordered_map<std::uintptr_t, ContextResources> all;
    return all;
}

// The devices of each window, and the one of them, if any, that draws into
// its back buffer. Kept apart from the context's resources, which a new
// context starts afresh.
struct WindowDevices {
    int count = 0;
    DeviceTarget* direct = nullptr;
};

std::unordered_map<std::uintptr_t, WindowDevices>& DevicesByWindow() {
    static std::unordered_map<std::uintptr_t, WindowDevices> all;
    return all;
}

GLuint Compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    const char* parts[] = {kShaderVersion, source};
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "Retained Mode shader: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

bool BuildResources(ContextResources& r) {
    GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return false;
    }
    r.program = glCreateProgram();
    glAttachShader(r.program, vs);
    glAttachShader(r.program, fs);
    glLinkProgram(r.program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(r.program, GL_LINK_STATUS, &ok);
    if (!ok) {
        glDeleteProgram(r.program);
        r.program = 0;
        return false;
    }
    r.clipLocation = glGetUniformLocation(r.program, "clip");
    r.eyeLocation = glGetUniformLocation(r.program, "eye");
    r.useTextureLocation = glGetUniformLocation(r.program, "useTexture");
    glUseProgram(r.program);
    glUniform1i(glGetUniformLocation(r.program, "tex"), 0);
    // Pictures are stored as drawn, in a framebuffer object or in the window alike.
    StorePicturesAsDrawn();

    glGenVertexArrays(1, &r.vao);
    glBindVertexArray(r.vao);
    for (GLuint i = 0; i < 4; ++i) glEnableVertexAttribArray(i);
    return true;
}

// Points the vertex attributes at the buffer bound to GL_ARRAY_BUFFER.
void PointAttributes() {
    const GLsizei stride = sizeof(rm::DrawVertex);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(rm::DrawVertex, x)));
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(rm::DrawVertex, r)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(rm::DrawVertex, u)));
    glVertexAttribPointer(3, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(rm::DrawVertex, nx)));
}

// Brings the buffer bound to `target` up to date with `items`: all of it
// when told so or grown, else only the ranges that changed.
template <class Item>
void Take(GLenum target, std::size_t& capacity, const std::vector<Item>& items, const rm::Changes& changes) {
    const std::size_t bytes = items.size() * sizeof(Item);
    if (changes.all || bytes > capacity) {
        if (bytes > capacity) capacity = bytes + bytes / 2;
        // Fresh storage, so the upload never waits for the last picture.
        glBufferData(target, static_cast<GLsizeiptr>(capacity), nullptr, GL_DYNAMIC_DRAW);
        glBufferSubData(target, 0, static_cast<GLsizeiptr>(bytes), items.data());
        return;
    }
    for (const rm::DrawRange& range : changes.ranges) {
        glBufferSubData(target, static_cast<GLintptr>(range.first * sizeof(Item)),
                        static_cast<GLsizeiptr>(range.count * sizeof(Item)), items.data() + range.first);
    }
}

// Brings the device's buffers up to date with the list: all of it after a
// new context or a new layout, else only the ranges that changed.
void TakeList(ContextResources& r, DeviceTarget* t, rm::DrawList& list) {
    if (t->bufferContext != r.context) {
        // Any buffer of an older context went with it.
        t->bufferContext = r.context;
        t->vboCapacity = t->eboCapacity = 0;
        glGenBuffers(1, &t->vbo);
        glGenBuffers(1, &t->ebo);
        list.vertexChanges.all = list.indexChanges.all = true;
    }
    glBindBuffer(GL_ARRAY_BUFFER, t->vbo);
    if (r.pointedAt != t->vbo) {
        PointAttributes();
        r.pointedAt = t->vbo;
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, t->ebo);
    Take(GL_ARRAY_BUFFER, t->vboCapacity, list.vertices, list.vertexChanges);
    Take(GL_ELEMENT_ARRAY_BUFFER, t->eboCapacity, list.indices, list.indexChanges);
    list.Taken();
}

// Makes the window's context current and returns its resources; null when
// the window has no OpenGL.
ContextResources* AcquireWindow(NativeWindow window) {
    if (!MakeCurrent(window)) return nullptr;
    void* current = CurrentContext();
    ContextResources& r = AllResources()[WindowKey(window)];
    if (r.context != current) {
        // A new context (first use, or the window's old one was released):
        // whatever was kept for the old one died with it.
        r = ContextResources{};
        r.context = current;
        if (!BuildResources(r)) {
            AllResources().erase(WindowKey(window));
            return nullptr;
        }
    }
    for (std::uint64_t id : r.forgotten) {
        auto it = r.textures.find(id);
        if (it != r.textures.end()) {
            glDeleteTextures(1, &it->second.name);
            r.textures.erase(it);
        }
    }
    r.forgotten.clear();
    return &r;
}

ContextResources* AcquireTarget(const DeviceTarget* target) {
    if (!target || !WindowAlive(target->window, target->windowId)) return nullptr;
    return AcquireWindow(target->window);
}

void SizeTarget(GLuint color, GLuint depth, int width, int height) {
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
}

void BindRect(const DeviceTarget* t, int x, int y, int width, int height) {
    glBindFramebuffer(GL_FRAMEBUFFER, t->direct ? 0 : t->fbo);
    // Device rectangles run from the top; OpenGL counts rows from the bottom.
    int glY = t->height - y - height;
    glViewport(x, glY, width, height);
    // Scissor only a part: a whole-target clear is the renderer's fast path.
    if (x == 0 && y == 0 && width == t->width && height == t->height) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, glY, width, height);
    }
}

GlTexture* TextureFor(ContextResources& r, rm::TextureImage* image, GLint filter) {
    GlTexture& t = r.textures[image->ImageId()];
    if (t.name == 0 || t.version != image->ImageVersion()) {
        int w = 0, h = 0;
        if (!image->CopyPixels(r.texels, w, h) || w <= 0 || h <= 0) return nullptr;
        if (t.name == 0) glGenTextures(1, &t.name);
        glBindTexture(GL_TEXTURE_2D, t.name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        TexImageXrgb(w, h, r.texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        t.version = image->ImageVersion();
        t.filter = 0;
    } else {
        glBindTexture(GL_TEXTURE_2D, t.name);
    }
    if (t.filter != filter) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        t.filter = filter;
    }
    return &t;
}

// Whether the window's own framebuffer stores a picture exactly as a
// framebuffer object of ours would: 8-bit colour channels, a 24-bit depth
// buffer, one sample a pixel. Asked once per context.
bool WindowFormatFits(ContextResources& r) {
    if (r.windowFormatFits < 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        while (glGetError() != GL_NO_ERROR) {
        }
        GLint red = 0, green = 0, blue = 0, depth = 0, samples = 1;
        const GLenum color = kWindowColorBuffer;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, color, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE, &red);
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, color, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE, &green);
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, color, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE, &blue);
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depth);
        glGetIntegerv(GL_SAMPLE_BUFFERS, &samples);
        bool fits = glGetError() == GL_NO_ERROR && red == 8 && green == 8 && blue == 8 && depth >= 24 &&
                    samples == 0;
        r.windowFormatFits = fits ? 1 : 0;
    }
    return r.windowFormatFits == 1;
}

bool DrawableIs(NativeWindow window, int width, int height) {
    int w = 0, h = 0;
    DrawableSize(window, w, h);
    return w == width && h == height;
}

// A device may draw straight into its window when it covers the whole of it,
// it is the window's only device, and the window shows its pictures.
bool MayDrawDirect(ContextResources& r, NativeWindow window, int width, int height) {
    if (!ShowsPictures(window)) return false;
    auto it = DevicesByWindow().find(WindowKey(window));
    if (it != DevicesByWindow().end() && it->second.count > 0) return false;
    return DrawableIs(window, width, height) && WindowFormatFits(r);
}

bool AttachFramebuffer(ContextResources& r, DeviceTarget* t) {
    if (!r.spares.empty()) {
        SpareTarget s = r.spares.back();
        r.spares.pop_back();
        t->fbo = s.fbo;
        t->color = s.color;
        t->depth = s.depth;
        if (s.width != t->width || s.height != t->height) SizeTarget(t->color, t->depth, t->width, t->height);
        return true;
    }
    glGenFramebuffers(1, &t->fbo);
    glGenRenderbuffers(1, &t->color);
    glGenRenderbuffers(1, &t->depth);
    SizeTarget(t->color, t->depth, t->width, t->height);
    glBindFramebuffer(GL_FRAMEBUFFER, t->fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, t->color);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, t->depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &t->fbo);
        glDeleteRenderbuffers(1, &t->color);
        glDeleteRenderbuffers(1, &t->depth);
        t->fbo = t->color = t->depth = 0;
        return false;
    }
    return true;
}

void StopDrawingDirect(DeviceTarget* t) {
    WindowDevices& devices = DevicesByWindow()[t->windowId];
    if (devices.direct == t) devices.direct = nullptr;
    t->direct = false;
    t->unpresented = false;
}

// From now on the device draws into a framebuffer object of its own.
bool UseFramebuffer(ContextResources& r, DeviceTarget* t) {
    if (!t->direct) return true;
    StopDrawingDirect(t);
    return AttachFramebuffer(r, t);
}

// Called before anything is drawn. A direct device starts each picture with a
// whole-device clear in a window still its size; otherwise the rest of its
// picture would be whatever the back buffer held, so it takes a framebuffer.
bool PrepareToDraw(ContextResources& r, DeviceTarget* t, bool wholeClear) {
    if (!t->direct) return t->fbo != 0;
    if (!t->unpresented && !(wholeClear && DrawableIs(t->window, t->width, t->height))) return UseFramebuffer(r, t);
    t->unpresented = true;
    return true;
}

// Binds what holds the device's last picture for reading; false when nothing
// does: a direct device's picture is gone from the back buffer once presented.
bool BindPictureForReading(ContextResources& r, DeviceTarget* t) {
    if (t->direct) {
        if (!t->unpresented || !DrawableIs(t->window, t->width, t->height)) {
            // Every later picture is kept where it can be read.
            UseFramebuffer(r, t);
            return false;
        }
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        return true;
    }
    if (t->fbo == 0) return false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, t->fbo);
    return true;
}

}  // namespace

DeviceTarget* CreateDeviceTarget(NativeWindow window, int width, int height) {
    if (!window || width <= 0 || height <= 0) return nullptr;
    ContextResources* r = AcquireWindow(window);
    if (!r) return nullptr;
    auto* t = new DeviceTarget{window, WindowKey(window), width, height, 0, 0, 0, false, false};
    if (MayDrawDirect(*r, window, width, height)) {
        t->direct = true;
    } else if (!AttachFramebuffer(*r, t)) {
        delete t;
        return nullptr;
    }
    WindowDevices& devices = DevicesByWindow()[t->windowId];
    // Devices sharing a window each keep their picture, since each Update
    // presents the whole back buffer. The one that drew there directly has
    // no picture left until it draws again.
    if (devices.direct) UseFramebuffer(*r, devices.direct);
    if (t->direct) devices.direct = t;
    ++devices.count;
    return t;
}

void DestroyDeviceTarget(DeviceTarget* target) {
    if (!target) return;
    if (target->direct) StopDrawingDirect(target);
    auto devices = DevicesByWindow().find(target->windowId);
    if (devices != DevicesByWindow().end() && --devices->second.count <= 0) DevicesByWindow().erase(devices);
    // Keep the framebuffer for the next device of this window: a resize
    // drops the device and builds another one at once.
    if (ContextResources* r = AcquireTarget(target)) {
        if (target->fbo) r->spares.push_back({target->fbo, target->color, target->depth, target->width, target->height});
        if (target->vbo && target->bufferContext == r->context) {
            glDeleteBuffers(1, &target->vbo);
            glDeleteBuffers(1, &target->ebo);
            if (r->pointedAt == target->vbo) r->pointedAt = 0;
        }
    } else if (!WindowAlive(target->window, target->windowId)) {
        // The window and its context are gone, and with them every name kept.
        AllResources().erase(target->windowId);
    }
    delete target;
}

bool DrawsToWindow(const DeviceTarget* target) { return target && target->direct; }

bool ClearViewport(DeviceTarget* target, int x, int y, int width, int height, std::uint32_t rgb) {
    ContextResources* r = AcquireTarget(target);
    if (!r) return false;
    bool whole = x == 0 && y == 0 && width == target->width && height == target->height;
    if (!PrepareToDraw(*r, target, whole)) return false;
    BindRect(target, x, y, width, height);
    glDepthMask(GL_TRUE);
    glClearColor(((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, 1.0f);
    ClearDepthTo(1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

bool DrawViewport(DeviceTarget* target, int x, int y, int width, int height, const float clip[16],
                  const float eye[3], rm::DrawList& list, bool linearFiltering) {
    ContextResources* r = AcquireTarget(target);
    if (!r) return false;
    if (list.batches.empty()) return true;
    if (!PrepareToDraw(*r, target, false)) return false;
    BindRect(target, x, y, width, height);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_CULL_FACE);  // back faces are not listed
    glDisable(GL_BLEND);
    glUseProgram(r->program);
    glUniformMatrix4fv(r->clipLocation, 1, GL_TRUE, clip);
    glUniform3f(r->eyeLocation, eye[0], eye[1], eye[2]);
    glBindVertexArray(r->vao);
    TakeList(*r, target, list);

    glActiveTexture(GL_TEXTURE0);
    GLint filter = linearFiltering ? GL_LINEAR : GL_NEAREST;
    int textured = -1;
    auto draw = [&](const rm::DrawBatch& b) {
        GlTexture* tex = b.texture ? TextureFor(*r, b.texture, filter) : nullptr;
        int wantTexture = tex ? 1 : 0;
        if (wantTexture != textured) {
            glUniform1i(r->useTextureLocation, wantTexture);
            textured = wantTexture;
        }
        GLenum mode = b.primitive == rm::Primitive::Triangles ? GL_TRIANGLES
                      : b.primitive == rm::Primitive::Lines   ? GL_LINES
                                                              : GL_POINTS;
        glDrawElements(mode, static_cast<GLsizei>(b.count), GL_UNSIGNED_INT,
                       reinterpret_cast<void*>(static_cast<std::uintptr_t>(b.first) * sizeof(std::uint32_t)));
    };
    // Plain solid faces first: the textured walls stand behind everything else,
    // and a software rasteriser skips what the depth test already hides instead
    // of shading it twice. Depth decides what shows, so the picture is the same.
    auto plainFaces = [](const rm::DrawBatch& b) { return !b.texture && b.primitive == rm::Primitive::Triangles; };
    for (const rm::DrawBatch& b : list.batches) {
        if (plainFaces(b)) draw(b);
    }
    for (const rm::DrawBatch& b : list.batches) {
        if (!plainFaces(b)) draw(b);
    }
    glBindVertexArray(0);
    return true;
}

bool PresentDevice(DeviceTarget* target) {
    if (!AcquireTarget(target)) return false;
    if (target->direct) {
        // Nothing new drawn: the window already shows the last picture, and
        // the back buffer may hold anything.
        if (!target->unpresented) return true;
        target->unpresented = false;
        Present(target->window);
        return true;
    }
    if (target->fbo == 0) return false;
    int w = 0, h = 0;
    DrawableSize(target->window, w, h);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target->fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // The device's top-left corner goes to the window's top-left corner.
    glBlitFramebuffer(0, 0, target->width, target->height, 0, h - target->height, target->width, h,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    Present(target->window);
    return true;
}

bool ReadDevicePixel(DeviceTarget* target, int x, int y, std::uint32_t& rgb) {
    ContextResources* r = AcquireTarget(target);
    if (!r || x < 0 || y < 0 || x >= target->width || y >= target->height) return false;
    if (!BindPictureForReading(*r, target)) return false;
    unsigned char px[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, target->height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    rgb = (static_cast<std::uint32_t>(px[0]) << 16) | (static_cast<std::uint32_t>(px[1]) << 8) | px[2];
    return true;
}

bool ReadDeviceImage(DeviceTarget* target, std::vector<std::uint32_t>& pixels) {
    ContextResources* r = AcquireTarget(target);
    if (!r || !BindPictureForReading(*r, target)) return false;
    const int w = target->width, h = target->height;
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    pixels.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = &rgba[static_cast<std::size_t>(h - 1 - y) * w * 4];
        for (int x = 0; x < w; ++x) {
            pixels[static_cast<std::size_t>(y) * w + x] = (static_cast<std::uint32_t>(row[x * 4]) << 16) |
                                                         (static_cast<std::uint32_t>(row[x * 4 + 1]) << 8) | row[x * 4 + 2];
        }
    }
    return true;
}

void ForgetTexture(std::uint64_t imageId) {
    for (auto& [id, r] : AllResources()) {
        if (r.textures.count(imageId)) r.forgotten.push_back(imageId);
    }
}

}  // namespace plat::gl
