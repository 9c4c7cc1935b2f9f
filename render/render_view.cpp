#include "render/render_view.h"

#include "app/view_manager.h"

RenderView::RenderView()
    : accumulatedTime(0.0f), window(nullptr), requestedRect{0, 0, 0, 0}, deviceReady(false), next(nullptr) {
    viewManager.LinkView(this);
}

RenderView::~RenderView() = default;

void RenderView::AttachWindow(HWND target) {
    window = target;
    requestedRect = RECT{0, 0, 0, 0};
    InitForWindow(window, requestedRect);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

bool RenderView::InitForWindow(HWND target, RECT rect) {
    window = target;
    requestedRect = rect;
    return deviceReady;
}

void RenderView::OnTick(float seconds) { accumulatedTime += seconds; }

bool RenderView::Draw() { return deviceReady; }

void RenderView::Resize(HWND) {}
