#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "agent/agent_link.h"
#include "engine/conversation_engine.h"
#include "engine/conversation_host.h"
#include "engine/random_generator.h"
#include "storage/knowledge_file.h"

class QCheckBox;
class QContextMenuEvent;
class QPlainTextEdit;
class QPushButton;

namespace wobbet {

class InputBox;

// The program's one window: the reply box, the input box, Characters..., Teach..., Context and
// Say. It routes the buttons to the conversation and the character, gives the conversation its
// controls and passes the character's requests on; it decides nothing about what is said or
// learned.
class MainWindow : public QDialog, public ConversationHost {
    Q_OBJECT

public:
    // Shown in the reply box when the character could not be started.
    static constexpr char kCharacterNotFound[] =
        "The Wobbet character was not found.  You can install its voice with the package "
        "espeak-ng.";

    MainWindow(RandomGenerator& random, KnowledgeFile& knowledgeFile, AgentLink& character);

    // Everything that happens before the window is first shown, in this order: seed the draws,
    // restore the built-in records, start the character (or say that it was not found), read the
    // knowledge file, tick Context and put the focus in the input box. A damaged knowledge file
    // is reported here, once the character is on its way and before the window appears.
    void Initialize(std::uint32_t seed);

    // Centres the window on the screen it opens on and shows it.
    void ShowCentred();

    ConversationEngine& Engine() { return engine_; }
    InputBox* Input() const { return inputBox_; }
    QPlainTextEdit* ReplyBox() const { return replyBox_; }
    QPushButton* SayButton() const { return sayButton_; }
    QPushButton* CharactersButton() const { return charactersButton_; }
    QPushButton* TeachButton() const { return teachButton_; }
    QCheckBox* ContextCheck() const { return contextCheck_; }

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

public slots:
    // A later start of the program asked for this window: restore it and bring it forward.
    void BringToFront();
    void ShowAbout();

signals:
    // The window has closed, the knowledge file has been written and the character has stopped.
    void Closed();

protected:
    // Esc, the close box and Alt+F4 all end here: the window hides, what was learned is saved
    // (unless the knowledge file could not be read whole), then the character stops.
    void done(int result) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ShowTextBoxMenu(QPlainTextEdit* box, const QPoint& position);
    void Shutdown();

    RandomGenerator& random_;
    KnowledgeFile& knowledgeFile_;
    AgentLink& character_;
    ConversationEngine engine_;
    InputBox* inputBox_;
    QPushButton* sayButton_;
    QPushButton* charactersButton_;
    QPushButton* teachButton_;
    QCheckBox* contextCheck_;
    QPlainTextEdit* replyBox_;
    bool shutDown_ = false;
};

}  // namespace wobbet
