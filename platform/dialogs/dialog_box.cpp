// The dialog manager: DialogBoxParamA builds a plain modal window from a
// template of the resource script, with edit, button and static controls as
// child windows, and runs its loop until EndDialog. The dialog draws all of
// its controls on its own surface.
#include <SDL.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "platform/dialogs/dialog_core.h"
#include "platform/dialogs/dialog_placement.h"
#include "platform/dialogs/dialog_template.h"
#include "platform/dialogs/surface_painter.h"
#include "platform/win/host.h"
#include "platform/win/native_window.h"
#include "platform/win/window_system.h"

namespace plat {
namespace {

constexpr const char* kDialogClass = "KestrovaDialog";
constexpr const char* kControlClass = "KestrovaDialogControl";
constexpr dialogs::Rgb kWindow{255, 255, 255};

enum class Kind { Edit, Button, Static };

struct DialogState;

struct Control {
    DialogState* dialog = nullptr;
    HWND hwnd = nullptr;
    Kind kind = Kind::Static;
    int id = 0;
    DWORD style = 0;
    dialogs::Box box;  // in the dialog's client pixels
    std::string text;
    dialogs::EditText edit;
    std::unique_ptr<dialogs::PushButton> button;
};

struct DialogState {
    HWND hwnd = nullptr;
    DLGPROC proc = nullptr;
    std::unique_ptr<dialogs::Font> font;
    dialogs::FixedMeasure fallback{6, 13};
    std::vector<std::unique_ptr<Control>> controls;
    int defaultId = IDOK;
    bool done = false;
    INT_PTR result = 0;

    const dialogs::TextMeasure& measure() const {
        return font ? static_cast<const dialogs::TextMeasure&>(*font) : fallback;
    }
};

// Dialogs in their loops, innermost last; only their windows are taken for dialogs.
std::vector<DialogState*>& Running() {
    static std::vector<DialogState*> running;
    return running;
}

DialogState* DialogOf(HWND window) {
    for (DialogState* d : Running())
        if (d->hwnd == window && window) return d;
    return nullptr;
}
Control* ControlOf(HWND window) { return reinterpret_cast<Control*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

Control* FocusedControl(DialogState& d) {
    HWND focus = GetFocus();
    for (auto& c : d.controls)
        if (c->hwnd == focus) return c.get();
    return nullptr;
}

void Redraw(DialogState& d) { InvalidateRect(d.hwnd, nullptr, FALSE); }

void PaintEdit(SDL_Surface* s, const DialogState& d, Control& c, bool focused) {
    dialogs::FillBox(s, c.box, dialogs::kShadow);
    dialogs::Box inner{c.box.x + 1, c.box.y + 1, c.box.w - 2, c.box.h - 2};
    dialogs::FillBox(s, inner, kWindow);
    SDL_Rect clip{inner.x, inner.y, inner.w, inner.h};
    SDL_SetClipRect(s, &clip);
    int lineHeight = d.measure().LineHeight();
    int top = inner.y + (inner.h - lineHeight) / 2;
    int left = inner.x + 1 - c.edit.scroll();
    dialogs::DrawText(s, d.font.get(), left, top, c.edit.text(), dialogs::kText);
    if (focused) {
        int at = left + d.measure().TextWidth(std::string_view(c.edit.text()).substr(0, c.edit.caret()));
        dialogs::FillBox(s, {at, top, 1, lineHeight}, dialogs::kText);
    }
    SDL_SetClipRect(s, nullptr);
}

void Paint(DialogState& d) {
    SDL_Window* native = NativeWindowOf(d.hwnd);
    SDL_Surface* s = native ? SDL_GetWindowSurface(native) : nullptr;
    if (!s) return;
    dialogs::FillBox(s, {0, 0, s->w, s->h}, dialogs::kFace);
    Control* focus = FocusedControl(d);
    bool focusOnButton = focus && focus->kind == Kind::Button;
    for (auto& c : d.controls) {
        if (!IsWindowVisible(c->hwnd)) continue;
        switch (c->kind) {
            case Kind::Edit: PaintEdit(s, d, *c, focus == c.get()); break;
            case Kind::Button:
                // The default look follows the focus among buttons, as Enter does.
                c->button->SetFocused(focus == c.get());
                c->button->SetDefault(focusOnButton ? focus == c.get() : c->id == d.defaultId);
                dialogs::DrawPushButton(s, d.font.get(), *c->button);
                break;
            case Kind::Static: {
                SDL_Rect clip{c->box.x, c->box.y, c->box.w, c->box.h};
                SDL_SetClipRect(s, &clip);
                dialogs::DrawText(s, d.font.get(), c->box.x, c->box.y, c->text, dialogs::kText);
                SDL_SetClipRect(s, nullptr);
                break;
            }
        }
    }
    SDL_UpdateWindowSurface(native);
}

void Command(DialogState& d, int id, HWND from) {
    SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(from));
}

void MoveTabFocus(DialogState& d, bool backwards) {
    std::vector<Control*> stops;
    for (auto& c : d.controls)
        if ((c->style & WS_TABSTOP) && IsWindowVisible(c->hwnd) && IsWindowEnabled(c->hwnd)) stops.push_back(c.get());
    if (stops.empty()) return;
    Control* focus = FocusedControl(d);
    std::size_t at = 0;
    for (std::size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == focus) at = backwards ? i + stops.size() - 1 : i + 1;
    if (!focus) at = backwards ? stops.size() - 1 : 0;
    SetFocus(stops[at % stops.size()]->hwnd);
}

// The keys the dialog handles whichever control has the focus.
bool DialogKey(DialogState& d, WPARAM vk) {
    if (vk == static_cast<WPARAM>(VK_TAB)) {
        MoveTabFocus(d, GetKeyState(VK_SHIFT) < 0);
    } else if (vk == static_cast<WPARAM>(VK_RETURN)) {
        Control* focus = FocusedControl(d);
        int id = focus && focus->kind == Kind::Button ? focus->id : d.defaultId;
        Command(d, id, GetDlgItem(d.hwnd, id));
    } else if (vk == static_cast<WPARAM>(VK_ESCAPE)) {
        Command(d, IDCANCEL, GetDlgItem(d.hwnd, IDCANCEL));
    } else {
        return false;
    }
    return true;
}

std::string Utf8Of(std::uint32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

// The character boundary nearest to a pixel offset in the edit's text.
void PlaceCaret(Control& c, int x) {
    const dialogs::TextMeasure& m = c.dialog->measure();
    c.edit.Home();
    int target = x - 2 + c.edit.scroll();
    while (c.edit.caret() < c.edit.text().size()) {
        std::size_t before = c.edit.caret();
        int left = m.TextWidth(std::string_view(c.edit.text()).substr(0, before));
        c.edit.Right();
        int right = m.TextWidth(std::string_view(c.edit.text()).substr(0, c.edit.caret()));
        if (target < (left + right) / 2) {
            c.edit.Left();
            break;
        }
    }
}

bool EditKey(Control& c, WPARAM vk) {
    switch (vk) {
        case VK_LEFT: c.edit.Left(); break;
        case VK_RIGHT: c.edit.Right(); break;
        case VK_HOME: c.edit.Home(); break;
        case VK_END: c.edit.End(); break;
        case VK_DELETE: c.edit.Delete(); break;
        default: return false;
    }
    return true;
}

LRESULT ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Control* c = ControlOf(window);
    if (!c) return DefWindowProcA(window, message, wParam, lParam);
    DialogState& d = *c->dialog;
    int x = static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lParam))) + c->box.x;
    int y = static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(lParam))) + c->box.y;
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            Redraw(d);  // the dialog draws every control
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(lParam);
            if (c->kind == Kind::Edit)
                c->edit.SetText(text ? text : "");
            else
                c->text = text ? text : "";
            Redraw(d);
            return TRUE;
        }
        case WM_GETTEXT:
            return static_cast<LRESULT>(dialogs::CopyUtf8(c->kind == Kind::Edit ? c->edit.text() : c->text,
                                                          reinterpret_cast<char*>(lParam), wParam));
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(c->kind == Kind::Edit ? c->edit.text().size() : c->text.size());
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Redraw(d);
            return 0;
        case WM_KEYDOWN:
            if (c->kind == Kind::Edit && EditKey(*c, wParam)) {
                c->edit.KeepCaretInSight(c->box.w - 3, d.measure());
                Redraw(d);
            } else if (c->kind == Kind::Button && wParam == static_cast<WPARAM>(VK_SPACE)) {
                c->button->SpaceDown();
                Redraw(d);
            } else {
                DialogKey(d, wParam);
            }
            return 0;
        case WM_KEYUP:
            if (c->kind == Kind::Button && wParam == static_cast<WPARAM>(VK_SPACE)) {
                Redraw(d);
                if (c->button->SpaceUp()) Command(d, c->id, window);
            }
            return 0;
        case WM_CHAR:
            if (c->kind != Kind::Edit) return 0;
            // Enter, Tab and Esc belong to the dialog; Backspace arrives as its character.
            if (wParam == 0x08)
                c->edit.Backspace();
            else if (wParam >= 0x20 && wParam != 0x7F && wParam <= 0x10FFFF)
                c->edit.Insert(Utf8Of(static_cast<std::uint32_t>(wParam)));
            else
                return 0;
            c->edit.KeepCaretInSight(c->box.w - 3, d.measure());
            Redraw(d);
            return 0;
        case WM_LBUTTONDOWN:
            if (c->kind == Kind::Static) return 0;
            SetFocus(window);
            if (c->kind == Kind::Edit) {
                PlaceCaret(*c, x - c->box.x);
                c->edit.KeepCaretInSight(c->box.w - 3, d.measure());
            } else {
                c->button->MouseDown(x, y);
            }
            Redraw(d);
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            // Every button hears it: one pressed here may be released over another.
            for (auto& other : d.controls) {
                if (other->kind != Kind::Button) continue;
                if (message == WM_MOUSEMOVE) {
                    other->button->MouseMove(x, y);
                } else if (other->button->MouseUp(x, y)) {
                    Command(d, other->id, other->hwnd);
                    break;
                }
            }
            Redraw(d);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* d = DialogOf(window);
    if (!d) return DefWindowProcA(window, message, wParam, lParam);
    if (d->proc(window, message, wParam, lParam)) return TRUE;
    int x = static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lParam)));
    int y = static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(lParam)));
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            Paint(*d);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_KEYDOWN: DialogKey(*d, wParam); return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            for (auto& c : d->controls) {
                if (c->kind != Kind::Button) continue;
                if (message == WM_MOUSEMOVE) c->button->MouseMove(x, y);
                else c->button->MouseUp(x, y);  // released beside every button: no click
            }
            Redraw(*d);
            return 0;
        case WM_CLOSE:
            // The close box answers as Esc does; the dialog ends only through EndDialog.
            Command(*d, IDCANCEL, GetDlgItem(window, IDCANCEL));
            return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterClasses() {
    HINSTANCE module = GetModuleHandleA(nullptr);
    for (auto [name, proc] : {std::pair<const char*, WNDPROC>{kDialogClass, DialogProc}, {kControlClass, ControlProc}}) {
        WNDCLASSA wc{};
        if (GetClassInfoA(module, name, &wc)) continue;
        wc.lpfnWndProc = proc;
        wc.hInstance = module;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = name;
        if (!RegisterClassA(&wc)) return false;
    }
    return true;
}

dialogs::Box WorkArea(int display) {
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(display, &r) != 0 && SDL_GetDisplayUsableBounds(0, &r) != 0) r = {0, 0, 1024, 768};
    return {r.x, r.y, r.w, r.h};
}

// Where the template puts the hidden dialog. Its frame is the window manager's,
// known only once it is shown; the same manager frames the owner, so the
// owner's frame stands in for it. A window on no monitor is kept on the first.
void PlaceDialog(HWND dialog, const dialogs::DialogTemplate& t, dialogs::BaseUnits base, HWND owner) {
    SDL_Window* native = NativeWindowOf(dialog);
    if (!native) return;
    SDL_Window* ownerNative = NativeWindowOf(owner);
    dialogs::FrameInsets frame;
    if (!ownerNative ||
        SDL_GetWindowBordersSize(ownerNative, &frame.top, &frame.left, &frame.bottom, &frame.right) != 0)
        frame = {};
    POINT origin{0, 0};
    std::optional<POINT> ownerClient;
    if (ClientToScreen(owner, &origin)) ownerClient = origin;
    int display = ownerNative ? std::max(0, SDL_GetWindowDisplayIndex(ownerNative)) : 0;
    dialogs::Box window = dialogs::DialogWindowBox(t, base, frame, ownerClient, WorkArea(display));
    if (!(t.style & DS_CENTER)) {
        SDL_Rect box{window.x, window.y, window.w, window.h}, bounds;
        display = SDL_GetRectDisplayIndex(&box);
        const bool on = display >= 0 && SDL_GetDisplayBounds(display, &bounds) == 0 && SDL_HasIntersection(&box, &bounds);
        if (!on) display = 0;
    }
    window = dialogs::KeepInWorkArea(window, WorkArea(display));
    SDL_SetWindowPosition(native, window.x, window.y);
}

INT_PTR RunDialog(const dialogs::DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param) {
    if (!RegisterClasses()) return -1;
    auto d = std::make_unique<DialogState>();
    d->proc = proc;
    d->font = dialogs::Font::Open(t.fontFamily.empty() ? "MS Sans Serif" : t.fontFamily,
                                  dialogs::PointsToPixels(t.fontPoints > 0 ? t.fontPoints : 8));
    dialogs::BaseUnits base = dialogs::BaseUnitsOf(d->measure());
    dialogs::Box client = dialogs::DialogUnitsToPixels(0, 0, t.cx, t.cy, base);

    HWND dialog = CreatePlainWindowExA(0, kDialogClass, t.caption.c_str(), t.style & ~WS_VISIBLE, CW_USEDEFAULT,
                                       CW_USEDEFAULT, std::max(1, client.w), std::max(1, client.h), owner, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    if (!dialog) return -1;
    PlaceDialog(dialog, t, base, owner);
    d->hwnd = dialog;
    Running().push_back(d.get());
    // Leaves the list however the dialog ends.
    struct Unlist {
        DialogState* d;
        ~Unlist() { std::erase(Running(), d); }
    } unlist{d.get()};
    for (const dialogs::ControlTemplate& ct : t.controls) {
        auto c = std::make_unique<Control>();
        c->dialog = d.get();
        c->id = ct.id;
        c->style = ct.style;
        c->kind = ct.className == "Edit" ? Kind::Edit : ct.className == "Button" ? Kind::Button : Kind::Static;
        c->box = dialogs::DialogUnitsToPixels(ct.x, ct.y, ct.cx, ct.cy, base);
        c->text = ct.text;
        c->edit.SetText(ct.text);
        if (c->kind == Kind::Button) {
            bool isDefault = (ct.style & 0xF) == BS_DEFPUSHBUTTON;
            if (isDefault) d->defaultId = ct.id;
            c->button = std::make_unique<dialogs::PushButton>(ct.id, ct.text, c->box, isDefault);
        }
        c->hwnd = CreateWindowExA(0, kControlClass, ct.text.c_str(), ct.style, c->box.x, c->box.y, c->box.w,
                                  c->box.h, dialog, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(ct.id)),
                                  GetModuleHandleA(nullptr), nullptr);
        if (!c->hwnd) {
            DestroyWindow(dialog);
            return -1;
        }
        SetWindowLongPtrA(c->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c.get()));
        d->controls.push_back(std::move(c));
    }

    ModalSession session = BeginModal(owner, dialog);
    HWND firstStop = nullptr;
    for (auto& c : d->controls)
        if (!firstStop && (c->style & WS_TABSTOP)) firstStop = c->hwnd;
    // FALSE: the procedure has placed the focus itself.
    if (proc(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstStop), param) && firstStop) SetFocus(firstStop);
    if (IsWindow(dialog) && !d->done) RunModalLoop(session, [&] { return d->done; });
    EndModal(session);
    DestroyWindow(dialog);
    return d->result;
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND owner, DLGPROC dialogProc, LPARAM initParam) {
    // The script numbers its dialogs; a name cannot match one.
    if (!dialogProc || !templateName || !IS_INTRESOURCE(templateName)) return -1;
    int id = LOWORD(reinterpret_cast<std::uintptr_t>(templateName));
    std::optional<dialogs::DialogTemplate> t = dialogs::FindDialogTemplate(dialogs::ProgramResourceScript(), id);
    if (!t) return -1;
    return RunDialog(*t, owner, dialogProc, initParam);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    DialogState* d = DialogOf(dialog);
    if (!d) return FALSE;
    d->done = true;
    d->result = result;
    PostMessageA(dialog, WM_NULL, 0, 0);  // wakes the loop waiting in GetMessageA
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
    DialogState* d = DialogOf(dialog);
    if (!d) return nullptr;
    for (auto& c : d->controls)
        if (c->id == id) return c->hwnd;
    return nullptr;
}

int GetDlgCtrlID(HWND control) { return static_cast<int>(GetWindowLongPtrA(control, GWLP_ID)); }

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

}  // namespace plat
