// Brushes, pens, device contexts and the selection between them.
#include <climits>
#include <cstdlib>

#include "platform/gdi/gdi_state.h"

namespace plat::gdi::detail {

State::State() {
    whiteBrush = nextHandle++;
    objects.emplace(whiteBrush, Object{Object::Kind::Brush, RGB(255, 255, 255), 1, true, 0, false});
    blackPen = nextHandle++;
    objects.emplace(blackPen, Object{Object::Kind::Pen, RGB(0, 0, 0), 1, true, 0, false});
}

State& Gdi() {
    // Never destroyed: surfaces released by other static objects at exit still
    // hand their contexts back.
    static State* state = new State;
    return *state;
}

Context* FindContext(State& state, HDC dc) {
    auto it = state.contexts.find(Id(dc));
    return it == state.contexts.end() ? nullptr : &it->second;
}

Object* FindLiveObject(State& state, HGDIOBJ object) {
    auto it = state.objects.find(Id(object));
    if (it == state.objects.end() || it->second.deletePending) return nullptr;
    return &it->second;
}

Object* SelectedObject(State& state, std::uintptr_t id) {
    auto it = state.objects.find(id);
    return it == state.objects.end() ? nullptr : &it->second;
}

}  // namespace plat::gdi::detail

namespace plat {

using gdi::detail::Context;
using gdi::detail::Gdi;
using gdi::detail::Id;
using gdi::detail::Object;
using gdi::detail::State;

namespace {

HGDIOBJ AddObject(State& state, const Object& object) {
    std::uintptr_t id = state.nextHandle++;
    state.objects.emplace(id, object);
    return reinterpret_cast<HGDIOBJ>(id);
}

HDC AddContext(State& state, Context context) {
    context.brush = state.whiteBrush;
    context.pen = state.blackPen;
    gdi::detail::SelectedObject(state, context.brush)->selections++;
    gdi::detail::SelectedObject(state, context.pen)->selections++;
    std::uintptr_t id = state.nextHandle++;
    state.contexts.emplace(id, context);
    return reinterpret_cast<HDC>(id);
}

void Deselect(State& state, std::uintptr_t id) {
    auto it = state.objects.find(id);
    if (it == state.objects.end()) return;
    if (--it->second.selections == 0 && it->second.deletePending) state.objects.erase(it);
}

void RemoveContext(State& state, HDC dc) {
    auto it = state.contexts.find(Id(dc));
    if (it == state.contexts.end()) return;
    std::uintptr_t brush = it->second.brush, pen = it->second.pen;
    state.contexts.erase(it);
    Deselect(state, brush);
    Deselect(state, pen);
}

}  // namespace

HBRUSH CreateSolidBrush(COLORREF color) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    return AddObject(state, Object{Object::Kind::Brush, color & 0x00FFFFFFu, 1, false, 0, false});
}

HPEN CreatePen(int style, int width, COLORREF color) {
    if (style != PS_SOLID) return nullptr;  // the only style there is
    // GDI draws a negative width as its absolute value; width 0 is the
    // one-pixel pen. INT_MIN has no positive int, so it stops at INT_MAX.
    if (width < 0) width = width == INT_MIN ? INT_MAX : -width;
    if (width == 0) width = 1;
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    return AddObject(state, Object{Object::Kind::Pen, color & 0x00FFFFFFu, width, false, 0, false});
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    Context* context = gdi::detail::FindContext(state, dc);
    Object* selected = gdi::detail::FindLiveObject(state, object);
    if (!context || !selected) return nullptr;
    std::uintptr_t& slot = selected->kind == Object::Kind::Brush ? context->brush : context->pen;
    std::uintptr_t previous = slot;
    slot = Id(object);
    selected->selections++;
    Deselect(state, previous);
    return reinterpret_cast<HGDIOBJ>(previous);
}

BOOL DeleteObject(HGDIOBJ object) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    auto it = state.objects.find(Id(object));
    if (it == state.objects.end() || it->second.deletePending) return FALSE;
    if (it->second.stock) return TRUE;
    // Still selected somewhere: the context keeps drawing with it until it lets go.
    if (it->second.selections > 0) {
        it->second.deletePending = true;
    } else {
        state.objects.erase(it);
    }
    return TRUE;
}

HDC GetDC(HWND window) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    Context context{window ? Context::Kind::Window : Context::Kind::Desktop};
    context.window = window;
    return AddContext(state, context);
}

int ReleaseDC(HWND window, HDC dc) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    Context* context = gdi::detail::FindContext(state, dc);
    // Memory contexts are not released this way, and a context goes back only
    // with the window it came from.
    if (!context || context->kind == Context::Kind::Memory || context->window != window) return 0;
    RemoveContext(state, dc);
    return 1;
}

int GetDeviceCaps(HDC dc, int index) {
    Context::Kind kind;
    {
        State& state = Gdi();
        std::lock_guard lock(state.mutex);
        Context* context = gdi::detail::FindContext(state, dc);
        if (!context) return 0;
        kind = context->kind;
    }
    if (index != BITSPIXEL) return 0;
    return kind == Context::Kind::Memory ? 32 : gdi::DesktopBitsPerPixel();
}

}  // namespace plat

namespace plat::gdi {

bool BrushColor(HBRUSH brush, COLORREF* color) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    Object* object = detail::FindLiveObject(state, brush);
    if (!object || object->kind != Object::Kind::Brush) return false;
    if (color) *color = object->color;
    return true;
}

HDC CreateMemoryDC(std::uint32_t* pixels, int width, int height, int pitchBytes) {
    if (!pixels || width <= 0 || height <= 0 || pitchBytes % 4 != 0 ||
        static_cast<long long>(pitchBytes) < static_cast<long long>(width) * 4) {
        return nullptr;
    }
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    Context context{Context::Kind::Memory};
    context.pixels = pixels;
    context.width = width;
    context.height = height;
    context.pitch = pitchBytes;
    return AddContext(state, context);
}

void DeleteMemoryDC(HDC dc) {
    State& state = Gdi();
    std::lock_guard lock(state.mutex);
    Context* context = detail::FindContext(state, dc);
    if (context && context->kind == Context::Kind::Memory) RemoveContext(state, dc);
}

}  // namespace plat::gdi
