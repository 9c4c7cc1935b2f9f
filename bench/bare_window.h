// Where the bare program draws: a window and a context of its own, owing
// nothing to the game's window system. bare_window_sdl.cpp makes an SDL window
// with an OpenGL 3.3 core context; bench/web/bare_window_web.cpp a canvas of
// its own on the page with a WebGL 2 context, since SDL puts every window of
// the browser on the one canvas the game draws on.
#pragma once

#include <cstdint>

namespace bench {

class BareWindow {
public:
    BareWindow() = default;
    BareWindow(const BareWindow&) = delete;
    BareWindow& operator=(const BareWindow&) = delete;
    ~BareWindow() { Close(); }

    // A drawable of this size at (x, y), its context current, no swap
    // interval. Windows the game makes later are made as before.
    bool Open(int width, int height, int x, int y);
    void Close();
    bool IsOpen() const;

    // Makes the bare context current; the game's context takes its turn back
    // by its own MakeCurrent, as with any other window's.
    void MakeCurrent();
    // Presents the back buffer as the game's window presents its own.
    void Present();
    void DrawableSize(int& width, int& height) const;

private:
    // SDL's window; none in the browser, where the canvas goes by its id.
    void* window_ = nullptr;
    // SDL's context, or the browser's handle of the canvas's context.
    std::intptr_t context_ = 0;
};

}  // namespace bench
