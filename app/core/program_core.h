#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "agent/agent_link.h"
#include "agent/agent_server_port.h"
#include "app/core/shell_window.h"
#include "engine/conversation_engine.h"
#include "engine/conversation_host.h"
#include "engine/conversation_import.h"
#include "engine/random_generator.h"
#include "storage/file_system.h"
#include "storage/knowledge_file.h"

namespace wobbet {

// Everything a program does below its window: it owns the generator, the conversation, the
// knowledge file and the link with the character, runs start-up and shutdown in their order,
// and routes the window's commands. The shell supplies its window and calls Start when its window
// is being prepared, the commands as the user gives them, and Shutdown as the window goes.
//
// Replies are spoken by the character when it started, and shown in the reply box in every case.
class ProgramCore final : private ConversationHost {
public:
    // characterServer: null for a program without a character. The window and the server must
    // outlive the core.
    ProgramCore(ShellWindow& window, std::string knowledgePath, AgentServerPort* characterServer,
                FileSystem& fileSystem = NativeFileSystem());

    ProgramCore(const ProgramCore&) = delete;
    ProgramCore& operator=(const ProgramCore&) = delete;

    // The current time in seconds, the seed a program uses unless told otherwise.
    static std::uint32_t ClockSeed();

    // In this order: seeds the generator, installs the built-in records, starts the character and
    // shows characterNotFound in the reply box if it did not start, reads the knowledge file and
    // ticks Context. The character's placement takes the first draws; a damaged knowledge file is
    // reported after the character has been asked to greet.
    void Start(std::uint32_t seed, std::string_view characterNotFound);

    // The window's commands.
    void Say();
    void Teach();
    void Characters();

    // Curating what was learned. Every change is told to the window through KnowledgeChanged;
    // notices go to its ShowNotice, refusals to its ShowMessage.
    //
    // Forgets the newest lesson of this session still held, and says what it was.
    void ForgetLastLesson();
    // While off, Say stores nothing; Teach still does.
    void SetLearningEnabled(bool enabled) { engine_.SetLearningEnabled(enabled); }
    bool LearningEnabled() const { return engine_.LearningEnabled(); }
    // Appends the records of another knowledge file that are not known yet. A file that cannot
    // be read whole is refused and changes nothing; the session's own file is saved as before.
    void MergeKnowledgeFile(const std::string& path);
    // Adds the records a file of conversations taught that are not known yet, all or nothing, and
    // says how many; a refused file changes nothing and is said so, a cancelled one silently.
    // The draws, the mood, Context and the conversation memory stay as they are.
    void ImportConversations(const ImportedConversations& imported);
    // Deletes the learned records among the given ones.
    void DeleteRecords(std::span<const std::size_t> records);
    // False, with a message, when the edit is refused: an empty reply, keywords that leave no
    // word once normalised (context keywords may be emptied), or a record that is not a learned
    // one. Keywords are normalised as learned ones are.
    bool EditReply(std::size_t record, std::string reply);
    bool EditKeywords(std::size_t record, std::string keywords);
    bool EditContextKeywords(std::size_t record, std::string contextKeywords);

    // Saves what was learned (unless the knowledge file could not be read whole), then stops the
    // character. Runs once; later calls do nothing.
    void Shutdown();
    bool HasShutDown() const { return shutDown_; }

    ConversationEngine& Engine() { return engine_; }
    const ConversationEngine& Engine() const { return engine_; }
    const KnowledgeFile& File() const { return knowledgeFile_; }
    // For a save of a snapshot on another thread: one save at a time, and none once Shutdown
    // has begun.
    KnowledgeFile& File() { return knowledgeFile_; }
    // AgentLink::kReady while the character runs; a failure stage, or kServerFailed for a
    // program without a character.
    std::int16_t AgentStatus() const;

private:
    std::string ReadInput() override { return window_.ReadInput(); }
    void ClearInput() override { window_.ClearInput(); }
    bool ContextEnabled() override { return window_.ContextEnabled(); }
    void SetContextEnabled(bool enabled) override { window_.SetContextEnabled(enabled); }
    void Display(const std::string& text) override;
    void ShowReply(const std::string& text) override { window_.ShowReply(text); }
    void PlayAnimation(const std::string& name) override;
    void PrepareCharacter() override;
    void ShowMessage(const std::string& text) override { window_.ShowMessage(text); }
    TeachDialogResult RunTeachDialog() override { return window_.RunTeachDialog(); }

    // Runs a turn and tells the window when it stored something.
    template <typename Turn>
    void RunTurn(Turn turn);
    bool Refuse(std::string_view refusal);
    // Tells the window of an edit that was made, refuses one that was not.
    bool Edited(bool applied);

    ShellWindow& window_;
    FileSystem& fileSystem_;
    CrtRandom random_;
    ConversationEngine engine_;
    KnowledgeFile knowledgeFile_;
    std::optional<AgentLink> character_;
    bool shutDown_ = false;
};

}  // namespace wobbet
