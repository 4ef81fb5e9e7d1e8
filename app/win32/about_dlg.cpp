#include "about_dlg.h"

#include "resource_ids.h"

namespace wobbet {

CAboutDlg::CAboutDlg(win32::Dialog* owner) : Dialog(IDD_ABOUTBOX, owner) {}

}  // namespace wobbet
