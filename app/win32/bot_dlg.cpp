#include "app/win32/bot_dlg.h"

#include <commctrl.h>

#include <utility>

#include "app/win32/about_dlg.h"
#include "app/win32/framework/application.h"
#include "app/win32/minimized_icon.h"
#include "app/win32/resource_ids.h"
#include "app/win32/single_instance.h"
#include "app/win32/system_menu.h"
#include "app/win32/teach_dlg.h"

namespace wobbet {
namespace {

// The main window's own copy of the probe message id; the asking side registers its own.
const UINT UWM_ARE_YOU_ME = RegisterWindowMessageA(kAreYouMeMessageName);

}  // namespace

CBotDlg::CBotDlg(AgentServerPort& characterServer, std::string knowledgePath, win32::Dialog* parent)
    : Dialog(IDD_WOBBET_DIALOG, parent),
      m_icon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      core_(*this, std::move(knowledgePath), &characterServer, textRules_) {}

const win32::HandlerTable<CBotDlg>& CBotDlg::Handlers() {
    using Table = win32::HandlerTable<CBotDlg>;
    static const Table handlers{
        Table::Message<&CBotDlg::OnSysCommand>(WM_SYSCOMMAND),
        Table::Message<&CBotDlg::OnPaint>(WM_PAINT),
        Table::Message<&CBotDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
        Table::Message<&CBotDlg::OnDestroy>(WM_DESTROY),
        Table::Clicked<&CBotDlg::OnSay>(IDC_SAY),
        Table::Clicked<&CBotDlg::OnCharacters>(IDC_CHARACTERS),
        Table::Clicked<&CBotDlg::OnTeach>(IDC_TEACH),
        Table::Message<&CBotDlg::OnAreYouMe>(UWM_ARE_YOU_ME),
    };
    return handlers;
}

bool CBotDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const std::optional<LRESULT> handled = Handlers().Dispatch(*this, message, wParam, lParam);
    if (handled) {
        *result = *handled;
    }
    return handled.has_value();
}

void CBotDlg::DoDataExchange(win32::DataExchange* exchange) {
    Dialog::DoDataExchange(exchange);
    exchange->Control(IDC_CONTEXT, &m_contextCheck);
    exchange->Control(IDC_INPUT, &m_inputBox);
    exchange->Control(IDC_REPLY, &m_replyBox);
}

BOOL CBotDlg::OnInitDialog() {
    Dialog::OnInitDialog();

    const HMENU systemMenu = GetSystemMenu(Handle(), FALSE);
    if (systemMenu != nullptr) {
        const std::string aboutItem = win32::LoadResourceString(IDS_ABOUTBOX);
        if (!aboutItem.empty()) {
            AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutItem.c_str());
        }
    }
    SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    InitCommonControls();

    core_.Start(ProgramCore::ClockSeed(),
                std::string("Microsoft Agent was not found.  You can download it at ") +
                    kAgentDownloadAddress + ".");
    return TRUE;
}

void CBotDlg::OnSysCommand(WPARAM command, LPARAM) {
    if (IsAboutCommand(command)) {
        CAboutDlg about(this);
        about.DoModal();
    } else {
        Default();
    }
}

void CBotDlg::OnPaint() {
    if (!IsIconic(Handle())) {
        Default();
        return;
    }
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(Handle(), &paint);
    SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    GetClientRect(Handle(), &client);
    const int x = CenteredIconOffset(client.right - client.left, GetSystemMetrics(SM_CXICON));
    const int y = CenteredIconOffset(client.bottom - client.top, GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, x, y, m_icon);
    EndPaint(Handle(), &paint);
}

HCURSOR CBotDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_icon);
}

void CBotDlg::OnDestroy() {
    // The framework's own handling; the controls still exist meanwhile.
    Default();
    core_.Shutdown();
}

void CBotDlg::OnSay() {
    core_.Say();
}

void CBotDlg::OnCharacters() {
    core_.Characters();
}

void CBotDlg::OnTeach() {
    core_.Teach();
}

LRESULT CBotDlg::OnAreYouMe(WPARAM, LPARAM) {
    return static_cast<LRESULT>(UWM_ARE_YOU_ME);
}

std::string CBotDlg::ReadInput() {
    return m_inputBox.GetText();
}

void CBotDlg::ClearInput() {
    m_inputBox.SetText("");
    m_inputBox.SetFocus();
}

bool CBotDlg::ContextEnabled() {
    return m_contextCheck.GetCheck() == BST_CHECKED;
}

void CBotDlg::SetContextEnabled(bool enabled) {
    m_contextCheck.SetCheck(enabled ? BST_CHECKED : BST_UNCHECKED);
}

void CBotDlg::ShowReply(const std::string& text) {
    m_replyBox.SetText(text);
}

void CBotDlg::ShowMessage(const std::string& text) {
    win32::ApplicationMessageBox(Handle(), text, MB_OK | MB_ICONEXCLAMATION);
}

TeachDialogResult CBotDlg::RunTeachDialog() {
    CTeachDlg teach(this);
    TeachDialogResult result;
    result.result = static_cast<int>(teach.DoModal());
    result.phrase = teach.m_phrase;
    result.reply = teach.m_reply;
    return result;
}

}  // namespace wobbet
