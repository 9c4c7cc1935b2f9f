// Window classes by name (case-insensitive, as the old platform compares them),
// and the module and cursor handles that go with registering one.
#include <strings.h>

#include <map>
#include <memory>
#include <string>

#include "platform/win/window_table.h"

namespace plat {
namespace win {
namespace {

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

std::map<std::string, std::shared_ptr<WindowClass>, NoCase>& Classes() {
    static std::map<std::string, std::shared_ptr<WindowClass>, NoCase> classes;
    return classes;
}

// Atoms given to registered classes; never zero.
WORD nextAtom = 0xC000;

}  // namespace

std::shared_ptr<WindowClass> FindClass(const char* name) {
    if (!name || IS_INTRESOURCE(name)) return nullptr;
    auto it = Classes().find(name);
    return it == Classes().end() ? nullptr : it->second;
}

}  // namespace win

WORD RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpfnWndProc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) ||
        wc->lpszClassName[0] == '\0')
        return 0;
    if (win::FindClass(wc->lpszClassName)) return 0;  // already registered
    auto cls = std::make_shared<win::WindowClass>();
    cls->name = wc->lpszClassName;
    cls->wc = *wc;
    cls->wc.lpszClassName = cls->name.c_str();
    cls->wc.lpszMenuName = nullptr;  // no menus on this host
    win::Classes()[cls->name] = cls;
    WORD atom = win::nextAtom++;
    if (win::nextAtom == 0) win::nextAtom = 0xC000;
    return atom;
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR className, WNDCLASSA* wc) {
    auto cls = win::FindClass(className);
    if (!cls || !wc) return FALSE;
    *wc = cls->wc;
    return TRUE;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
    auto cls = win::FindClass(className);
    if (!cls || cls->windows > 0) return FALSE;
    win::Classes().erase(cls->name);
    return TRUE;
}

HINSTANCE GetModuleHandleA(LPCSTR moduleName) {
    // One module: the program. Its handle only has to be stable and non-null.
    static char module;
    if (moduleName) return nullptr;
    return reinterpret_cast<HINSTANCE>(&module);
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    // Only the system arrow exists, and it is SDL's default cursor anyway.
    static char arrow;
    if (instance || name != IDC_ARROW) return nullptr;
    return reinterpret_cast<HCURSOR>(&arrow);
}

}  // namespace plat
