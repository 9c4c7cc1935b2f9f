#include "platform/dialogs/page_dialog_web.h"

#include <cstdlib>
#include <string>

extern "C" {
// page_dialog_web.js
void kestrova_page_dialog_open(int token, const char* caption, const char* family, int pixels, int x, int y,
                               int width, int height, int closeBox, void (*listener)(int, int, int));
void kestrova_page_dialog_add(int token, int part, int id, const char* text, int x, int y, int width, int height,
                              int isDefault, int limit);
void kestrova_page_dialog_show(int token, int shown);
void kestrova_page_dialog_focus(int token, int id);
void kestrova_page_dialog_set_text(int token, int id, const char* text);
char* kestrova_page_dialog_text(int token, int id);
void kestrova_page_dialog_close(int token);
void kestrova_page_frame(int* insets);
void kestrova_page_area(int* area);
int kestrova_page_text_width(const char* family, int pixels, const char* text);
int kestrova_page_line_height(const char* family, int pixels);
}

namespace plat::dialogs::page {

int Open(std::string_view caption, const std::string& fontFamily, int fontPixels, const Box& window, bool closeBox,
         Listener listener) {
    static int lastToken = 0;
    const int token = ++lastToken;
    kestrova_page_dialog_open(token, std::string(caption).c_str(), fontFamily.c_str(), fontPixels, window.x, window.y,
                              window.w, window.h, closeBox ? 1 : 0, listener);
    return token;
}

void Add(int token, Part part, int id, std::string_view text, const Box& box, bool isDefault, std::size_t limit) {
    kestrova_page_dialog_add(token, static_cast<int>(part), id, std::string(text).c_str(), box.x, box.y, box.w, box.h,
                             isDefault ? 1 : 0, static_cast<int>(limit));
}

void Show(int token, bool shown) { kestrova_page_dialog_show(token, shown ? 1 : 0); }

void Focus(int token, int id) { kestrova_page_dialog_focus(token, id); }

void SetText(int token, int id, std::string_view utf8) {
    kestrova_page_dialog_set_text(token, id, std::string(utf8).c_str());
}

std::string Text(int token, int id) {
    char* text = kestrova_page_dialog_text(token, id);
    std::string copy = text ? text : "";
    std::free(text);
    return copy;
}

void Close(int token) { kestrova_page_dialog_close(token); }

FrameInsets Frame() {
    int insets[4] = {};
    kestrova_page_frame(insets);
    return {insets[0], insets[1], insets[2], insets[3]};
}

Area PageArea() {
    int a[9] = {};
    kestrova_page_area(a);
    return {{a[0], a[1], a[2], a[3]}, {a[4], a[5], a[6], a[7]}, a[8] != 0};
}

int Measure::TextWidth(std::string_view utf8) const {
    return kestrova_page_text_width(family_.c_str(), pixels_, std::string(utf8).c_str());
}

int Measure::LineHeight() const { return kestrova_page_line_height(family_.c_str(), pixels_); }

HWND CreatePageWindow(const char* className, const std::string& caption, DWORD style, int clientWidth,
                      int clientHeight, HWND owner) {
    if (!IsWindow(owner)) return nullptr;
    const DWORD topLevel = style & ~(WS_CHILD | WS_VISIBLE);
    HWND window = CreateWindowExA(0, className, caption.c_str(), topLevel | WS_CHILD, 0, 0, clientWidth, clientHeight,
                                  owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window) SetWindowLongPtrA(window, GWL_STYLE, static_cast<LONG_PTR>(topLevel));
    return window;
}

LRESULT PaintedByThePage(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

}  // namespace plat::dialogs::page
