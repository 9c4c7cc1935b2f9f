// The records behind GDI handles. Handles are numbers looked up in tables, never
// pointers into the records, so a stale or foreign handle is simply not found.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/gdi/gdi.h"

namespace plat::gdi::detail {

struct Object {
    enum class Kind { Brush, Pen } kind;
    COLORREF color = 0;
    int width = 1;           // pens only
    bool stock = false;      // never deleted
    int selections = 0;      // contexts it is selected into
    bool deletePending = false;  // deleted while selected: goes when deselected
};

struct Context {
    enum class Kind { Memory, Desktop, Window } kind;
    HWND window = nullptr;
    std::uint32_t* pixels = nullptr;  // memory contexts only
    int width = 0;
    int height = 0;
    int pitch = 0;  // bytes
    std::uintptr_t brush = 0;
    std::uintptr_t pen = 0;
    POINT position{0, 0};
};

struct State {
    State();  // with the stock objects every new context starts with

    std::mutex mutex;
    std::unordered_map<std::uintptr_t, Object> objects;
    std::unordered_map<std::uintptr_t, Context> contexts;
    std::uintptr_t nextHandle = 0x10000;
    std::uintptr_t whiteBrush = 0;
    std::uintptr_t blackPen = 0;
};

// Every caller holds state.mutex while it touches the tables.
State& Gdi();

inline std::uintptr_t Id(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// A context or a live object (one not waiting for deletion), or null.
Context* FindContext(State& state, HDC dc);
Object* FindLiveObject(State& state, HGDIOBJ object);
// The object a context has selected, whatever its deletion state.
Object* SelectedObject(State& state, std::uintptr_t id);

// COLORREF 0x00BBGGRR to pixel 0x00RRGGBB and back: the same swap.
constexpr std::uint32_t SwapRedBlue(std::uint32_t c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

}  // namespace plat::gdi::detail
