#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/win32/framework/window.h"

namespace wobbet::win32 {

// One transfer between a dialog's controls and its members, in the direction the dialog asks
// for: into the controls when it opens, out of them when OK is pressed.
class DataExchange {
public:
    DataExchange(HWND dialog, bool saveAndValidate)
        : dialog_(dialog), saveAndValidate_(saveAndValidate) {}

    bool SaveAndValidate() const { return saveAndValidate_; }

    // Binds the wrapper to the dialog's control with that id, once.
    void Control(int controlId, Window* control);
    // Copies the control's text into *value, or *value into the control.
    void Text(int controlId, std::string* value);

    // The wrappers this exchange has bound, so that the dialog can let go of them when its
    // window is gone.
    const std::vector<Window*>& BoundControls() const { return bound_; }

private:
    HWND dialog_;
    bool saveAndValidate_;
    std::vector<Window*> bound_;
};

}  // namespace wobbet::win32
