#pragma once

#include <string>

#include "agent/agent_server_port.h"
#include "app/core/program_core.h"
#include "app/core/shell_window.h"
#include "app/win32/framework/dialog.h"
#include "app/win32/framework/handler_table.h"
#include "engine/normalization.h"

namespace wobbet {

// The address that ends the text shown when the character server is missing.
inline constexpr char kAgentDownloadAddress[] = "https://sourceforge.net/projects/doubleagent/";

// The main window, run as a modal dialog for the whole life of the program. It owns the program
// below it and only routes: the buttons go to the program, and it lends the program its controls.
class CBotDlg : public win32::Dialog, public ShellWindow {
public:
    // The character server comes from the creator, which keeps it until the dialog is gone.
    CBotDlg(AgentServerPort& characterServer, std::string knowledgePath,
            win32::Dialog* parent = nullptr);

    std::string ReadInput() override;
    void ClearInput() override;
    bool ContextEnabled() override;
    void SetContextEnabled(bool enabled) override;
    void ShowReply(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    TeachDialogResult RunTeachDialog() override;

protected:
    void DoDataExchange(win32::DataExchange* exchange) override;
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    static const win32::HandlerTable<CBotDlg>& Handlers();

    void OnSysCommand(WPARAM command, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    void OnSay();
    void OnCharacters();
    void OnTeach();
    LRESULT OnAreYouMe(WPARAM wParam, LPARAM lParam);

    win32::Button m_contextCheck;
    win32::Edit m_inputBox;
    win32::Edit m_replyBox;
    HICON m_icon;

    // Text in the ANSI code page, read byte by byte.
    ByteTextRules textRules_;
    ProgramCore core_;
};

}  // namespace wobbet
