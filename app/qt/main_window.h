#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "agent/agent_server_port.h"
#include "app/core/program_core.h"
#include "app/core/shell_window.h"
#include "app/qt/autosave_driver.h"
#include "app/qt/conversation_import_task.h"
#include "app/unicode_text/unicode_text_rules.h"

class QAction;
class QCheckBox;
class QContextMenuEvent;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace wobbet {

class InputBox;
class KnowledgeWindow;

// The program's one window: the reply box, the input box, Characters..., Teach..., Context and
// Say. It owns the program below it, routes the buttons to it and lends it its controls; it
// decides nothing about what is said or learned.
class MainWindow : public QDialog, public ShellWindow {
    Q_OBJECT

public:
    // Shown in the reply box when the character could not start. Our character server fails
    // only when there is no screen to show the character on.
    static constexpr char kCharacterNotFound[] =
        "The Wobbet character could not appear: no screen was found.  Replies are shown here "
        "only.";

    // The character server must outlive the window.
    MainWindow(AgentServerPort& characterServer, std::string knowledgePath,
               FileSystem& fileSystem = NativeFileSystem());

    // Everything that happens before the window is first shown: the program's start-up (a
    // damaged knowledge file is reported here, once the character is on its way and before the
    // window appears), then the focus goes to the input box. False when the knowledge file is
    // in use by another program, which was said: the program is to end with status 1.
    bool Initialize(std::uint32_t seed);

    // Centres the window on the screen it opens on and shows it.
    void ShowCentred();

    ProgramCore& Core() { return core_; }
    InputBox* Input() const { return inputBox_; }
    QPlainTextEdit* ReplyBox() const { return replyBox_; }
    QPushButton* SayButton() const { return sayButton_; }
    QPushButton* CharactersButton() const { return charactersButton_; }
    QPushButton* TeachButton() const { return teachButton_; }
    QCheckBox* ContextCheck() const { return contextCheck_; }
    QAction* LearningAction() const { return learningAction_; }
    QAction* ImportAction() const { return importAction_; }
    // Null until first opened.
    KnowledgeWindow* Knowledge() const { return knowledgeWindow_; }

    std::string ReadInput() override;
    void ClearInput() override;
    bool ContextEnabled() override;
    void SetContextEnabled(bool enabled) override;
    void ShowReply(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    TeachDialogResult RunTeachDialog() override;
    // In the reply box: what was forgotten, what a merge found.
    void ShowNotice(const std::string& text) override;
    void KnowledgeChanged() override;

public slots:
    // A later start of the program asked for this window: restore it and bring it forward.
    void BringToFront();
    void ShowAbout();
    void ForgetLastLesson();
    // Opens the Knowledge window, or brings it forward.
    void ShowKnowledge();
    // Asks for another knowledge file and merges its new records.
    void MergeKnowledgeFile();
    // Asks for a transcript or a conversation corpus and learns the replies it holds.
    void ImportConversations();

signals:
    // The learned records changed; the Knowledge window follows after the current event.
    void LearnedRecordsChanged();
    // The window has closed, the knowledge file has been written and the character has stopped.
    void Closed();

protected:
    // Esc, the close box and Alt+F4 all end here: the window hides, what was learned is saved
    // (unless the knowledge file could not be read whole), then the character stops.
    void done(int result) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ShowTextBoxMenu(QPlainTextEdit* box, const QPoint& position);
    // The window's own items, next to About in every context menu.
    void AddProgramItems(QMenu* menu);
    void SetLearning(bool enabled);
    void Shutdown();

    InputBox* inputBox_;
    QPushButton* sayButton_;
    QPushButton* charactersButton_;
    QPushButton* teachButton_;
    QCheckBox* contextCheck_;
    QPlainTextEdit* replyBox_;
    QAction* forgetAction_;
    QAction* learningAction_;
    QAction* knowledgeAction_;
    QAction* mergeAction_;
    QAction* importAction_;
    QAction* aboutAction_;
    KnowledgeWindow* knowledgeWindow_ = nullptr;
    // Before the core, whose autosave uses it until it goes.
    QtAutosaveDriver autosaveDriver_;
    UnicodeTextRules textRules_;
    ProgramCore core_;
    // After the core, so that it is stopped before the core goes.
    ConversationImportTask importTask_;
};

}  // namespace wobbet
