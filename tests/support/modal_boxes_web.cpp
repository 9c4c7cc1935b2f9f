#include "tests/support/modal_boxes.h"

#include <emscripten/emscripten.h>
#include <gtest/gtest.h>

#include "platform/win/host.h"

// Enter as the player's key reaches the page: on the focused part of the
// innermost open dialog, which tells the program as it tells a real key.
// 0 when no dialog is open on the page.
EM_JS(int, KestrovaPressEnterInPageDialog, (), {
    var open = document.querySelectorAll('dialog.kd[open]');
    if (open.length === 0) return 0;
    var box = open[open.length - 1];
    var target = box.contains(document.activeElement) ? document.activeElement : box;
    target.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter', code: 'Enter', keyCode: 13, bubbles: true,
                                                       cancelable: true}));
    return 1;
});

namespace testsupport {

void OnModalBox(std::function<void(HWND box)> onBox) { plat::SetModalHook(std::move(onBox)); }

void PressEnter(HWND box) {
    ASSERT_TRUE(IsWindowVisible(box));
    EXPECT_EQ(KestrovaPressEnterInPageDialog(), 1) << "no dialog on the page for the box";
}

}  // namespace testsupport
