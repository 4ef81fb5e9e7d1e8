#pragma once

#include <windows.h>

#include <vector>

#include "app/win32/framework/data_exchange.h"
#include "app/win32/framework/window.h"

namespace wobbet::win32 {

// A modal dialog made from a template in the program's resources. Subclasses bind controls and
// members in DoDataExchange and handle messages in OnMessage; OK transfers the controls into
// the members and ends with IDOK, Cancel (also Esc and the close box) ends with IDCANCEL.
class Dialog : public Window {
public:
    // A null owner means the dialog has none (the main window).
    explicit Dialog(int templateId, Dialog* owner = nullptr)
        : templateId_(templateId), owner_(owner) {}

    // Runs the dialog until it ends: IDOK, IDCANCEL, or -1 when it could not be created.
    INT_PTR DoModal();

protected:
    // Transfers the members into the controls; TRUE lets the system focus the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange* exchange);
    virtual void OnOK();
    virtual void OnCancel();

    // Handles one message; gives false to leave it to the defaults. A handler that wants the
    // default processing as well calls Default().
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void Default() { wantsDefault_ = true; }

    // Runs DoDataExchange in one direction: out of the controls when saveAndValidate is true.
    void UpdateData(bool saveAndValidate);
    void EndDialog(int result);

private:
    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL InitDialog();
    void CenterWindow();

    int templateId_;
    Dialog* owner_;
    bool wantsDefault_ = false;
    std::vector<Window*> boundControls_;
};

}  // namespace wobbet::win32
