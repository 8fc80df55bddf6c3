// The QApplication of a test program, made on first use under the offscreen platform (unless
// the environment names another), with the program's style, and ended when the program ends.
// Test programs that never open a window never make one.
#pragma once

namespace testing_support {

void EnsureQtApplication();

}  // namespace testing_support
