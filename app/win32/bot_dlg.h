#pragma once

#include <string>

#include "agent/agent_link.h"
#include "agent/com/com_agent_server.h"
#include "app/win32/framework/dialog.h"
#include "app/win32/framework/handler_table.h"
#include "engine/conversation_engine.h"
#include "engine/conversation_host.h"
#include "engine/random_generator.h"
#include "storage/knowledge_file.h"

namespace wobbet {

// The address that ends the text shown when the character server is missing.
inline constexpr char kAgentDownloadAddress[] = "https://sourceforge.net/projects/doubleagent/";

// The main window, run as a modal dialog for the whole life of the program. It owns the
// conversation, the knowledge file and the character link, and only routes between them: the
// buttons go to the engine, the character requests to the link, and it supplies the engine's
// window operations.
class CBotDlg final : public win32::Dialog, public ConversationHost {
public:
    explicit CBotDlg(win32::Dialog* parent = nullptr);

    std::string ReadInput() override;
    void ClearInput() override;
    bool ContextEnabled() override;
    void SetContextEnabled(bool enabled) override;
    void Display(const std::string& text) override;
    void ShowReply(const std::string& text) override;
    void PlayAnimation(const std::string& name) override;
    void PrepareCharacter() override;
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

    CrtRandom random_;
    ConversationEngine engine_{*this, random_};
    KnowledgeFile knowledgeFile_;
    com::ComAgentServer agentServer_;
    AgentLink agent_{agentServer_, random_};
};

}  // namespace wobbet
