#include "tests/support/modal_boxes.h"

#include "tests/win/win_test_support.h"

namespace testsupport {

void OnModalBox(std::function<void(HWND box)> onBox) { plat::SetModalHook(std::move(onBox)); }

void PressEnter(HWND box) {
    wintest::PushKey(box, SDLK_RETURN, true);
    wintest::PushKey(box, SDLK_RETURN, false);
}

}  // namespace testsupport
