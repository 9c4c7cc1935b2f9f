#include "platform/dialogs/dialog_placement.h"

#include <algorithm>

namespace plat::dialogs {

Box DialogWindowBox(const DialogTemplate& t, BaseUnits base, FrameInsets frame,
                    const std::optional<POINT>& ownerClient, const Box& centreArea) {
    const Box client = DialogUnitsToPixels(t.x, t.y, t.cx, t.cy, base);
    Box window{client.x - frame.left, client.y - frame.top, frame.left + client.w + frame.right,
               frame.top + client.h + frame.bottom};
    if (t.style & DS_CENTER) {
        window.x = (2 * centreArea.x + centreArea.w - window.w) / 2;
        window.y = (2 * centreArea.y + centreArea.h - window.h) / 2;
    } else if (ownerClient && !(t.style & DS_ABSALIGN)) {
        window.x += ownerClient->x;
        window.y += ownerClient->y;
    }
    return window;
}

Box KeepInWorkArea(Box window, const Box& workArea) {
    window.x = std::max(workArea.x, std::min(window.x, workArea.x + workArea.w - window.w));
    window.y = std::max(workArea.y, std::min(window.y, workArea.y + workArea.h - window.h));
    return window;
}

}  // namespace plat::dialogs
