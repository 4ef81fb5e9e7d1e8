#include "app/win32/about_dlg.h"

#include "app/win32/resource_ids.h"

namespace wobbet {

CAboutDlg::CAboutDlg(win32::Dialog* owner) : Dialog(IDD_ABOUTBOX, owner) {}

}  // namespace wobbet
