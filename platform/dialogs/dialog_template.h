// Dialog templates read from a resource script in .rc syntax: DIALOG and
// DIALOGEX with STYLE, CAPTION, FONT and the control statements EDITTEXT,
// PUSHBUTTON, DEFPUSHBUTTON, LTEXT and CONTROL. No drawing library needed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs/dialog_core.h"
#include "platform/win/window_system.h"

namespace plat::dialogs {

struct ControlTemplate {
    std::string className;  // "Edit", "Button" or "Static"
    std::string text;
    int id = 0;
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DialogTemplate {
    int id = 0;
    DWORD style = 0;
    std::string caption;
    std::string fontFamily;
    int fontPoints = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::vector<ControlTemplate> controls;
};

// The dialog of that numeric id in the script; nothing when it is missing
// or its text does not parse.
std::optional<DialogTemplate> FindDialogTemplate(std::string_view script, int id);

// The program's own resource script, built in.
std::string_view ProgramResourceScript();

// The pixel size of a font of that many points on a 96-dpi screen.
int PointsToPixels(int points);

// Dialog base units: the font's average character width and its height.
struct BaseUnits {
    int x = 0, y = 0;
};
BaseUnits BaseUnitsOf(const TextMeasure& measure);

// Dialog units to pixels: a quarter and an eighth of the base units, rounded.
Box DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits base);

}  // namespace plat::dialogs
