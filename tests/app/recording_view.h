// A view that records what the view manager routes to it.
#pragma once

#include <string>
#include <vector>

#include "app/view_manager.h"
#include "render/render_view.h"

struct RecordingView : RenderView {
    explicit RecordingView(HWND w = nullptr) { window = w; }

    void OnWake() override { log.push_back("wake"); }
    void OnKeyDown(WPARAM key) override { log.push_back("keydown " + std::to_string(key)); }
    void OnKeyUp(WPARAM key) override { log.push_back("keyup " + std::to_string(key)); }
    void OnChar(WPARAM code) override { log.push_back("char " + std::to_string(code)); }
    void OnMouseDown(unsigned x, unsigned y, WPARAM keys) override { Mouse("down", x, y, keys); }
    void OnMouseUp(unsigned x, unsigned y, WPARAM keys) override { Mouse("up", x, y, keys); }
    void OnDoubleClick(unsigned x, unsigned y, WPARAM keys) override { Mouse("dblclk", x, y, keys); }
    void OnMouseMove(unsigned x, unsigned y, WPARAM keys) override { Mouse("move", x, y, keys); }
    void OnTick(float seconds) override {
        RenderView::OnTick(seconds);
        ++ticks;
    }
    bool Draw() override {
        log.push_back("draw");
        return drawResult;
    }
    void Resize(HWND w) override { log.push_back(w == window ? "resize" : "resize other"); }

    void Mouse(const char* what, unsigned x, unsigned y, WPARAM keys) {
        log.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y) + " " +
                      std::to_string(keys));
    }

    std::vector<std::string> log;
    int ticks = 0;
    bool drawResult = true;
};

// Leaves the process-wide view manager as a fresh start would, deleting the
// views a test linked into it.
inline void ResetViewManager() {
    while (RenderView* view = viewManager.views) {
        viewManager.views = view->next;
        delete view;
    }
    viewManager.started = false;
    viewManager.tickTime = 0.0f;
    viewManager.ticksSinceInput = 0;
    viewManager.idle = true;
    viewManager.sceneChanged = false;
}
