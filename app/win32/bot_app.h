#pragma once

#include "app/win32/framework/application.h"

namespace wobbet {

// The program: runs the main window, unless another copy runs already; then that copy's window
// is brought forward and this one ends.
class CBotApp final : public win32::Application {
protected:
    BOOL InitInstance() override;
};

// EnumWindows callback: stops at the first window that answers the probe as the running copy
// does, and stores it through target (the address of an HWND).
BOOL CALLBACK FindRunningInstance(HWND window, LPARAM target);

}  // namespace wobbet
