#include "tests/support/test_window.h"

namespace testsupport {

void ShowForTest(HWND window) { ShowWindow(window, SW_SHOW); }

}  // namespace testsupport
