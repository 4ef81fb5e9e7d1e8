#include "app/win32/framework/dialog.h"

#include <algorithm>

namespace wobbet::win32 {
namespace {

// Messages whose result the dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CHARTOITEM:
        case WM_COMPAREITEM:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_VKEYTOITEM:
            return true;
        default:
            return false;
    }
}

}  // namespace

INT_PTR Dialog::DoModal() {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_),
                           owner_ != nullptr ? owner_->Handle() : nullptr, &DialogProcedure,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
        dialog->Attach(window);
    } else {
        dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    // A few messages (WM_SETFONT among them) come before WM_INITDIALOG.
    if (dialog == nullptr) {
        return FALSE;
    }
    return dialog->Dispatch(message, wParam, lParam);
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        return InitDialog();
    }

    // A handler may run a nested modal loop, which dispatches messages of its own.
    const bool outerWantsDefault = wantsDefault_;
    wantsDefault_ = false;
    LRESULT result = 0;
    bool handled = OnMessage(message, wParam, lParam, &result);
    if (!handled && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            handled = true;
        } else if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            handled = true;
        }
    }
    const bool wantsDefault = wantsDefault_;
    wantsDefault_ = outerWantsDefault;

    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(Handle(), DWLP_USER, 0);
        for (Window* control : boundControls_) {
            control->Detach();
        }
        boundControls_.clear();
        Detach();
        return FALSE;
    }
    if (!handled || wantsDefault) {
        return FALSE;
    }
    if (ReturnsResultDirectly(message)) {
        return result;
    }
    SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, result);
    return TRUE;
}

BOOL Dialog::InitDialog() {
    RECT before{};
    GetWindowRect(Handle(), &before);
    const BOOL result = OnInitDialog();
    RECT after{};
    GetWindowRect(Handle(), &after);
    // Templates here sit at 0, 0: unless OnInitDialog placed the window itself, it opens centred
    // over its owner, or on the screen when it has none.
    const bool centredBySystem = (GetWindowLongA(Handle(), GWL_STYLE) & DS_CENTER) != 0;
    if (!centredBySystem && before.left == after.left && before.top == after.top) {
        CenterWindow();
    }
    return result;
}

void Dialog::CenterWindow() {
    RECT workArea{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT area = workArea;
    const HWND owner = GetWindow(Handle(), GW_OWNER);
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &area);
    }
    RECT window{};
    GetWindowRect(Handle(), &window);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG x = (area.left + area.right) / 2 - width / 2;
    LONG y = (area.top + area.bottom) / 2 - height / 2;
    // Never partly off the work area, and its top left corner always on it.
    x = std::max(std::min(x, workArea.right - width), workArea.left);
    y = std::max(std::min(y, workArea.bottom - height), workArea.top);
    SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::DoDataExchange(DataExchange*) {}

void Dialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

void Dialog::UpdateData(bool saveAndValidate) {
    DataExchange exchange(Handle(), saveAndValidate);
    DoDataExchange(&exchange);
    boundControls_.insert(boundControls_.end(), exchange.BoundControls().begin(),
                          exchange.BoundControls().end());
}

void Dialog::EndDialog(int result) {
    ::EndDialog(Handle(), result);
}

}  // namespace wobbet::win32
