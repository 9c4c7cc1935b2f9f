#include "tests/support/test_window.h"

namespace testsupport {

// Every window is drawn on the page's one canvas: a shown one's pictures go
// to the page and cannot be read back, so it stays hidden, as on Windows.
void ShowForTest(HWND) {}

}  // namespace testsupport
