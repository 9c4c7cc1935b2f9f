#include "app/view_manager.h"

#include "render/graphics_startup.h"
#include "render/render_view.h"

ViewManager::ViewManager()
    : started(false),
      tickTime(0.0f),
      ticksSinceInput(0),
      views(nullptr),
      idle(true),
      directDraw(nullptr),
      sceneChanged(false),
      chosenDevice(0),
      chosenIsHardware(false),
      chosenIsMono(false) {}

// Views are deleted by the graphics shutdown when the main window goes, not here.
ViewManager::~ViewManager() = default;

void ViewManager::LinkView(RenderView* view) {
    view->next = views;
    views = view;
}

RenderView* ViewManager::FindView(HWND window) const {
    for (RenderView* view = views; view; view = view->next) {
        if (view->window == window) return view;
    }
    return nullptr;
}

void ViewManager::NoteInput() {
    if (idle) {
        for (RenderView* view = views; view; view = view->next) view->OnWake();
    }
    idle = false;
    ticksSinceInput = 0;
}

void ViewManager::RouteKeyDown(HWND window, WPARAM key) {
    NoteInput();
    if (RenderView* view = FindView(window)) view->OnKeyDown(key);
}

void ViewManager::RouteKeyUp(HWND window, WPARAM key) {
    NoteInput();
    if (RenderView* view = FindView(window)) view->OnKeyUp(key);
}

void ViewManager::RouteChar(HWND window, WPARAM code) {
    NoteInput();
    if (RenderView* view = FindView(window)) view->OnChar(code);
}

void ViewManager::RouteMouseDown(HWND window, unsigned x, unsigned y, WPARAM keys) {
    NoteInput();
    if (RenderView* view = FindView(window)) view->OnMouseDown(x, y, keys);
}

void ViewManager::RouteMouseUp(HWND window, unsigned x, unsigned y, WPARAM keys) {
    NoteInput();
    if (RenderView* view = FindView(window)) view->OnMouseUp(x, y, keys);
}

void ViewManager::RouteDoubleClick(HWND window, unsigned x, unsigned y, WPARAM keys) {
    NoteInput();
    if (RenderView* view = FindView(window)) view->OnDoubleClick(x, y, keys);
}

// Mouse movement alone does not count as the player being back.
void ViewManager::RouteMouseMove(HWND window, unsigned x, unsigned y, WPARAM keys) {
    if (RenderView* view = FindView(window)) view->OnMouseMove(x, y, keys);
}

bool ViewManager::RoutePaint(HWND window) {
    RenderView* view = FindView(window);
    bool drew = view && view->Draw();
    sceneChanged = false;
    return drew;
}

void ViewManager::RouteResize(HWND window) {
    if (RenderView* view = FindView(window)) view->Resize(window);
}

void ViewManager::TimerTick() {
    tickTime += kTickSeconds;
    ticksSinceInput += 1;
    if (!idle && ticksSinceInput >= kIdleTicks) {
        ticksSinceInput = 0;
        idle = true;
    }
    for (RenderView* view = views; view; view = view->next) view->OnTick(kTickSeconds);
}

void ViewManager::IdleRender() {
    if (sceneChanged || tickTime > 0.0f) {
        // Several ticks since the last pass are folded into one step, so motion on
        // screen keeps pace with game time however seldom a picture is made.
        if (retainedMode) retainedMode->Tick(tickTime);
        tickTime = 0.0f;
        sceneChanged = false;
    } else {
        Sleep(0);
    }
}
