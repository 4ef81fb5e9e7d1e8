#pragma once

#include "app/win32/framework/dialog.h"

namespace wobbet {

// The About box: the program's name, version and maker beside its icon.
class CAboutDlg : public win32::Dialog {
public:
    explicit CAboutDlg(win32::Dialog* owner);
};

}  // namespace wobbet
