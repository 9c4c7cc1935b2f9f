// Where a dialog opens on the screen, as the old dialog manager put it. No
// window system here: the caller says where the owner, the frame and the work
// areas are.
#pragma once

#include <optional>

#include "platform/dialogs/dialog_core.h"
#include "platform/dialogs/dialog_template.h"

namespace plat::dialogs {

// How far a window's frame reaches past its client area on each side.
struct FrameInsets {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The dialog's window on the screen, frame included, before it is kept on the
// screen. The template places the client area, in the dialog's own dialog
// units, from the top-left of the owner's client area (ownerClient, on the
// screen), or from the screen's origin with DS_ABSALIGN or without an owner.
// DS_CENTER centres the whole window in centreArea, the work area of the
// owner's monitor, instead.
Box DialogWindowBox(const DialogTemplate& t, BaseUnits base, FrameInsets frame,
                    const std::optional<POINT>& ownerClient, const Box& centreArea);

// The window moved into the work area: left and up until its right and bottom
// edges are in, then right and down until its left and top edges are, so a
// window larger than the work area still shows its caption.
Box KeepInWorkArea(Box window, const Box& workArea);

}  // namespace plat::dialogs
