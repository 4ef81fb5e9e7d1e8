#pragma once

#include <string>

#include "app/win32/framework/dialog.h"

namespace wobbet {

// The Teach dialog: collects a phrase and the reply to give to it, exactly as typed. OK copies
// both boxes into the members; Cancel leaves them empty.
class CTeachDlg : public win32::Dialog {
public:
    explicit CTeachDlg(win32::Dialog* owner);

    std::string m_reply;   // "I should say this:"
    std::string m_phrase;  // "If you say this:"

protected:
    void DoDataExchange(win32::DataExchange* exchange) override;
};

}  // namespace wobbet
