#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "agent/agent_link.h"
#include "agent/agent_server_port.h"
#include "app/core/autosave.h"
#include "app/core/knowledge_snapshot.h"
#include "app/core/shell_window.h"
#include "engine/conversation_engine.h"
#include "engine/conversation_host.h"
#include "engine/conversation_import.h"
#include "engine/random_generator.h"
#include "engine/text_rules.h"
#include "storage/file_system.h"
#include "storage/knowledge_file.h"

namespace wobbet {

// Everything a program does below its shell: it owns the generator, the conversation, the
// knowledge file and the link with the character, runs start-up and shutdown in their order,
// and routes the shell's commands. A new shell is UI code alone.
//
// What a shell supplies: a shell with a window implements ShellWindow (shell_window.h) and
// drives a ProgramCore: it calls Start while its window is being prepared, Say and Teach when
// the user presses them (the turns read the input box, the Context checkbox and the Teach dialog
// through ShellWindow), the other commands as the user gives them, and Shutdown as the window
// goes. A shell without a window implements only Shell (shell.h), where replies, messages,
// notices and animations go, and drives a WindowlessCore (windowless_core.h), handing each Say
// its text and each Teach its pair. Either names the knowledge file: DefaultKnowledgePath()
// (storage/program_dir.h) unless the user chose another.
//
// Context: on, a Say weighs the previous reply when it decides whether to learn, and a lesson
// keeps the phrase said before the previous reply as the new record's context. Start turns it
// on; a Teach that stores a pair turns it off, so that the taught record has no context; only the
// user turns it on again. The state lives in the window's checkbox, or in the WindowlessCore.
//
// Start-up tells the shell, in this order: with an autosave driver, a knowledge file that another
// program holds, as the message "Storage error: FILE is in use by another Wobbet.", after which
// Start returns false and nothing else happens; with a character that did not start, the text
// given to Start, as a reply; then a knowledge file that could not be read whole, as a message
// that begins "Storage error: " and ends " Records added in this session cannot be saved.";
// then, with an autosave driver, a file or folder that may not be written, as the message
// "Storage error: FILE cannot be written; what is learned in this session will not be kept.".
// After either of the last two nothing is saved. A knowledge file not there yet is no error.
//
// Texts: every text in and out, and the knowledge file's, is 8-bit: UTF-8 on Linux, the ANSI
// code page on Windows. A shell converts at its edge when its toolkit keeps text otherwise, and
// hands the core the text rules that read its text: Unicode words for UTF-8, bytes for ANSI.
//
// Replies are spoken by the character when it started, and shown through ShowReply in every
// case.
//
// A program given an autosave driver shares its knowledge file with the others of its kind and
// guards it: it holds the file for itself while it runs, says at start when the file cannot be
// written, saves soon after each change and writes the file only when something changed.
// Without one, the file is read at start and written whole at close.
class ProgramCore final : private ConversationHost {
public:
    // characterServer: null for a program without a character. textRules: those of the text the
    // program's shell gives. The window, the server, the rules and the driver must outlive the
    // core.
    ProgramCore(ShellWindow& window, std::string knowledgePath, AgentServerPort* characterServer,
                const TextRules& textRules, FileSystem& fileSystem = NativeFileSystem(),
                AutosaveDriver* autosave = nullptr);

    ProgramCore(const ProgramCore&) = delete;
    ProgramCore& operator=(const ProgramCore&) = delete;

    // The current time in seconds, the seed a program uses unless told otherwise.
    static std::uint32_t ClockSeed();

    // In this order: seeds the generator, installs the built-in records, starts the character and
    // shows characterNotFound as the reply if it did not start, reads the knowledge file and
    // turns Context on. The character's placement takes the first draws; a damaged knowledge file
    // is reported after the character has been asked to greet.
    //
    // False when the knowledge file is in use by another program: then, having said so and
    // changed nothing, the program is to end with status 1, and Shutdown does nothing.
    bool Start(std::uint32_t seed, std::string_view characterNotFound);

    // The window's Say and Teach...: a turn on the input box, a turn on the Teach dialog.
    void Say();
    void Teach();
    void Characters();

    // Curating what was learned. Every change is told to the shell through KnowledgeChanged;
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

    // Saves what was learned (unless the knowledge file could not be read whole, or with an
    // autosave, when nothing is left to save), then stops the character. Runs once; later calls
    // do nothing.
    void Shutdown();
    bool HasShutDown() const { return shutDown_; }

    // The learned records as they are now, to read on another thread while the conversation
    // goes on: one copy, shared with the background save until the records change. Throws
    // std::bad_alloc when there is no room for it.
    std::shared_ptr<const KnowledgeBase> Snapshot() { return snapshot_.Take(); }

    ConversationEngine& Engine() { return engine_; }
    const ConversationEngine& Engine() const { return engine_; }
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
    // Every change to the learned records ends here.
    void Changed();

    ShellWindow& window_;
    FileSystem& fileSystem_;
    CrtRandom random_;
    ConversationEngine engine_;
    KnowledgeFile knowledgeFile_;
    KnowledgeSnapshot snapshot_;
    std::optional<AgentLink> character_;
    // After the file and the snapshot, which it uses until it goes.
    std::optional<Autosave> autosave_;
    bool shutDown_ = false;
};

}  // namespace wobbet
