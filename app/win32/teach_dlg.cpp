#include "app/win32/teach_dlg.h"

#include "app/win32/resource_ids.h"

namespace wobbet {

CTeachDlg::CTeachDlg(win32::Dialog* owner) : Dialog(IDD_TEACH, owner) {}

void CTeachDlg::DoDataExchange(win32::DataExchange* exchange) {
    Dialog::DoDataExchange(exchange);
    exchange->Text(IDC_TEACH_REPLY, &m_reply);
    exchange->Text(IDC_TEACH_PHRASE, &m_phrase);
}

}  // namespace wobbet
