// The dialog manager in the browser: DialogBoxParamA builds an HTML dialog
// over the canvas from a template of the resource script, placed as the other
// systems place it, with edit, button and static controls as child windows of
// a window record that the page draws, and runs the window system's modal
// loop over the disabled owner until EndDialog.
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "platform/dialogs/dialog_core.h"
#include "platform/dialogs/dialog_placement.h"
#include "platform/dialogs/dialog_template.h"
#include "platform/dialogs/page_dialog_web.h"
#include "platform/win/host.h"
#include "platform/win/native_window.h"
#include "platform/win/window_system.h"

namespace plat {
namespace {

constexpr const char* kDialogClass = "KestrovaDialog";
constexpr const char* kControlClass = "KestrovaDialogControl";

enum class Kind { Edit, Button, Static };

struct Control {
    HWND hwnd = nullptr;
    Kind kind = Kind::Static;
    int id = 0;
    DWORD style = 0;
};

struct DialogState {
    HWND hwnd = nullptr;
    DLGPROC proc = nullptr;
    int token = 0;
    std::vector<Control> controls;
    int defaultId = IDOK;
    bool done = false;
    INT_PTR result = 0;
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

const Control* ControlOf(HWND window, DialogState** dialog) {
    *dialog = DialogOf(GetParent(window));
    if (!*dialog) return nullptr;
    for (const Control& c : (*dialog)->controls)
        if (c.hwnd == window) return &c;
    return nullptr;
}

void Command(DialogState& d, int id) {
    SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, id)));
}

// Enter and Esc, whichever control has the focus.
void DialogKey(DialogState& d, WPARAM vk) {
    if (vk == static_cast<WPARAM>(VK_RETURN)) {
        HWND focus = GetFocus();
        int id = d.defaultId;
        for (const Control& c : d.controls)
            if (c.hwnd == focus && c.kind == Kind::Button) id = c.id;
        Command(d, id);
    } else if (vk == static_cast<WPARAM>(VK_ESCAPE)) {
        Command(d, IDCANCEL);
    }
}

// The page calls while the loop waits: the player's acts become the messages
// the dialog would get, posted so the dialog procedure runs from the loop.
void FromPage(int token, int event, int value) {
    DialogState* d = nullptr;
    for (DialogState* running : Running())
        if (running->token == token) d = running;
    if (!d) return;
    switch (event) {
        case dialogs::page::kClicked:
            PostMessageA(d->hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(value), BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(d->hwnd, value)));
            break;
        case dialogs::page::kKey: PostMessageA(d->hwnd, WM_KEYDOWN, static_cast<WPARAM>(value), 0); break;
        case dialogs::page::kCloseBox: PostMessageA(d->hwnd, WM_CLOSE, 0, 0); break;
        case dialogs::page::kFocused: SetFocus(GetDlgItem(d->hwnd, value)); break;
        default: break;
    }
}

LRESULT ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* d = nullptr;
    const Control* c = ControlOf(window, &d);
    if (!c) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(lParam);
            dialogs::page::SetText(d->token, c->id, text ? text : "");
            return TRUE;
        }
        case WM_GETTEXT:
            return static_cast<LRESULT>(
                dialogs::CopyUtf8(dialogs::page::Text(d->token, c->id), reinterpret_cast<char*>(lParam), wParam));
        case WM_GETTEXTLENGTH: return static_cast<LRESULT>(dialogs::page::Text(d->token, c->id).size());
        case WM_SETFOCUS: dialogs::page::Focus(d->token, c->id); return 0;
        case WM_PAINT: return dialogs::page::PaintedByThePage(window);
        case WM_ERASEBKGND: return 1;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* d = DialogOf(window);
    if (!d) return DefWindowProcA(window, message, wParam, lParam);
    if (d->proc(window, message, wParam, lParam)) return TRUE;
    switch (message) {
        case WM_SHOWWINDOW: dialogs::page::Show(d->token, wParam != FALSE); return 0;
        case WM_SETFOCUS: dialogs::page::Focus(d->token, 0); return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_KEYDOWN: DialogKey(*d, wParam); return 0;
        case WM_CLOSE:
            // The close box answers as Esc does; the dialog ends only through EndDialog.
            Command(*d, IDCANCEL);
            return 0;
        case WM_DESTROY: dialogs::page::Close(d->token); return 0;
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

INT_PTR RunDialog(const dialogs::DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param) {
    if (!RegisterClasses()) return -1;
    const std::string family = t.fontFamily.empty() ? "MS Sans Serif" : t.fontFamily;
    const int pixels = dialogs::PointsToPixels(t.fontPoints > 0 ? t.fontPoints : 8);
    const dialogs::BaseUnits base = dialogs::BaseUnitsOf(dialogs::page::Measure(family, pixels));
    const dialogs::Box client = dialogs::DialogUnitsToPixels(0, 0, t.cx, t.cy, base);

    // The template places it from the canvas, the owner's client area, in the page's pixels.
    const dialogs::page::Area area = dialogs::page::PageArea();
    std::optional<POINT> ownerClient;
    if (NativeWindowOf(owner) && area.canvasShown) ownerClient = POINT{area.canvas.x, area.canvas.y};
    const dialogs::Box window = dialogs::KeepInWorkArea(
        dialogs::DialogWindowBox(t, base, dialogs::page::Frame(), ownerClient, area.viewport), area.viewport);

    HWND dialog = dialogs::page::CreatePageWindow(kDialogClass, t.caption, t.style, std::max(1, client.w),
                                                  std::max(1, client.h), owner);
    if (!dialog) return -1;
    auto d = std::make_unique<DialogState>();
    d->proc = proc;
    d->hwnd = dialog;
    d->token = dialogs::page::Open(t.caption, family, pixels, window, (t.style & WS_SYSMENU) != 0, FromPage);
    Running().push_back(d.get());
    // Leaves the list however the dialog ends.
    struct Unlist {
        DialogState* d;
        ~Unlist() { std::erase(Running(), d); }
    } unlist{d.get()};
    for (const dialogs::ControlTemplate& ct : t.controls) {
        Control c;
        c.id = ct.id;
        c.style = ct.style;
        c.kind = ct.className == "Edit" ? Kind::Edit : ct.className == "Button" ? Kind::Button : Kind::Static;
        const dialogs::Box box = dialogs::DialogUnitsToPixels(ct.x, ct.y, ct.cx, ct.cy, base);
        const bool isDefault = c.kind == Kind::Button && (ct.style & 0xF) == BS_DEFPUSHBUTTON;
        if (isDefault) d->defaultId = ct.id;
        c.hwnd = CreateWindowExA(0, kControlClass, ct.text.c_str(), ct.style, box.x, box.y, box.w, box.h, dialog,
                                 reinterpret_cast<HMENU>(static_cast<std::intptr_t>(ct.id)), GetModuleHandleA(nullptr),
                                 nullptr);
        if (!c.hwnd) {
            DestroyWindow(dialog);
            return -1;
        }
        const auto part = c.kind == Kind::Edit     ? dialogs::page::Part::Edit
                          : c.kind == Kind::Button ? dialogs::page::Part::Button
                                                   : dialogs::page::Part::Static;
        dialogs::page::Add(d->token, part, ct.id, ct.text, box, isDefault, dialogs::EditText::kDefaultLimit);
        d->controls.push_back(c);
    }

    ModalSession session = BeginModal(owner, dialog);
    HWND firstStop = nullptr;
    for (const Control& c : d->controls)
        if (!firstStop && (c.style & WS_TABSTOP)) firstStop = c.hwnd;
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
    for (const Control& c : d->controls)
        if (c.id == id) return c.hwnd;
    return nullptr;
}

int GetDlgCtrlID(HWND control) { return static_cast<int>(GetWindowLongPtrA(control, GWLP_ID)); }

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

}  // namespace plat
