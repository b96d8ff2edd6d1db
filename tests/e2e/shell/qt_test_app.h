#pragma once
// One QApplication for the whole test binary, on Qt's offscreen platform unless
// the run names another.
namespace pellaro::testing {
void EnsureQtApplication();
}
